// "Besucherschein erstellen" driven offscreen: the page under the zoom, snapping on adds,
// drops and the position fields, the arrow keys, the raster dots, zoom changes that
// store nothing, saving through the zoom with truncation, the raster step written at
// every close, and a sheet printed after designing it with its items where they were put.
#include "PdfProbe.h"
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"
#include "DesignerDriver.h"

#include "app/AppWindows.h"
#include "common/Clock.h"
#include "common/ui/MessageBoxes.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "layouts/LayoutRenderOptions.h"
#include "layouts/LayoutRenderer.h"
#include "layouts/ui/DesignCanvas.h"
#include "layouts/ui/PrintConfirmation.h"
#include "layouts/ui/TQuittungDesign.h"
#include "shell/ui/TMain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace lobrix;
using namespace lobrix::layouts;
using namespace lobrix::test;

class TQuittungDesignTest : public QObject {
    Q_OBJECT

    struct Designer {
        TestInstallation inst{2};
        QString start = inst.startFolder();
        QString sheet = LayoutLocations::visitorSheet(start);
        TQuittungDesign dialog{start, inst.databaseFolder()};
        DesignerDriver driver{dialog};
        QList<ui::MessageRecord> &messages = driver.messages;

        // The sheet layout: the installation's, or `layout` written over it first.
        explicit Designer(const std::optional<Layout> &layout = std::nullopt)
        {
            if (layout)
                LayoutFile(sheet, LayoutFamily::VisitorSheet).create(*layout);
            dialog.resize(1000, 800);
            driver.open();
        }
        template <typename W = QWidget> W *w(const char *name) const { return driver.w<W>(name); }
        DesignCanvas *canvas() const { return dialog.canvas(); }
        const DesignGeometry &geometry() const { return canvas()->geometryModel(); }
        void zoom(const char *entry) { w<QComboBox>("cbxZoom")->setCurrentText(QString::fromLatin1(entry)); }
        void click(const QPoint &at) { driver.click(at); }
        void addText(const QPoint &at)
        {
            if (!w("btnTextfeld")->isEnabled())
                click(QPoint(1, 1));
            QTest::mouseClick(w<QPushButton>("btnTextfeld"), Qt::LeftButton);
            click(at);
        }
        QPoint storedOf(int slot) const
        {
            const LayoutLabel *l = dialog.document().label(slot);
            return l ? QPoint(l->left, l->top) : QPoint(-1, -1);
        }
    };

    static Layout sample()
    {
        Layout l;
        l.family = LayoutFamily::VisitorSheet;
        l.portrait = true;
        l.rasterAbstand = 4;
        l.fontScaleHeight = 21;
        LayoutLabel t;
        t.slot = 1;
        t.left = 101;
        t.top = 203;
        t.fontSize = 9;
        t.caption = QStringLiteral("Besucherschein");
        l.labels << t;
        LayoutPicture p;
        p.slot = 2;
        p.left = 51;
        p.top = 77;
        p.width = 101;
        p.height = 33;
        p.pfad = QStringLiteral("fehlt.bmp");
        l.pictures << p;
        return l;
    }

private slots:
    // Zoom 50 in portrait: a 353 x 500 page; an item at (100, 200) lies at (50, 100)
    // from the page's corner. The field list has 26 entries; the zoom stays as chosen.
    void pageUnderTheZoom()
    {
        Layout l = sample();
        l.pictures[0].left = 100;
        l.pictures[0].top = 200;
        Designer d(l);
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Besucherschein erstellen - *Besucherschein.ini*"));
        QCOMPARE(d.w<QComboBox>("cbxFeld1")->count(), 26);
        QCOMPARE(d.w<QComboBox>("cbxZoom")->currentText(), QStringLiteral("100"));
        d.zoom("50");
        QCOMPARE(d.geometry().area(), QSize(353, 500));
        QCOMPARE(d.canvas()->itemRect({ItemKind::Picture, 2}).topLeft(), d.geometry().offset() + QPoint(50, 100));
        QCOMPARE(d.canvas()->itemRect({ItemKind::Picture, 2}).size(), QSize(50, 16));
        d.dialog.reject();
        d.dialog.show();
        d.dialog.prepare();
        QCOMPARE(d.w<QComboBox>("cbxZoom")->currentText(), QStringLiteral("50"));
    }

    // Step 4 at zoom 100: an add at canvas x 77 lands on 76, at 79 on 80, at 78 on 76
    // (measured from the canvas origin); the stored value is that less the offset.
    void snappedAdds_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("snapped");
        QTest::newRow("77") << 77 << 76;
        QTest::newRow("79") << 79 << 80;
        QTest::newRow("78") << 78 << 76;
    }
    void snappedAdds()
    {
        QFETCH(int, x);
        QFETCH(int, snapped);
        Designer d(sample());
        const QPoint offset = d.geometry().offset();
        // A point on the page whose remainder by 4 is that of x.
        const int base = (offset.x() + 300) / 4 * 4;
        d.addText(QPoint(base + x - 76, (offset.y() + 300) / 4 * 4));
        const int slot = d.dialog.selection().first().slot;
        QCOMPARE(d.storedOf(slot).x(), base + snapped - 76 - offset.x());
        QCOMPARE((d.storedOf(slot).x() + offset.x()) % 4, 0);
        QCOMPARE(d.dialog.document().label(slot)->fontName, QStringLiteral("Arial"));
        // Written into the working copy at once.
        QVERIFY(LayoutFile(d.dialog.workingCopy(), LayoutFamily::VisitorSheet).inUse(ItemKind::Label, slot));
    }

    // X typed into the position field: the snapped canvas point, stored back; the arrow
    // keys move by the step; only a selected item is dragged.
    void positionFieldsAndKeys()
    {
        Designer d(sample());
        auto *x = d.w<QSpinBox>("edLeft");
        auto *y = d.w<QSpinBox>("edTop");
        QVERIFY(!x->isEnabled());
        d.click(d.canvas()->itemRect({ItemKind::Label, 1}).center());
        QVERIFY(x->isEnabled());
        QCOMPARE(x->value(), 101);
        QCOMPARE(y->value(), 203);
        QVERIFY(y->hasFocus());
        x->setValue(50);
        const DesignGeometry &g = d.geometry();
        const int expected = g.toLayout(g.snap(g.toCanvas(QPoint(50, 0)))).x();
        QCOMPARE(d.storedOf(1).x(), expected);
        QVERIFY((expected + g.offset().x()) % 4 == 0);
        QCOMPARE(LayoutFile(d.dialog.workingCopy(), LayoutFamily::VisitorSheet).readLabel(1).left, expected);
        // Undo reaches the working copy too.
        d.dialog.undo();
        QCOMPARE(LayoutFile(d.dialog.workingCopy(), LayoutFamily::VisitorSheet).readLabel(1).left, 101);
        d.dialog.redo();
        QCOMPARE(LayoutFile(d.dialog.workingCopy(), LayoutFamily::VisitorSheet).readLabel(1).left, expected);

        y->setFocus();
        const QPoint before = d.storedOf(1);
        QTest::keyClick(y, Qt::Key_Right);
        QCOMPARE(d.storedOf(1).x(), g.toLayout(g.snap(g.toCanvas(QPoint(50 + 4, 0)))).x());
        QTest::keyClick(y, Qt::Key_Up);
        QVERIFY(d.storedOf(1).y() < before.y());

        // A press on an unselected item selects it; dragging moves only what was selected.
        const QRect picture = d.canvas()->itemRect({ItemKind::Picture, 2});
        const QPoint picBefore(d.dialog.document().picture(2)->left, d.dialog.document().picture(2)->top);
        QTest::mousePress(d.canvas(), Qt::LeftButton, {}, picture.center());
        const QPoint to = picture.center() + QPoint(30, 30);
        QMouseEvent move(QEvent::MouseMove, to, d.canvas()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(d.canvas(), &move);
        QTest::mouseRelease(d.canvas(), Qt::LeftButton, {}, picture.center() + QPoint(30, 30));
        QCOMPARE(QPoint(d.dialog.document().picture(2)->left, d.dialog.document().picture(2)->top), picBefore);
        QTest::mousePress(d.canvas(), Qt::LeftButton, {}, picture.center());
        QCoreApplication::sendEvent(d.canvas(), &move);
        QTest::mouseRelease(d.canvas(), Qt::LeftButton, {}, picture.center() + QPoint(30, 30));
        const LayoutPicture *p = d.dialog.document().picture(2);
        QVERIFY(p->left != picBefore.x());
        QCOMPARE((g.toCanvas(QPoint(p->left, p->top)).x()) % 4, 0);
        QCOMPARE(LayoutFile(d.dialog.workingCopy(), LayoutFamily::VisitorSheet).readPicture(2).left, p->left);
        // Delete with the focus in the position field removes the selection.
        y->setFocus();
        QTest::keyClick(y, Qt::Key_Delete);
        QVERIFY(!d.dialog.document().picture(2));
    }

    // Dots on the raster only when step x zoom is more than a pixel.
    void rasterDots_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("zoom");
        QTest::addColumn<bool>("dots");
        QTest::newRow("step 4 at 100") << 4 << "100" << true;
        QTest::newRow("step 3 at 25") << 3 << "25" << false;
    }
    void rasterDots()
    {
        QFETCH(int, step);
        QFETCH(QString, zoom);
        QFETCH(bool, dots);
        Layout empty;
        empty.family = LayoutFamily::VisitorSheet;
        empty.portrait = true;
        Designer d(empty);
        d.zoom(zoom.toLatin1().constData());
        d.w<QSpinBox>("edRaster")->setValue(step);
        d.w<QCheckBox>("chkRaster")->setChecked(true);
        const QImage image = d.canvas()->grab().toImage();
        const QRect page(d.geometry().offset(), d.geometry().area());
        int black = 0;
        for (int y = page.top() + 2; y < page.bottom() - 1; ++y)
            for (int x = page.left() + 2; x < page.right() - 1; ++x)
                black += image.pixelColor(x, y) == QColor(Qt::black);
        QCOMPARE(black > 0, dots);
    }

    // 100 -> 200 -> 100 stores nothing new; saving at 50 or 25 goes through the zoom.
    void savingThroughTheZoom_data()
    {
        QTest::addColumn<QString>("zoom");
        QTest::addColumn<QRect>("label");    // left, top, fontSize in width
        QTest::addColumn<QRect>("picture");  // left, top, width, height
        QTest::newRow("100 after 200") << "200>100" << QRect(101, 203, 9, 0) << QRect(51, 77, 101, 33);
        QTest::newRow("50") << "50" << QRect(100, 202, 8, 0) << QRect(50, 76, 100, 32);
        QTest::newRow("25") << "25" << QRect(100, 200, 8, 0) << QRect(48, 76, 100, 32);
    }
    void savingThroughTheZoom()
    {
        QFETCH(QString, zoom);
        QFETCH(QRect, label);
        QFETCH(QRect, picture);
        Designer d(sample());
        for (const QString &z : zoom.split(u'>'))
            d.zoom(z.toLatin1().constData());
        QTest::mouseClick(d.w<QPushButton>("btnSpeichern"), Qt::LeftButton);
        QVERIFY(!d.dialog.isVisible());
        const Layout saved = LayoutFile(d.sheet, LayoutFamily::VisitorSheet).read();
        QCOMPARE(QRect(saved.labels[0].left, saved.labels[0].top, saved.labels[0].fontSize, 0), label);
        QCOMPARE(QRect(saved.pictures[0].left, saved.pictures[0].top, saved.pictures[0].width, saved.pictures[0].height),
                 picture);
        // FontScale and Raster as the file had them.
        QCOMPARE(saved.fontScaleHeight, 21);
        QCOMPARE(saved.rasterAbstand, 4);
        QCOMPARE(d.w<QPushButton>("btnSpeichern")->text(), QStringLiteral("&Speichern"));
    }

    // Abbrechen after the step was changed to 10: the layout file differs in that key only.
    void cancelKeepsOnlyTheStep()
    {
        Designer d(sample());
        const QByteArray before = fileBytes(d.sheet);
        QVERIFY(before.contains("Abstand=4"));
        d.addText(QPoint(300, 300));
        d.w<QSpinBox>("edRaster")->setValue(10);
        QTest::mouseClick(d.w<QPushButton>("btnAbbrechen"), Qt::LeftButton);
        QByteArray expected = before;
        expected.replace("Abstand=4", "Abstand=10");
        QCOMPARE(fileBytes(d.sheet), expected);
    }

    // Designed, saved, printed: the sheet the visit form prints has the text where the
    // designer put it (read back from the PDF).
    void printedAsDesigned()
    {
        Layout empty;
        empty.family = LayoutFamily::VisitorSheet;
        empty.portrait = true;
        Designer d(empty);
        d.w<QSpinBox>("edRaster")->setValue(1);
        const QPoint offset = d.geometry().offset();
        d.addText(offset + QPoint(200, 300));
        const int slot = d.dialog.selection().first().slot;
        QCOMPARE(d.storedOf(slot), QPoint(200, 300));
        QTest::mouseClick(d.w<QPushButton>("btnSpeichern"), Qt::LeftButton);

        const Layout printed = LayoutFile(LayoutLocations::visitorSheet(d.start), LayoutFamily::VisitorSheet).read();
        QCOMPARE(printed.labels.size(), 1);
        const QString pdf = QDir(d.inst.root()).filePath(QStringLiteral("schein.pdf"));
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
            QPainter painter(&printer);
            LayoutRenderer::render(painter, printed, nullptr, LayoutRenderOptions::fromSettings(d.start));
        }
        const QRectF box = pdfWordBox(pdf, QStringLiteral("Textfeld%1").arg(slot));
        QVERIFY2(!box.isNull(), qPrintable(pdfText(pdf)));
        // 200 of 707 units across 20 cm, 300 of 1000 down 29 cm, in points.
        QVERIFY2(std::abs(box.left() - 200.0 * 20 / 707 / 2.54 * 72) < 2.0, qPrintable(QString::number(box.left())));
        QVERIFY2(std::abs(box.top() - 300.0 * 29 / 1000 / 2.54 * 72) < 6.0, qPrintable(QString::number(box.top())));
    }

    void fromTheMenu()
    {
        TestInstallation inst(1);
        ui::MessageBoxes::setHooks([](const ui::MessageRecord &) {}, [](const ui::MessageRecord &) { return true; });
        app::AppWindows windows(inst.startFolder(), systemClock());
        QVERIFY(windows.sheetDesign);
        bool maximised = false;
        QTimer::singleShot(0, windows.sheetDesign, [&] {
            maximised = QApplication::activeModalWidget() == windows.sheetDesign &&
                        (windows.sheetDesign->windowState() & Qt::WindowMaximized);
            windows.sheetDesign->reject();
        });
        windows.main->findChild<QAction *>(QStringLiteral("Besucherschein1"))->trigger();
        QVERIFY(maximised);
        ui::MessageBoxes::setHooks({}, {});
    }
};

LOBRIX_TEST(TQuittungDesignTest)
#include "TQuittungDesignTest.moc"

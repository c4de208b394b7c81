// "Ausweisdesigner" driven like a user: opening a layout, arming and clicking, dragging,
// double-click editing, binding, deleting, pictures with the aspect lock, undo and redo,
// turning the card, the test print, saving a badge type, and cancel leaving every layout
// file as it was. The canvas is compared with what the renderer prints.
#include "PdfProbe.h"
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"
#include "DesignerDriver.h"

#include "app/AppWindows.h"
#include "common/Clock.h"
#include "common/IniFile.h"
#include "common/ui/MessageBoxes.h"
#include "layouts/LayoutFields.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "layouts/LayoutRenderer.h"
#include "layouts/PrintScale.h"
#include "layouts/ui/DesignCanvas.h"
#include "layouts/ui/PrintConfirmation.h"
#include "layouts/ui/TBadgeDesign.h"
#include "shell/SettingsKeys.h"
#include "shell/ui/TMain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace lobrix;
using namespace lobrix::layouts;
using namespace lobrix::test;

class TBadgeDesignTest : public QObject {
    Q_OBJECT

    struct Designer {
        TestInstallation inst{5};
        QString start = inst.startFolder();
        QString db = inst.databaseFolder();
        TBadgeDesign dialog{start, db};
        QStringList openAnswers; // taken one by one; empty: cancelled
        QString saveAnswer;
        DesignerDriver driver{dialog};
        QList<ui::MessageRecord> &messages = driver.messages;

        // The layout the open dialog picks: by default an empty badge layout beside the
        // installation; the standard layout when the dialog is cancelled (Standard).
        static QString emptyLayout() { return QStringLiteral("<empty>"); }
        static QString standardLayout() { return QString(); }
        explicit Designer(QString layout = emptyLayout())
        {
            if (layout == emptyLayout()) {
                layout = QDir(inst.root()).filePath(QStringLiteral("Ausweis Leer.ini"));
                putFile(layout, "[Orientation]\r\npoPortrait=0\r\n");
            }
            dialog.setDialogs({[this](QWidget *, const QString &, const QString &, const QString &) {
                                   return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
                               },
                               [this](QWidget *, const QString &, const QString &, const QString &) { return saveAnswer; },
                               [](QWidget *, const QFont &f) {
                                   QFont chosen = f;
                                   chosen.setFamily(QStringLiteral("Arial"));
                                   chosen.setPointSize(14);
                                   chosen.setBold(true);
                                   return std::optional<QFont>(chosen);
                               },
                               [](QWidget *, const QColor &) { return std::optional<QColor>(QColor(255, 0, 0)); }});
            if (!layout.isEmpty())
                openAnswers << layout;
            driver.open();
        }
        template <typename W = QWidget> W *w(const char *name) const { return driver.w<W>(name); }
        DesignCanvas *canvas() const { return dialog.canvas(); }
        void click(const QPoint &at) { driver.click(at); }
        // Press on the item, move in steps, release.
        void drag(const QPoint &from, const QPoint &to)
        {
            QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
            for (int i = 1; i <= 4; ++i) {
                const QPoint p = from + (to - from) * i / 4;
                QMouseEvent move(QEvent::MouseMove, p, canvas()->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
                QCoreApplication::sendEvent(canvas(), &move);
            }
            QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
        }
        int addText(const QPoint &at)
        {
            if (!w("btnTextfeld")->isEnabled()) // an item is selected: a click on the grey first
                click(QPoint(3, 3));
            QTest::mouseClick(w<QPushButton>("btnTextfeld"), Qt::LeftButton);
            click(at);
            return dialog.selection().isEmpty() ? 0 : dialog.selection().first().slot;
        }
        QPoint centreOf(ItemKind kind, int slot) const { return canvas()->itemRect({kind, slot}).center(); }
        QString bitmap(int width, int height, const QString &name) const
        {
            QImage image(width, height, QImage::Format_RGB32);
            image.fill(Qt::blue);
            const QString path = QDir(LayoutLocations::imagesFolder(start)).filePath(name);
            image.save(path, "BMP");
            return path;
        }
    };

private slots:
    // Cancelled open: the standard badge layout, its items on the canvas, the working copy
    // made with this screen's "H" height, the side panel idle.
    void opensTheStandardLayout()
    {
        Designer d(Designer::standardLayout());
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Ausweisdesigner - Standard-Layout"));
        QCOMPARE(d.dialog.layoutFile(), LayoutLocations::standardBadge(d.start));
        const Layout standard = LayoutFile(d.dialog.layoutFile(), LayoutFamily::Badge).readForDesigner();
        QCOMPARE(d.dialog.document().layout().labels, standard.labels);
        QCOMPARE(d.dialog.document().layout().pictures, standard.pictures);
        QVERIFY(QFile::exists(d.dialog.workingCopy()));
        QCOMPARE(LayoutFile(d.dialog.workingCopy(), LayoutFamily::Badge).fontScaleHeight(),
                 LayoutRenderer::letterHeight(d.canvas()));
        QVERIFY(!d.w("btnFont")->isEnabled());
        QVERIFY(!d.w("cbxFeld1")->isEnabled());
        QVERIFY(!d.w("edHoehe")->isEnabled());
        QVERIFY(d.w("btnTextfeld")->isEnabled());
        QVERIFY(d.w<QCheckBox>("chkSperre")->isChecked());
        for (QWidget *input : d.dialog.findChildren<QWidget *>())
            if (input->focusPolicy() != Qt::NoFocus && input->isVisible() && !qobject_cast<QPushButton *>(input) &&
                !qobject_cast<QCheckBox *>(input) && !qobject_cast<QRadioButton *>(input) &&
                input->parent() != d.w("edHoehe") && input->parent() != d.w("edBreite") &&
                input->parent() != d.w("cbxFeld1"))
                QVERIFY2(!input->accessibleName().isEmpty(), qPrintable(input->objectName()));
    }

    // Armed, a click puts a text at the point; it is selected, the button disarmed; the
    // point (132, 154) of the landscape card is stored at 100, 50.
    void addTextWhereClicked()
    {
        Designer d;
        QTest::mouseClick(d.w<QPushButton>("btnTextfeld"), Qt::LeftButton);
        QCOMPARE(d.w<QPushButton>("btnTextfeld")->text(), QStringLiteral("auf Zeichenfläche klicken"));
        const int free = d.dialog.document().freeSlot(ItemKind::Label);
        d.click(QPoint(132, 154));
        const LayoutLabel *l = d.dialog.document().label(free);
        QVERIFY(l);
        QCOMPARE(QPoint(l->left, l->top), QPoint(100, 50));
        QCOMPARE(l->caption, QStringLiteral("Textfeld%1").arg(free));
        QCOMPARE(l->fontName, QStringLiteral("MS Sans Serif"));
        QCOMPARE(d.dialog.selection(), (QList<ItemRef>{{ItemKind::Label, free}}));
        QCOMPARE(d.w<QPushButton>("btnTextfeld")->text(), QStringLiteral("Textfeld hinzufügen"));
        QVERIFY(!d.w<QPushButton>("btnTextfeld")->isChecked());
        QVERIFY(d.w("btnFont")->isEnabled());
        QVERIFY(!d.w("btnTextfeld")->isEnabled());
        // A click on the free card deselects and adds nothing.
        const int count = int(d.dialog.document().layout().labels.size());
        d.click(QPoint(500, 400));
        QVERIFY(d.dialog.selection().isEmpty());
        QCOMPARE(d.dialog.document().layout().labels.size(), count);
    }

    // A drag moves the item by the pointer's way; undo and redo step through the edits.
    void dragUndoRedo()
    {
        Designer d;
        const int slot = d.addText(QPoint(132, 154));
        const QPoint start = d.centreOf(ItemKind::Label, slot);
        d.drag(start, start + QPoint(40, 30));
        QCOMPARE(QPoint(d.dialog.document().label(slot)->left, d.dialog.document().label(slot)->top), QPoint(140, 80));
        QTest::keyClick(&d.dialog, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(d.dialog.document().label(slot)->left, 100);
        QTest::keyClick(&d.dialog, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!d.dialog.document().label(slot));
        QVERIFY(d.dialog.selection().isEmpty());
        QTest::keyClick(&d.dialog, Qt::Key_Y, Qt::ControlModifier);
        QTest::keyClick(&d.dialog, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(d.dialog.document().label(slot)->left, 140);
    }

    // Double-click opens the editor over an unbound text: Enter commits, Escape discards;
    // a bound text opens none.
    void inlineEditing()
    {
        Designer d;
        const int slot = d.addText(QPoint(132, 154));
        auto *editor = d.w<QLineEdit>("edText");
        QTest::mouseDClick(d.canvas(), Qt::LeftButton, {}, d.centreOf(ItemKind::Label, slot));
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->text(), QStringLiteral("Textfeld%1").arg(slot));
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Besucher"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!editor->isVisible());
        QCOMPARE(d.dialog.document().label(slot)->caption, QStringLiteral("Besucher"));
        QVERIFY(d.dialog.selection().isEmpty());

        QTest::mouseDClick(d.canvas(), Qt::LeftButton, {}, d.centreOf(ItemKind::Label, slot));
        QTest::keyClicks(editor, QStringLiteral("weg"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QCOMPARE(d.dialog.document().label(slot)->caption, QStringLiteral("Besucher"));
        QVERIFY(d.dialog.isVisible()); // Escape in the editor does not close the designer

        d.click(d.centreOf(ItemKind::Label, slot));
        d.w<QComboBox>("cbxFeld1")->setCurrentIndex(LayoutFields::indexOf(LayoutFamily::Badge, QStringLiteral("Firma")));
        QCOMPARE(d.dialog.document().label(slot)->caption, QStringLiteral("[Firma]"));
        QCOMPARE(d.dialog.document().label(slot)->feld, QStringLiteral("Firma"));
        QTest::mouseDClick(d.canvas(), Qt::LeftButton, {}, d.centreOf(ItemKind::Label, slot));
        QVERIFY(!editor->isVisible());
        // Delete in the list unbinds; the caption stays.
        d.w<QComboBox>("cbxFeld1")->setFocus();
        QTest::keyClick(d.w<QComboBox>("cbxFeld1"), Qt::Key_Delete);
        QCOMPARE(d.dialog.document().label(slot)->feldIndex, -1);
        QCOMPARE(d.dialog.document().label(slot)->caption, QStringLiteral("[Firma]"));
        QVERIFY(d.dialog.document().label(slot)); // not deleted
    }

    // Delete removes the selected item; the next text takes the lowest free slot.
    void deleteAndReuseTheSlot()
    {
        Designer d;
        QList<int> added;
        for (int i = 0; i < 3; ++i)
            added << d.addText(QPoint(60 + 100 * i, 300));
        d.click(d.centreOf(ItemKind::Label, added[1]));
        d.canvas()->setFocus();
        QTest::keyClick(d.canvas(), Qt::Key_Delete);
        QVERIFY(!d.dialog.document().label(added[1]));
        QVERIFY(d.dialog.selection().isEmpty());
        QCOMPARE(d.w<QComboBox>("cbxFeld1")->currentIndex(), -1);
        QCOMPARE(d.addText(QPoint(60, 400)), added[1]);
        QCOMPARE(d.dialog.document().label(added[1])->caption, QStringLiteral("Textfeld%1").arg(added[1]));
    }

    void allSlotsTaken()
    {
        Designer d;
        for (int i = 0; d.dialog.document().freeSlot(ItemKind::Label) != 0 && i < 20; ++i)
            d.addText(QPoint(40 + i % 4 * 120, 120 + i / 4 * 40));
        QCOMPARE(d.dialog.document().layout().labels.size(), 20);
        d.addText(QPoint(520, 450));
        QCOMPARE(d.messages.size(), 1);
        QVERIFY2(d.messages.first().text.contains(QStringLiteral("Alle 20 Textfelder")), qPrintable(d.messages.first().text));
        QCOMPARE(d.dialog.document().layout().labels.size(), 20);
    }

    // A 200 x 100 bitmap comes in its natural size; with the aspect lock a height of 50
    // gives width 100. Cancelled: nothing added. Then Abbrechen: no layout file changed.
    void pictureThenCancel()
    {
        Designer d;
        const QByteArray openedBefore = fileBytes(d.dialog.layoutFile());
        const QByteArray standardBefore = fileBytes(LayoutLocations::standardBadge(d.start));
        const QByteArray publishedBefore = fileBytes(LayoutLocations::publishedBadge(d.db));
        const int pictures = int(d.dialog.document().layout().pictures.size());
        QTest::mouseClick(d.w<QPushButton>("btnBild"), Qt::LeftButton);
        d.click(QPoint(300, 200)); // the file dialog cancelled
        QCOMPARE(d.dialog.document().layout().pictures.size(), pictures);

        d.openAnswers << d.bitmap(200, 100, QStringLiteral("breit.bmp"));
        QTest::mouseClick(d.w<QPushButton>("btnBild"), Qt::LeftButton);
        d.click(QPoint(300, 200));
        QCOMPARE(d.dialog.document().layout().pictures.size(), pictures + 1);
        const int slot = d.dialog.selection().first().slot;
        const LayoutPicture *p = d.dialog.document().picture(slot);
        QCOMPARE(QRect(p->left, p->top, p->width, p->height), QRect(268, 96, 200, 100));
        QCOMPARE(p->pfad, QStringLiteral("breit.bmp"));
        QVERIFY(d.w("edHoehe")->isEnabled());
        QCOMPARE(d.w<QSpinBox>("edHoehe")->value(), 100);
        auto *height = d.w<QSpinBox>("edHoehe");
        height->selectAll();
        QTest::keyClicks(height, QStringLiteral("50"));
        QCOMPARE(d.dialog.document().picture(slot)->height, 50);
        QCOMPARE(d.dialog.document().picture(slot)->width, 100);
        QCOMPARE(d.w<QSpinBox>("edBreite")->value(), 100);
        QVERIFY(d.dialog.document().picture(slot)); // Delete typed in a size field is no deletion

        QTest::mouseClick(d.w<QPushButton>("btnAbbrechen"), Qt::LeftButton);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(fileBytes(d.dialog.layoutFile()), openedBefore);
        QCOMPARE(fileBytes(LayoutLocations::standardBadge(d.start)), standardBefore);
        QCOMPARE(fileBytes(LayoutLocations::publishedBadge(d.db)), publishedBefore);
        QCOMPARE(LayoutLocations::badgeTypes(d.db), QStringList());
    }

    // Made from scratch and saved under "Gast": the badge type Ausweis Gast.ini in the
    // database folder with what the canvas showed; a second designer opens it.
    void saveAsBadgeType()
    {
        Designer d;
        const int slot = d.addText(QPoint(132, 154));
        QTest::mouseClick(d.w<QPushButton>("btnColor"), Qt::LeftButton);
        QTest::mouseClick(d.w<QPushButton>("btnFont"), Qt::LeftButton);
        d.saveAnswer = QDir(d.inst.root()).filePath(QStringLiteral("anderswo/Gast"));
        QTest::mouseClick(d.w<QPushButton>("btnSpeichern"), Qt::LeftButton);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        const QString saved = QDir(d.db).filePath(QStringLiteral("Ausweis Gast.ini"));
        QCOMPARE(d.dialog.layoutFile(), saved);
        QCOMPARE(LayoutLocations::badgeTypes(d.db), QStringList{QStringLiteral("Ausweis Gast")});
        const Layout layout = LayoutFile(saved, LayoutFamily::Badge).read();
        const auto it = std::find_if(layout.labels.begin(), layout.labels.end(),
                                     [slot](const LayoutLabel &l) { return l.slot == slot; });
        QVERIFY(it != layout.labels.end());
        QCOMPARE(QPoint(it->left, it->top), QPoint(100, 50));
        QCOMPARE(it->fontColor, 0x0000ff);
        QCOMPARE(it->fontSize, 14);
        QVERIFY(it->bold);
        QCOMPARE(layout.fontScaleHeight, LayoutRenderer::letterHeight(d.canvas()));

        Designer again(saved);
        QCOMPARE(again.dialog.windowTitle(), QStringLiteral("Ausweisdesigner - ") + QDir::toNativeSeparators(saved));
        QCOMPARE(again.dialog.document().label(slot)->caption, QStringLiteral("Textfeld%1").arg(slot));
    }

    void refusedName()
    {
        Designer d;
        d.addText(QPoint(132, 154));
        d.saveAnswer = QDir(d.db).filePath(QStringLiteral("Gast?"));
        QTest::mouseClick(d.w<QPushButton>("btnSpeichern"), Qt::LeftButton);
        QCOMPARE(d.messages.size(), 1);
        QVERIFY(d.dialog.isVisible());
        QCOMPARE(LayoutLocations::badgeTypes(d.db), QStringList());
    }

    // Portrait without moving anything: on the next save every stored position has moved
    // by (-95, +95).
    void turningTheCard()
    {
        Designer d(Designer::standardLayout());
        const Layout before = d.dialog.document().layout();
        QVERIFY(!before.portrait);
        auto *hoch = d.w<QRadioButton>("rdHoch");
        QTest::mouseClick(hoch, Qt::LeftButton, {}, QPoint(8, hoch->height() / 2)); // on its circle
        QVERIFY(d.dialog.document().portrait());
        d.saveAnswer = QDir(d.db).filePath(QStringLiteral("Hoch"));
        QTest::mouseClick(d.w<QPushButton>("btnSpeichern"), Qt::LeftButton);
        const Layout after = LayoutFile(QDir(d.db).filePath(QStringLiteral("Ausweis Hoch.ini")), LayoutFamily::Badge)
                                 .readForDesigner();
        QVERIFY(after.portrait);
        QCOMPARE(after.labels.size(), before.labels.size());
        for (int i = 0; i < before.labels.size(); ++i)
            QCOMPARE(QPoint(after.labels[i].left, after.labels[i].top),
                     QPoint(before.labels[i].left - 95, before.labels[i].top + 95));
    }

    // The test print writes the canvas into the working copy and prints its captions, the
    // card's edge "auf Papier".
    void testPrint()
    {
        Designer d;
        const int slot = d.addText(QPoint(132, 154));
        const QString pdf = QDir(d.inst.root()).filePath(QStringLiteral("test.pdf"));
        PrintConfirmation::setHook([&](QPrinter &printer, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        d.w<QCheckBox>("chkPapier")->setChecked(true);
        QTest::mouseClick(d.w<QPushButton>("btnDrucken"), Qt::LeftButton);
        QVERIFY(QFile::exists(pdf));
        QVERIFY2(pdfText(pdf).contains(QStringLiteral("Textfeld%1").arg(slot)), qPrintable(pdfText(pdf)));
        QVERIFY(LayoutFile(d.dialog.workingCopy(), LayoutFamily::Badge).inUse(ItemKind::Label, slot));
        QVERIFY(d.dialog.isVisible());
    }

    // What the canvas shows of the standard badge is what the renderer prints at the
    // canvas scale (card corners and decoration aside).
    void canvasShowsWhatPrints()
    {
        Designer d(Designer::standardLayout());
        d.click(QPoint(2, 2)); // nothing selected: no silver ground
        const QImage shown = d.canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const DesignGeometry g = d.canvas()->geometryModel();
        QImage printed(g.area(), QImage::Format_RGB32);
        printed.fill(Qt::white);
        {
            QPainter p(&printed);
            LayoutRenderer::paint(p, LayoutRenderer::planCanvas(d.dialog.document().layout(),
                                                                LayoutLocations::imagesFolder(d.start),
                                                                PrintScale{1.0f, 1.0f}, 1.0));
        }
        int differing = 0, compared = 0;
        for (int y = 16; y < printed.height() - 16; ++y)
            for (int x = 16; x < printed.width() - 16; ++x) {
                ++compared;
                const QColor a = shown.pixelColor(g.offset() + QPoint(x, y));
                const QColor b = printed.pixelColor(x, y);
                if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) > 30)
                    ++differing;
            }
        QVERIFY2(differing * 200 < compared, qPrintable(QStringLiteral("%1 of %2").arg(differing).arg(compared)));
        // The standard badge is not blank: the comparison compared something.
        int ink = 0;
        for (int y = 0; y < printed.height(); ++y)
            for (int x = 0; x < printed.width(); ++x)
                ink += printed.pixel(x, y) != qRgb(255, 255, 255);
        QVERIFY(ink > 100);
    }

    // [Options] HochQuer swaps the captions of the orientation buttons; rdHoch still
    // means a portrait layout.
    void hochQuerCaptions()
    {
        Designer d;
        QCOMPARE(d.w<QRadioButton>("rdHoch")->text(), QStringLiteral("Hochformat"));
        IniFile settings(QDir(d.start).filePath(QStringLiteral("settings.ini")));
        shell::keys::write(settings, shell::keys::settings::HochQuer, true);
        d.openAnswers << d.dialog.layoutFile();
        d.dialog.prepare();
        QCOMPARE(d.w<QRadioButton>("rdHoch")->text(), QStringLiteral("Querformat"));
        QCOMPARE(d.w<QRadioButton>("rdQuer")->text(), QStringLiteral("Hochformat"));
        d.w<QRadioButton>("rdHoch")->click();
        QVERIFY(d.dialog.document().portrait());
    }

    // Through the program: "De&signer" -> "Besucher&ausweis" opens the designer modally; a
    // badge made from scratch and saved becomes the badge type the visit form offers and
    // prints from.
    void fromTheMenu()
    {
        TestInstallation inst(1);
        ui::MessageBoxes::setHooks([](const ui::MessageRecord &) {}, [](const ui::MessageRecord &) { return true; });
        app::AppWindows windows(inst.startFolder(), systemClock());
        TBadgeDesign *designer = windows.badgeDesign;
        QVERIFY(designer);
        const QString empty = QDir(inst.root()).filePath(QStringLiteral("Ausweis Leer.ini"));
        putFile(empty, "[Orientation]\r\npoPortrait=0\r\n");
        TBadgeDesign::Dialogs dialogs;
        dialogs.open = [&](QWidget *, const QString &, const QString &, const QString &) { return empty; };
        dialogs.save = [&](QWidget *, const QString &, const QString &, const QString &) { return QStringLiteral("Pforte"); };
        designer->setDialogs(dialogs);
        bool shown = false;
        QTimer::singleShot(0, designer, [&] {
            shown = QApplication::activeModalWidget() == designer;
            QTest::mouseClick(designer->findChild<QPushButton *>(QStringLiteral("btnTextfeld")), Qt::LeftButton);
            QTest::mouseClick(designer->canvas(), Qt::LeftButton, {}, QPoint(132, 154));
            QTest::mouseClick(designer->findChild<QPushButton *>(QStringLiteral("btnSpeichern")), Qt::LeftButton);
            if (designer->isVisible())
                designer->reject();
        });
        windows.main->findChild<QAction *>(QStringLiteral("Besucherausweis1"))->trigger();
        QVERIFY(shown);
        QCOMPARE(LayoutLocations::badgeTypes(inst.databaseFolder()), QStringList{QStringLiteral("Ausweis Pforte")});
        const QString printedFrom =
            LayoutLocations::badgeLayout(inst.startFolder(), inst.databaseFolder(), QStringLiteral("Ausweis Pforte"));
        const Layout layout = LayoutFile(printedFrom, LayoutFamily::Badge).read();
        QCOMPARE(layout.labels.size(), 1);
        QCOMPARE(QPoint(layout.labels[0].left, layout.labels[0].top), QPoint(100, 50));
        ui::MessageBoxes::setHooks({}, {});
    }
};

LOBRIX_TEST(TBadgeDesignTest)
#include "TBadgeDesignTest.moc"

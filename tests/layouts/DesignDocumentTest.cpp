// The designers' core without a window: the canvas mapping (offsets, zoom, snapping), the
// edits on the document with worked figures, undo and redo, the badge type's file
// name, and the working copy written and read back.
#include "TestRegistry.h"

#include "layouts/DesignDocument.h"
#include "layouts/DesignGeometry.h"
#include "layouts/DesignHistory.h"
#include "layouts/LayoutFields.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lobrix;
using namespace lobrix::layouts;

namespace {

DesignDocument badgeWithLabels(int count)
{
    DesignDocument doc(Layout{});
    for (int i = 0; i < count; ++i)
        doc.addLabel(QPoint(10 * i, 10), QStringLiteral("Arial"));
    return doc;
}

QString fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

} // namespace

class DesignDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void offsets_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("badge landscape") << 0 << false << QSize(574, 528) << 1.0 << QSize(510, 320) << QPoint(32, 104);
        QTest::newRow("badge portrait") << 0 << true << QSize(574, 528) << 1.0 << QSize(320, 510) << QPoint(127, 9);
        QTest::newRow("sheet portrait at 50") << 1 << true << QSize(800, 600) << 0.5 << QSize(353, 500)
                                              << QPoint((800 - 353) / 2, 50);
        QTest::newRow("sheet portrait at 200") << 1 << true << QSize(800, 600) << 2.0 << QSize(1414, 2000)
                                               << QPoint((800 - 1414) / 2, (600 - 2000) / 2);
        QTest::newRow("sheet landscape at 25") << 1 << false << QSize(800, 600) << 0.25 << QSize(250, 176)
                                               << QPoint(275, 212);
    }
    void offsets()
    {
        QFETCH(int, family);
        QFETCH(bool, portrait);
        QFETCH(QSize, canvas);
        QFETCH(double, zoom);
        QFETCH(QSize, area);
        QFETCH(QPoint, offset);
        DesignGeometry g{family == 0 ? LayoutFamily::Badge : LayoutFamily::VisitorSheet, portrait, canvas, zoom, 0};
        QCOMPARE(g.area(), area);
        QCOMPARE(g.offset(), offset);
    }

    // A text placed at canvas point (132, 154) of the landscape badge is stored at 100, 50;
    // a sheet item at (100, 200) shows at (50, 100) plus the offsets at zoom 50.
    void mapping()
    {
        const DesignGeometry badge;
        QCOMPARE(badge.toLayout(QPoint(132, 154)), QPoint(100, 50));
        QCOMPARE(badge.toCanvas(QPoint(100, 50)), QPoint(132, 154));
        const DesignGeometry sheet{LayoutFamily::VisitorSheet, true, QSize(800, 600), 0.5, 0};
        QCOMPARE(sheet.toCanvas(QPoint(100, 200)), QPoint(50, 100) + sheet.offset());
        // Truncation on the way back: an odd value at zoom 50 comes back even.
        QCOMPARE(sheet.toLayout(sheet.toCanvas(QPoint(101, 201))), QPoint(100, 200));
    }

    // The sheet's page 27 from the canvas's left at zoom 100, step 4: X 50 is canvas 77,
    // snapped to 76, stored as 49.
    void positionThroughTheRaster()
    {
        const DesignGeometry g{LayoutFamily::VisitorSheet, true, QSize(761, 1100), 1.0, 4};
        QCOMPARE(g.offset().x(), 27);
        QCOMPARE(g.snap(g.toCanvas(QPoint(50, 0))).x(), 76);
        QCOMPARE(g.toLayout(g.snap(g.toCanvas(QPoint(50, 0)))).x(), 49);
    }

    void snapping_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("snapped");
        QTest::newRow("77 down") << 4 << 1.0 << 77 << 76;
        QTest::newRow("79 up") << 4 << 1.0 << 79 << 80;
        QTest::newRow("78 tie goes down") << 4 << 1.0 << 78 << 76;
        QTest::newRow("on the raster") << 4 << 1.0 << 80 << 80;
        QTest::newRow("effective step 0 does not snap") << 3 << 0.25 << 77 << 77;
        QTest::newRow("no step") << 0 << 1.0 << 77 << 77;
    }
    void snapping()
    {
        QFETCH(int, step);
        QFETCH(double, zoom);
        QFETCH(int, value);
        QFETCH(int, snapped);
        DesignGeometry g{LayoutFamily::VisitorSheet, true, QSize(800, 600), zoom, step};
        QCOMPARE(g.snap(value), snapped);
    }

    // The lowest free slot: text item 3 of 1..5 deleted, the next one is slot 3 again.
    void lowestFreeSlot()
    {
        DesignDocument doc = badgeWithLabels(5);
        doc.remove({{ItemKind::Label, 3}});
        QCOMPARE(doc.addLabel(QPoint(1, 1), QStringLiteral("MS Sans Serif")), 3);
        QCOMPARE(doc.label(3)->caption, QStringLiteral("Textfeld3"));
        QCOMPARE(doc.label(3)->fontSize, 8);
        QCOMPARE(doc.label(3)->fontColor, 0);
        // Slot order is kept, as the renderer and the writer walk the items.
        QList<int> order;
        for (const LayoutLabel &l : doc.layout().labels)
            order << l.slot;
        QCOMPARE(order, (QList<int>{1, 2, 3, 4, 5}));
        // All twenty taken: nothing added.
        DesignDocument full = badgeWithLabels(20);
        QCOMPARE(full.addLabel(QPoint(1, 1), QStringLiteral("Arial")), 0);
        QCOMPARE(full.layout().labels.size(), 20);
    }

    void resizing_data()
    {
        QTest::addColumn<bool>("keepAspect");
        QTest::addColumn<bool>("heightChanged");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<QSize>("result"); // width x height
        QTest::addColumn<double>("relation");
        QTest::newRow("locked, height 50") << true << true << 50 << 200 << QSize(100, 50) << 0.5;
        QTest::newRow("locked, width 300") << true << false << 100 << 300 << QSize(300, 150) << 0.5;
        QTest::newRow("locked, kept to at least 5") << true << true << 2 << 200 << QSize(5, 5) << 0.5;
        QTest::newRow("free: relation from before") << false << true << 40 << 200 << QSize(200, 40) << 0.5;
    }
    void resizing()
    {
        QFETCH(bool, keepAspect);
        QFETCH(bool, heightChanged);
        QFETCH(int, height);
        QFETCH(int, width);
        QFETCH(QSize, result);
        QFETCH(double, relation);
        DesignDocument doc(Layout{});
        const int slot = doc.addPicture(QPoint(0, 0), QSize(200, 100), QStringLiteral("logo.bmp"));
        QCOMPARE(doc.picture(slot)->relation, 0.5);
        QCOMPARE(doc.resizePicture(slot, height, width, heightChanged, keepAspect), result);
        QCOMPARE(doc.picture(slot)->width, result.width());
        QCOMPARE(doc.picture(slot)->height, result.height());
        QCOMPARE(doc.picture(slot)->relation, relation);
    }

    // A bitmap that cannot be read keeps the item and its name.
    void unreadablePicture()
    {
        DesignDocument doc(Layout{});
        const int slot = doc.addPicture(QPoint(5, 5), QSize(), QStringLiteral("fehlt.bmp"));
        QVERIFY(slot > 0);
        QCOMPARE(doc.picture(slot)->pfad, QStringLiteral("fehlt.bmp"));
    }

    // Bound texts show their entry in brackets; unbinding keeps the caption.
    void binding()
    {
        DesignDocument doc = badgeWithLabels(1);
        const int pic = doc.addPicture(QPoint(0, 0), QSize(10, 10), QStringLiteral("a.bmp"));
        const int name = LayoutFields::entryNames(LayoutFamily::Badge).indexOf(QStringLiteral("Firma"));
        QVERIFY(name >= 0);
        doc.bind({{ItemKind::Label, 1}, {ItemKind::Picture, pic}}, name);
        QCOMPARE(doc.label(1)->caption, QStringLiteral("[Firma]"));
        QCOMPARE(doc.label(1)->feldIndex, name);
        QCOMPARE(doc.label(1)->feld, LayoutFields::fieldKey(LayoutFamily::Badge, name));
        QCOMPARE(doc.picture(pic)->feldIndex, name);
        doc.bind({{ItemKind::Label, 1}}, -1);
        QCOMPARE(doc.label(1)->caption, QStringLiteral("[Firma]"));
        QCOMPARE(doc.label(1)->feldIndex, -1);
        QCOMPARE(doc.label(1)->feld, QString());
    }

    // Landscape to portrait without moving anything: every stored position moves by
    // (-95, +95), the change of the card's corner on the canvas.
    void turningTheCard()
    {
        DesignDocument doc = badgeWithLabels(2);
        doc.addPicture(QPoint(40, 60), QSize(20, 20), QStringLiteral("a.bmp"));
        DesignGeometry g;
        const QPoint before = g.offset();
        g.portrait = true;
        doc.setPortrait(true, before - g.offset());
        QVERIFY(doc.portrait());
        QCOMPARE(QPoint(doc.label(1)->left, doc.label(1)->top), QPoint(-95, 105));
        QCOMPARE(QPoint(doc.label(2)->left, doc.label(2)->top), QPoint(10 - 95, 105));
        QCOMPARE(QPoint(doc.picture(1)->left, doc.picture(1)->top), QPoint(40 - 95, 155));
    }

    void undoRedo()
    {
        DesignDocument doc(Layout{});
        DesignHistory history;
        QVERIFY(!history.undo(doc));
        QVERIFY(!history.isModified());
        history.record(doc, QStringLiteral("Textfeld hinzufügen"));
        doc.addLabel(QPoint(1, 2), QStringLiteral("Arial"));
        history.record(doc, QStringLiteral("Verschieben"));
        doc.move({ItemKind::Label, 1}, QPoint(30, 40));
        QVERIFY(history.isModified());
        QCOMPARE(history.undoText(), QStringLiteral("Verschieben"));
        QVERIFY(history.undo(doc));
        QCOMPARE(doc.label(1)->left, 1);
        QCOMPARE(history.undoText(), QStringLiteral("Textfeld hinzufügen"));
        QCOMPARE(history.redoText(), QStringLiteral("Verschieben"));
        QVERIFY(history.undo(doc));
        QVERIFY(!doc.label(1));
        QVERIFY(!history.isModified()); // back where it was opened
        QVERIFY(history.redo(doc));
        QVERIFY(history.redo(doc));
        QCOMPARE(doc.label(1)->left, 30);
        QVERIFY(!history.redo(doc));
        QCOMPARE(history.redoText(), QString());
        // Saved here: undo leaves the saved state, redo comes back to it.
        history.markSaved();
        QVERIFY(!history.isModified());
        QVERIFY(history.undo(doc));
        QVERIFY(history.isModified());
        QVERIFY(history.redo(doc));
        QVERIFY(!history.isModified());
        // A new edit after undo drops what could have been redone, and the saved state
        // that lay there can no longer come back.
        QVERIFY(history.undo(doc));
        history.record(doc, QStringLiteral("Löschen"));
        doc.remove({{ItemKind::Label, 1}});
        QVERIFY(!history.canRedo());
        QVERIFY(history.isModified());
        QVERIFY(history.undo(doc));
        QVERIFY(history.isModified());
    }

    void badgeTypeFileName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("name"); // empty: refused
        QTest::newRow("Gast") << "/db/Gast" << "Ausweis Gast.ini";
        QTest::newRow("Ausweis Gast") << "/db/Ausweis Gast" << "Ausweis Gast.ini";
        QTest::newRow("Ausweis Gast.ini") << "/anderswo/Ausweis Gast.ini" << "Ausweis Gast.ini";
        QTest::newRow("only the first eight count") << "/db/ausweis gast" << "Ausweis ausweis gast.ini";
        QTest::newRow("backslash") << "/db/..\\Gast" << "";
        QTest::newRow("colon") << "/db/C:Gast" << "";
        QTest::newRow("question mark") << "/db/Gast?" << "";
        QTest::newRow("nothing") << "/db/" << "";
    }
    void badgeTypeFileName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, name);
        QCOMPARE(LayoutLocations::badgeTypeFileName(chosen).value_or(QString()), name);
    }

    // The working copy gets the document's items in one write; FontScale and Raster stay,
    // and slots the document no longer uses are gone.
    void workingCopyRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("tmpBadge.ini"));
        LayoutFile file(path, LayoutFamily::Badge);
        file.writeFontScaleHeight(19);
        file.writeRasterAbstand(6);
        DesignDocument doc = badgeWithLabels(3);
        doc.addPicture(QPoint(7, 8), QSize(30, 15), QStringLiteral("logo.bmp"));
        file.writeItems(doc.layout());
        doc.remove({{ItemKind::Label, 2}});
        doc.setColor(3, 0x0000ff);
        file.writeItems(doc.layout());
        const Layout back = file.readForDesigner();
        QCOMPARE(back.labels.size(), 2);
        QCOMPARE(back.labels[1].slot, 3);
        QCOMPARE(back.labels[1].fontColor, 0x0000ff);
        QCOMPARE(back.pictures.size(), 1);
        QCOMPARE(back.pictures[0].relation, 0.5);
        QCOMPARE(back.fontScaleHeight, 19);
        QCOMPARE(back.rasterAbstand, 6);
        QVERIFY(!fileText(path).contains(QStringLiteral("[Label2]")));
    }

    // What the designer assumes for keys a file lacks.
    void designerDefaults()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("Ausweis A.ini"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Picture1]\r\nVisible=1\r\n[Label4]\r\nVisible=1\r\n");
        f.close();
        const Layout l = LayoutFile(path, LayoutFamily::Badge).readForDesigner();
        QCOMPARE(l.pictures.size(), 1);
        QCOMPARE(QRect(l.pictures[0].left, l.pictures[0].top, l.pictures[0].width, l.pictures[0].height),
                 QRect(0, 0, 200, 200));
        QCOMPARE(l.labels.size(), 1);
        QCOMPARE(l.labels[0].caption, QStringLiteral("Textfeld4"));
        QCOMPARE(l.labels[0].fontColor, 1);
        QCOMPARE(l.labels[0].fontName, QStringLiteral("Arial"));
        QCOMPARE(l.labels[0].fontSize, 8);
    }
};

LOBRIX_TEST(DesignDocumentTest)
#include "DesignDocumentTest.moc"

#include "layouts/PrintScale.h"

#include "TestRegistry.h"
#include "layouts/LayoutRenderer.h"

#include <QTest>

#include <limits>

using namespace lobrix::layouts;

// Scales and rectangles of printing, with the figures existing installations print.
class PrintScaleTest : public QObject
{
    Q_OBJECT

private slots:
    void visitorSheetAt600Dpi()
    {
        const PrintScale portrait = PrintScale::visitorSheet(true, 600);
        QVERIFY(qAbs(portrait.sx - 6.682f) < 0.001f);
        QVERIFY(qAbs(portrait.sy - 6.850f) < 0.001f);
        QCOMPARE(portrait.x(100), 668);
        QCOMPARE(portrait.y(100), 685);
        // The page fills 20 × 29 cm: 4724 × 6850 dots at 600 dpi.
        QCOMPARE(portrait.x(707), 4724);
        QCOMPARE(portrait.y(1000), 6850);

        const PrintScale landscape = PrintScale::visitorSheet(false, 600);
        QCOMPARE(landscape.sx, portrait.sy);
        QCOMPARE(landscape.sy, portrait.sx);
    }

    void badgeCard86x54At300Dpi()
    {
        const PrintScale s = PrintScale::badge(false, 54, 86, 300);
        QVERIFY(qAbs(s.sx - 1.992f) < 0.001f);
        QVERIFY(qAbs(s.sy - 1.993f) < 0.001f);
        // About 1016 × 638 dots, truncated.
        QCOMPARE(s.x(510), 1015);
        QCOMPARE(s.y(320), 637);
        QCOMPARE(PrintScale::cardExtent(false, 54, 86, 300), QSize(1015, 637));
        QCOMPARE(PrintScale::cardExtent(true, 54, 86, 300), QSize(637, 1015));

        const PrintScale portrait = PrintScale::badge(true, 54, 86, 300);
        QCOMPARE(portrait.sx, s.sy);
        QCOMPARE(portrait.sy, s.sx);
    }

    // Coordinates are truncated toward zero, also left of and above the page.
    void coordinatesAreTruncated()
    {
        const PrintScale s{1.9f, 1.9f};
        QCOMPARE(s.x(1), 1);
        QCOMPARE(s.x(-1), -1);
        QCOMPARE(s.y(3), 5);
    }

    void printerOrientation_data()
    {
        QTest::addColumn<bool>("badge");
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<bool>("hochQuer");
        QTest::addColumn<bool>("printerPortrait");
        QTest::newRow("badge landscape") << true << false << false << false;
        QTest::newRow("badge portrait") << true << true << false << true;
        QTest::newRow("badge landscape, HochQuer") << true << false << true << true;
        QTest::newRow("badge portrait, HochQuer") << true << true << true << false;
        QTest::newRow("sheet ignores HochQuer") << false << true << true << true;
        QTest::newRow("sheet landscape") << false << false << false << false;
    }
    void printerOrientation()
    {
        QFETCH(bool, badge);
        QFETCH(bool, portrait);
        QFETCH(bool, hochQuer);
        QFETCH(bool, printerPortrait);
        Layout layout;
        layout.family = badge ? LayoutFamily::Badge : LayoutFamily::VisitorSheet;
        layout.portrait = portrait;
        QCOMPARE(LayoutRenderer::printerOrientation(layout, hochQuer),
                 printerPortrait ? QPageLayout::Portrait : QPageLayout::Landscape);
        // The dots never depend on HochQuer.
        LayoutRenderOptions options;
        options.hochQuer = hochQuer;
        const PrintScale s = PrintScale::forLayout(layout, options, 300);
        options.hochQuer = !hochQuer;
        QCOMPARE(PrintScale::forLayout(layout, options, 300).sx, s.sx);
    }

    void badgeFontSize()
    {
        // Printer "H" 50 dots at 300 dpi over a screen "H" of 16: factor 3.125.
        QCOMPARE(LayoutRenderer::badgeFontPoints(10, 50.0 / 16, 1.993f), 6);
        QCOMPARE(LayoutRenderer::badgeFontPoints(20, 50.0 / 16, 1.993f), 12);
        // A size that would vanish still prints.
        QCOMPARE(LayoutRenderer::badgeFontPoints(1, 50.0 / 16, 1.993f), 1);
    }

    void photoKeepsItsProportions_data()
    {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<QSize>("printed");
        QTest::newRow("upright keeps the height") << QSize(70, 106) << QSize(66, 100);
        QTest::newRow("wide keeps the width") << QSize(106, 70) << QSize(100, 66);
        QTest::newRow("square fills the box") << QSize(50, 50) << QSize(100, 100);
    }
    void photoKeepsItsProportions()
    {
        QFETCH(QSize, photo);
        QFETCH(QSize, printed);
        LayoutPicture p;
        p.left = 10;
        p.top = 20;
        p.width = 100;
        p.height = 100;
        p.feldIndex = 19;
        QCOMPARE(LayoutRenderer::photoRect(p, photo, PrintScale{1, 1}),
                 QRect(QPoint(10, 20), printed));
        // At printer scale the same box, in dots.
        const PrintScale s = PrintScale::visitorSheet(true, 600);
        const QRect dots = LayoutRenderer::photoRect(p, photo, s);
        QCOMPARE(dots.topLeft(), QPoint(s.x(10), s.y(20)));
        QVERIFY(qAbs(dots.width() - printed.width() * s.sx) <= 1);
        QVERIFY(qAbs(dots.height() - printed.height() * s.sy) <= 1);
    }

    void pictureIsStretchedIntoItsBox()
    {
        LayoutPicture p;
        p.left = 100;
        p.top = 100;
        p.width = 200;
        p.height = 50;
        const PrintScale s = PrintScale::visitorSheet(true, 600);
        // x2 = trunc(200 × sx + 668) = 2004, y2 = trunc(50 × sy + 685) = 1027, both excluded.
        QCOMPARE(LayoutRenderer::pictureRect(p, s), QRect(QPoint(668, 685), QPoint(2003, 1026)));
    }

    // Values near the int range in a hand-edited layout land on the edge of the range
    // instead of wrapping around (converting them was undefined).
    void extremeLayoutValuesStayInRange_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("far right") << 2000000000 << std::numeric_limits<int>::max();
        QTest::newRow("far left") << -2000000000 << std::numeric_limits<int>::min();
        QTest::newRow("ordinary") << 100 << 668;
    }
    void extremeLayoutValuesStayInRange()
    {
        QFETCH(int, value);
        QFETCH(int, expected);
        const PrintScale s = PrintScale::visitorSheet(true, 600);
        QCOMPARE(s.x(value), expected);
        LayoutPicture p;
        p.left = value;
        p.top = 0;
        p.width = 2000000000;
        p.height = 2000000000;
        const QRect r = LayoutRenderer::pictureRect(p, s);
        QCOMPARE(r.left(), expected);
        QVERIFY(r.width() >= 0);
        QCOMPARE(LayoutRenderer::badgeFontPoints(2000000000, 0.001, 1e6f), std::numeric_limits<int>::max());
    }
};

LOBRIX_TEST(PrintScaleTest)
#include "PrintScaleTest.moc"

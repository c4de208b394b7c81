#include "shell/ClockFace.h"

#include "ClockTestImages.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "shell/ClockOptions.h"
#include "common/IniFile.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

using lobrix::IniFile;
using namespace lobrix::shell;
using namespace lobrix::test;

namespace
{

// The clock reading of a hand angle: degrees clockwise from twelve o'clock, 0 to 360.
double clockDegrees(float angle)
{
    const double x = std::cos(double(angle));
    const double y = std::sin(double(angle)); // y grows downwards
    const double degrees = qRadiansToDegrees(std::atan2(x, -y));
    return degrees < 0 ? degrees + 360 : degrees;
}

// Distance of two clock readings, across twelve o'clock too.
double apart(double a, double b)
{
    const double d = std::fmod(std::abs(a - b), 360.0);
    return std::min(d, 360 - d);
}

double fromCentre(const ClockGeometry &g, const QPointF &p)
{
    return std::hypot(p.x() - g.centreX, p.y() - g.centreY);
}

// 0.00833333 rad per minute, as a clock reading.
double hourAdvance(int minutes)
{
    return qRadiansToDegrees(minutes * 0.00833333);
}

// A canvas that keeps its pixels from tick to tick, like the paint box.
struct Dial {
    explicit Dial(int side = 225, ClockOptions opts = {}) : image(side, side, QImage::Format_RGB32)
    {
        image.fill(Ground);
        options = opts;
        options.colour = ClockOptions::valueOf(Ink);
    }
    void tick(const QTime &time)
    {
        QPainter painter(&image);
        face.paint(painter, options, image.size(), time, Ground);
    }
    ClockGeometry geometry() const { return ClockFace::geometry(image.size()); }

    QImage image;
    ClockOptions options;
    ClockFace face;
};

} // namespace

class ClockFaceTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("settings.ini")); }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    void handAngles_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<double>("hour");
        QTest::addColumn<double>("minute");
        QTest::addColumn<double>("second");
        QTest::newRow("03:00:00") << QTime(3, 0, 0) << 90.0 << 0.0 << 0.0;
        // The hour hand moves on by 0.25 rad in half an hour: a little short of half-way.
        QTest::newRow("03:30:00") << QTime(3, 30, 0) << 90 + hourAdvance(30) << 180.0 << 0.0;
        QTest::newRow("12:00:00") << QTime(12, 0, 0) << 0.0 << 0.0 << 0.0;
        QTest::newRow("00:00:00") << QTime(0, 0, 0) << 0.0 << 0.0 << 0.0;
        QTest::newRow("09:45:30") << QTime(9, 45, 30) << 270 + hourAdvance(45) << 270.0 << 180.0;
        QTest::newRow("18:15:45") << QTime(18, 15, 45) << 180 + hourAdvance(15) << 90.0 << 270.0;
        QTest::newRow("23:59:59") << QTime(23, 59, 59) << 330 + hourAdvance(59) << 354.0 << 354.0;
        QTest::newRow("milliseconds ignored")
            << QTime(6, 10, 20, 999) << 180 + hourAdvance(10) << 60.0 << 120.0;
    }
    void handAngles()
    {
        QFETCH(QTime, time);
        QFETCH(double, hour);
        QFETCH(double, minute);
        QFETCH(double, second);
        const ClockAngles a = ClockFace::angles(time);
        QVERIFY2(apart(clockDegrees(a.hour), hour) < 0.01,
                 qPrintable(QString::number(clockDegrees(a.hour))));
        QVERIFY2(apart(clockDegrees(a.minute), minute) < 0.01,
                 qPrintable(QString::number(clockDegrees(a.minute))));
        QVERIFY2(apart(clockDegrees(a.second), second) < 0.01,
                 qPrintable(QString::number(clockDegrees(a.second))));
    }

    void halfPastThreeIsBetweenThreeAndFour()
    {
        const ClockAngles three = ClockFace::angles(QTime(3, 0));
        const ClockAngles halfPast = ClockFace::angles(QTime(3, 30));
        QVERIFY(qAbs(halfPast.hour - three.hour - 0.25f) < 1e-5f);
        QVERIFY(clockDegrees(halfPast.hour) > 90 && clockDegrees(halfPast.hour) < 120);
    }

    void minuteStartWipesHourAndMinuteHands_data()
    {
        QTest::addColumn<QTime>("previous");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<bool>("wipes");
        QTest::newRow("second 0, second tick of it") << QTime(10, 7, 0) << QTime(10, 7, 0) << true;
        QTest::newRow("second 1") << QTime(10, 7, 1) << QTime(10, 7, 1) << false;
        QTest::newRow("second 30") << QTime(10, 7, 30) << QTime(10, 7, 30) << false;
        QTest::newRow("second 59") << QTime(10, 7, 59) << QTime(10, 7, 59) << false;
        QTest::newRow("minute start") << QTime(10, 6, 59) << QTime(10, 7, 0) << true;
        QTest::newRow("minute start missed") << QTime(10, 6, 59) << QTime(10, 7, 1) << true;
        QTest::newRow("hour start missed") << QTime(10, 59, 59) << QTime(11, 0, 2) << true;
    }
    void minuteStartWipesHourAndMinuteHands()
    {
        QFETCH(QTime, previous);
        QFETCH(QTime, now);
        QFETCH(bool, wipes);
        QCOMPARE(
            ClockFace::erasesHourAndMinute(ClockFace::angles(now), ClockFace::angles(previous)),
            wipes);
    }

    void boxSides_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("side");
        QTest::newRow("1") << 1 << 150;
        QTest::newRow("2") << 2 << 175;
        QTest::newRow("3") << 3 << 225;
        QTest::newRow("4") << 4 << 250;
        QTest::newRow("5") << 5 << 300;
        QTest::newRow("0 counts as 2") << 0 << 175;
        QTest::newRow("7 counts as 2") << 7 << 175;
        QTest::newRow("-1 counts as 2") << -1 << 175;
    }
    void boxSides()
    {
        QFETCH(int, step);
        QFETCH(int, side);
        QCOMPARE(ClockFace::boxSide(step), side);
    }

    void geometryOfBox_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("centre");
        QTest::addColumn<int>("radius");
        QTest::newRow("150") << 150 << 75 << 65;
        QTest::newRow("175") << 175 << 87 << 77;
        QTest::newRow("300") << 300 << 150 << 140;
    }
    void geometryOfBox()
    {
        QFETCH(int, side);
        QFETCH(int, centre);
        QFETCH(int, radius);
        const ClockGeometry g = ClockFace::geometry(QSize(side, side));
        QCOMPARE(g.centreX, centre);
        QCOMPARE(g.centreY, centre);
        QCOMPARE(g.radius, radius);
        QCOMPARE(g.hourHandLength(), radius - 23);
        QCOMPARE(g.handLength(), radius - 3);
        QCOMPARE(g.tailLength(), (radius - 3) * 0.2);
    }

    void boxPosition_data()
    {
        QTest::addColumn<int>("clientWidth");
        QTest::addColumn<QRect>("arrival");
        QTest::addColumn<int>("side");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("800 wide") << 800 << QRect(234, 300, 166, 106) << 225 << QPoint(288, 75);
        QTest::newRow("odd width and side")
            << 801 << QRect(234, 301, 166, 106) << 175 << QPoint(313, 100);
        QTest::newRow("low window") << 620 << QRect(144, 10, 166, 106) << 300 << QPoint(160, -108);
    }
    void boxPosition()
    {
        QFETCH(int, clientWidth);
        QFETCH(QRect, arrival);
        QFETCH(int, side);
        QFETCH(QPoint, topLeft);
        QCOMPARE(ClockFace::boxPosition(clientWidth, arrival, side), topLeft);
    }

    void marks_data()
    {
        QTest::addColumn<bool>("hours");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("strokeLength");
        QTest::newRow("minutes") << false << 60 << 5;
        QTest::newRow("hours") << true << 12 << 10;
    }
    void marks()
    {
        QFETCH(bool, hours);
        QFETCH(int, count);
        QFETCH(int, strokeLength);
        const ClockGeometry g = ClockFace::geometry(QSize(225, 225));
        const std::vector<ClockMark> marks =
            hours ? ClockFace::hourMarks(g) : ClockFace::minuteMarks(g);
        QCOMPARE(int(marks.size()), count);

        QList<double> readings;
        for (const ClockMark &mark : marks) {
            QVERIFY(qAbs(fromCentre(g, mark.inner) - g.radius) < 1e-6);
            QVERIFY(qAbs(fromCentre(g, mark.outer) - (g.radius + strokeLength)) < 1e-6);
            const QPointF radial = mark.inner - QPointF(g.centreX, g.centreY);
            const QPointF outward = mark.outer - mark.inner;
            QVERIFY(qAbs(radial.x() * outward.y() - radial.y() * outward.x()) <
                    1e-6); // radial stroke
            readings << qRadiansToDegrees(std::atan2(radial.x(), -radial.y()));
        }
        // Evenly spread around the dial: no mark twice, none left out.
        std::sort(readings.begin(), readings.end());
        for (int i = 1; i < readings.size(); ++i)
            QVERIFY(qAbs(readings[i] - readings[i - 1] - 360.0 / count) < 0.01);
        // Marks at twelve, three, six and nine o'clock.
        for (const QPointF quarter :
             {QPointF(112, 10), QPointF(214, 112), QPointF(112, 214), QPointF(10, 112)}) {
            QVERIFY(std::any_of(marks.begin(), marks.end(), [&](const ClockMark &m) {
                return QLineF(m.inner, quarter).length() < 1e-3;
            }));
        }
    }

    void handLinesFanOutToTipAndTail()
    {
        const ClockGeometry g = ClockFace::geometry(QSize(225, 225));
        const ClockAngles a = ClockFace::angles(QTime(9, 0, 0)); // hour hand to nine o'clock
        const std::vector<QLineF> lines = ClockFace::handLines(g, a.hour, g.hourHandLength());
        QCOMPARE(int(lines.size()), 36);
        const QPointF tip(g.centreX - g.hourHandLength(), g.centreY);
        const QPointF tail(g.centreX + g.tailLength(), g.centreY);
        QList<double> across;
        for (size_t i = 0; i < lines.size(); ++i) {
            const QLineF &line = lines[i];
            QVERIFY(QLineF(line.p2(), i % 2 ? tail : tip).length() < 1e-3);
            QVERIFY(qAbs(line.x1() - g.centreX) < 1e-3); // across the hand
            across << line.y1() - g.centreY;
        }
        std::sort(across.begin(), across.end());
        QVERIFY(qAbs(across.first() + 4.5) < 1e-3);
        QVERIFY(qAbs(across.last() - 4.5) < 1e-3);

        const QLineF second = ClockFace::secondHandLine(g, a.second);
        QCOMPARE(second.p1(), QPointF(g.centreX, g.centreY));
        QVERIFY(QLineF(second.p2(), QPointF(g.centreX, g.centreY - g.handLength())).length() <
                1e-3);
    }

    void optionsRead_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<bool>("hourStrokes");
        QTest::addColumn<bool>("minuteStrokes");
        QTest::addColumn<int>("step");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("no keys") << QByteArray() << false << false << 3 << QColor(0, 0, 0);
        QTest::newRow("strokes, step 5, red")
            << QByteArray(
                   "UhrStundeStrich=1\r\nUhrMinuteStrich=1\r\nUhrSize=5\r\nUhrFarbe=0x0000FF\r\n")
            << true << true << 5 << QColor(255, 0, 0);
        QTest::newRow("size 0") << QByteArray("UhrSize=0\r\n") << false << false << 2
                                << QColor(0, 0, 0);
        QTest::newRow("size 7, dots") << QByteArray("UhrSize=7\r\nUhrStundeStrich=0\r\n") << false
                                      << false << 2 << QColor(0, 0, 0);
        QTest::newRow("size 1, hour strokes only")
            << QByteArray("UhrSize=1\r\nUhrStundeStrich=1\r\n") << true << false << 1
            << QColor(0, 0, 0);
        QTest::newRow("size not a number")
            << QByteArray("UhrSize=gross\r\n") << false << false << 3 << QColor(0, 0, 0);
        QTest::newRow("blue") << QByteArray("UhrFarbe=16711680\r\n") << false << false << 3
                              << QColor(0, 0, 255);
        QTest::newRow("mixed") << QByteArray("UhrFarbe=0x80FF40\r\n") << false << false << 3
                               << QColor(0x40, 0xFF, 0x80);
    }
    void optionsRead()
    {
        QFETCH(QByteArray, options);
        QFETCH(bool, hourStrokes);
        QFETCH(bool, minuteStrokes);
        QFETCH(int, step);
        QFETCH(QColor, colour);
        QVERIFY(putFile(settingsPath(), "[Options]\r\n" + options));
        const ClockOptions read = ClockOptions::read(IniFile(settingsPath()));
        QCOMPARE(read.hourStrokes, hourStrokes);
        QCOMPARE(read.minuteStrokes, minuteStrokes);
        QCOMPARE(read.sizeStep, step);
        QCOMPARE(read.color(), colour);
    }

    void optionsWrittenBack_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("size 0 comes back as 2")
            << QByteArray("UhrSize=0\r\n")
            << QByteArray("UhrSize=2\r\nUhrStundeStrich=0\r\nUhrMinuteStrich=0\r\nUhrFarbe=0\r\n");
        QTest::newRow("size 7 comes back as 2")
            << QByteArray("UhrSize=7\r\nUhrFarbe=0x0000FF\r\nUhrMinuteStrich=1\r\n")
            << QByteArray(
                   "UhrSize=2\r\nUhrFarbe=255\r\nUhrMinuteStrich=1\r\nUhrStundeStrich=0\r\n");
        QTest::newRow("missing keys get the defaults")
            << QByteArray()
            << QByteArray("UhrStundeStrich=0\r\nUhrMinuteStrich=0\r\nUhrSize=3\r\nUhrFarbe=0\r\n");
    }
    void optionsWrittenBack()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, written);
        QVERIFY(putFile(settingsPath(), "[Datenbank]\r\nPfad=db\r\n[Options]\r\n" + stored));
        IniFile ini(settingsPath());
        ClockOptions::read(ini).write(ini);
        QCOMPARE(fileBytes(settingsPath()), "[Datenbank]\r\nPfad=db\r\n[Options]\r\n" + written);
    }

    void colourValueHasRedInTheLowByte()
    {
        QCOMPARE(ClockOptions::valueOf(QColor(255, 0, 0)), 0x0000FF);
        QCOMPARE(ClockOptions::valueOf(QColor(0x12, 0x34, 0x56)), 0x563412);
        QCOMPARE(ClockOptions::colorOf(0x563412), QColor(0x12, 0x34, 0x56));
    }

    // Each hand in its colour along its direction, its shadow the given number of
    // pixels below it, nothing on the opposite side beyond the tail.
    void handsAndShadows_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<double>("reading"); // where the probed hand points
        QTest::addColumn<int>("lengthFromRadius");
        QTest::addColumn<int>("shadow");
        QTest::newRow("hour hand at three") << QTime(3, 0, 0) << 90.0 << 23 << 7;
        QTest::newRow("hour hand at nine") << QTime(9, 0, 0) << 270.0 << 23 << 7;
        QTest::newRow("minute hand at quarter past") << QTime(12, 15, 0) << 90.0 << 3 << 7;
        QTest::newRow("minute hand at quarter to") << QTime(0, 45, 0) << 270.0 << 3 << 7;
        QTest::newRow("second hand at 15") << QTime(0, 0, 15) << 90.0 << 3 << 5;
    }
    void handsAndShadows()
    {
        QFETCH(QTime, time);
        QFETCH(double, reading);
        QFETCH(int, lengthFromRadius);
        QFETCH(int, shadow);
        Dial dial;
        dial.tick(time);
        const ClockGeometry g = dial.geometry();
        const int length = g.radius - lengthFromRadius;

        const QPoint nearTip = dialPoint(g, reading, length - 2);
        QVERIFY(colourNear(dial.image, nearTip, Ink, 0));
        const int column = dialPoint(g, reading, length * 0.8).x();
        const int handBottom = lowestIn(dial.image, column, g.centreY - 10, g.centreY + 10, Ink);
        const int shadowBottom =
            lowestIn(dial.image, column, g.centreY - 10, g.centreY + 20, Silver);
        QVERIFY(handBottom > 0);
        QCOMPARE(shadowBottom - handBottom, shadow);
        QVERIFY(!colourNear(dial.image, dialPoint(g, reading + 180, length * 0.6), Ink, 3));
        if (lengthFromRadius == 23) // the hour hand ends well inside the marks
            QVERIFY(!colourNear(dial.image, dialPoint(g, reading, length + 4), Ink, 1));
    }

    void marksAndTheirShadows_data()
    {
        QTest::addColumn<bool>("strokes");
        QTest::newRow("dots") << false;
        QTest::newRow("strokes") << true;
    }
    void marksAndTheirShadows()
    {
        QFETCH(bool, strokes);
        ClockOptions options;
        options.hourStrokes = strokes;
        options.minuteStrokes = strokes;
        Dial dial(225, options);
        dial.tick(QTime(12, 0, 0)); // all hands up, out of the way
        const ClockGeometry g = dial.geometry();

        // The hour mark at three o'clock, its shadow two pixels lower.
        const int column = g.centreX + g.radius + (strokes ? 6 : 1);
        const int markBottom = lowestIn(dial.image, column, g.centreY - 6, g.centreY + 6, Ink);
        QVERIFY(markBottom > 0);
        QCOMPARE(lowestIn(dial.image, column, g.centreY - 6, g.centreY + 8, Silver) - markBottom,
                 2);

        // A minute mark reaches out five pixels as a stroke, stays on the circle as a dot;
        // at one minute past, so as to stay clear of the hour marks.
        const QPoint outerEnd = dialPoint(g, 6, g.radius + 4);
        QCOMPARE(colourNear(dial.image, outerEnd, Ink), strokes);
        QVERIFY(colourNear(dial.image, dialPoint(g, 6, g.radius), Ink));
        // Every mark drawn: 60 around, none between them.
        QVERIFY(colourNear(dial.image, dialPoint(g, 6 * 37, g.radius), Ink));
        QVERIFY(!colourNear(dial.image, dialPoint(g, 6 * 37 + 3, g.radius), Ink, 0));
    }

    // Hour and minute hands are wiped at the start of a minute, the second hand on every
    // tick; other ticks leave them standing.
    void ticksWipeThePreviousHands_data()
    {
        QTest::addColumn<QTime>("first");
        QTest::addColumn<QTime>("second");
        QTest::addColumn<QRect>("probe"); // in dial coordinates from the centre
        QTest::addColumn<bool>("wiped");
        // On the 300 px dial the minute hand at 14 minutes runs 12.6 px above the centre
        // line 120 px right of the centre, its shadow 5.6 px above it.
        const QRect minuteProbe(120, -15, 1, 13);
        QTest::newRow("minute hand at minute start")
            << QTime(12, 14, 59) << QTime(12, 15, 0) << minuteProbe << true;
        QTest::newRow("minute hand at a missed minute start")
            << QTime(12, 14, 58) << QTime(12, 15, 2) << minuteProbe << true;
        // The second hand at 20 seconds runs 52 px right of the centre 30 px below it.
        const QRect secondProbe(40, 30, 20, 1);
        QTest::newRow("second hand")
            << QTime(12, 14, 20) << QTime(12, 14, 40) << secondProbe << true;
        QTest::newRow("minute hand stays within the minute")
            << QTime(12, 14, 20) << QTime(12, 14, 40) << minuteProbe << false;
    }
    void ticksWipeThePreviousHands()
    {
        QFETCH(QTime, first);
        QFETCH(QTime, second);
        QFETCH(QRect, probe);
        QFETCH(bool, wiped);
        Dial dial(300);
        const ClockGeometry g = dial.geometry();
        const QRect area = probe.translated(g.centreX, g.centreY);
        dial.tick(first);
        QVERIFY(countColour(dial.image, area, Ink) > 0);
        QVERIFY(countColour(dial.image, area, Silver) > 0);
        dial.tick(second);
        QCOMPARE(countColour(dial.image, area, Ground) == area.width() * area.height(), wiped);
    }
};

LOBRIX_TEST(ClockFaceTest)
#include "ClockFaceTest.moc"

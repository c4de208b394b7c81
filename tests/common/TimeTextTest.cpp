#include "TestRegistry.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "common/TimeText.h"

#include <QTest>

#include <functional>

using namespace lobrix;

namespace {

// Checks that op throws a lobrix::Error of the given kind that names the offending text.
void expectError(const std::function<void()> &op, const QString &kind, const QString &text)
{
    QString message;
    try {
        op();
    } catch (const Error &e) {
        message = e.message();
    }
    QVERIFY2(message.startsWith(kind), qPrintable(QStringLiteral("expected %1, got '%2'")
                                                      .arg(kind, message)));
    QVERIFY2(message.contains(QLatin1Char('\'') + text + QLatin1Char('\'')), qPrintable(message));
}

const QString BadTime = QStringLiteral("Ungültige Zeitangabe");
const QString BadDate = QStringLiteral("Ungültige Datumsangabe");

} // namespace

class TimeTextTest : public QObject {
    Q_OBJECT
private slots:
    void visitDuration_data();
    void visitDuration();
    void formatDuration_data();
    void formatDuration();
    void durationMinutes_data();
    void durationMinutes();
    void addDurations_data();
    void addDurations();
    void daysBetween_data();
    void daysBetween();
    void currentTexts_data();
    void currentTexts();
    void fixedClockMovesOn();
    void malformedDuration_data();
    void malformedDuration();
    void malformedDate_data();
    void malformedDate();
};

void TimeTextTest::visitDuration_data()
{
    QTest::addColumn<QString>("arrivalTime");
    QTest::addColumn<QString>("arrivalDate");
    QTest::addColumn<QString>("departureTime");
    QTest::addColumn<QString>("departureDate");
    QTest::addColumn<QString>("expected");

    QTest::newRow("same day") << "08:30" << "01.02.2004" << "17:05" << "01.02.2004" << "8:35";
    QTest::newRow("two days later, earlier time")
        << "22:30" << "01.02.2004" << "06:15" << "03.02.2004" << "31:45";
    QTest::newRow("departure before arrival, zero hours")
        << "10:00" << "01.02.2004" << "09:45" << "01.02.2004" << "-0:15";
    QTest::newRow("fifty days, grouped hours")
        << "09:00" << "01.02.2004" << "09:00" << "22.03.2004" << "1.200:00";
    QTest::newRow("same minute") << "14:07" << "05.06.2004" << "14:07" << "05.06.2004" << "0:00";
    QTest::newRow("one minute") << "14:07" << "05.06.2004" << "14:08" << "05.06.2004" << "0:01";
    QTest::newRow("over midnight")
        << "23:50" << "01.02.2004" << "00:10" << "02.02.2004" << "0:20";
    QTest::newRow("over year end")
        << "23:00" << "31.12.2003" << "01:30" << "01.01.2004" << "2:30";
    QTest::newRow("thousand hours over a leap day")
        << "08:00" << "01.02.2004" << "00:00" << "14.03.2004" << "1.000:00";
    QTest::newRow("departure date before arrival date")
        << "08:00" << "02.02.2004" << "09:00" << "01.02.2004" << "-23:00";
}

void TimeTextTest::visitDuration()
{
    QFETCH(QString, arrivalTime);
    QFETCH(QString, arrivalDate);
    QFETCH(QString, departureTime);
    QFETCH(QString, departureDate);
    QFETCH(QString, expected);
    QCOMPARE(VisitDuration(arrivalTime, arrivalDate, departureTime, departureDate), expected);
}

void TimeTextTest::formatDuration_data()
{
    QTest::addColumn<qint64>("minutes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << qint64(0) << "0:00";
    QTest::newRow("one minute") << qint64(1) << "0:01";
    QTest::newRow("seven hours five") << qint64(425) << "7:05";
    QTest::newRow("more than a day") << qint64(31 * 60 + 45) << "31:45";
    QTest::newRow("negative below an hour") << qint64(-30) << "-0:30";
    QTest::newRow("negative hours") << qint64(-510) << "-8:30";
    QTest::newRow("last ungrouped") << qint64(999 * 60 + 59) << "999:59";
    QTest::newRow("first grouped") << qint64(1000 * 60) << "1.000:00";
    QTest::newRow("grouped with minutes") << qint64(74045) << "1.234:05";
    QTest::newRow("negative grouped") << qint64(-74045) << "-1.234:05";
    QTest::newRow("two groups") << qint64(1234567LL * 60 + 9) << "1.234.567:09";
    QTest::newRow("full groups") << qint64(100000LL * 60) << "100.000:00";
}

void TimeTextTest::formatDuration()
{
    QFETCH(qint64, minutes);
    QFETCH(QString, expected);
    QCOMPARE(FormatDuration(minutes), expected);
    // What is written must read back as the same value.
    QCOMPARE(DurationMinutes(expected), minutes);
}

void TimeTextTest::durationMinutes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("time text") << "08:30" << qint64(510);
    QTest::newRow("negated time text") << "-08:30" << qint64(-510);
    QTest::newRow("negative zero hours") << "-0:30" << qint64(-30);
    QTest::newRow("minus zero with leading zero") << "-00:15" << qint64(-15);
    QTest::newRow("leading zero hour") << "08:05" << qint64(485);
    QTest::newRow("zero") << "0:00" << qint64(0);
    QTest::newRow("ungrouped thousands") << "1234:05" << qint64(74045);
    QTest::newRow("grouped thousands") << "1.200:00" << qint64(72000);
    QTest::newRow("separator not examined") << "8x30" << qint64(510);
    QTest::newRow("padded field") << " 7:05 " << qint64(425);
    QTest::newRow("free badge marker") << "25:00" << qint64(1500);
}

void TimeTextTest::durationMinutes()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    QCOMPARE(DurationMinutes(text), expected);
}

void TimeTextTest::addDurations_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("expected");

    QTest::newRow("grouped plus minutes") << "1.000:00" << "0:30" << "1.000:30";
    QTest::newRow("minus a time text") << "17:05" << "-08:30" << "8:35";
    QTest::newRow("cancel out") << "-0:15" << "0:15" << "0:00";
    QTest::newRow("result below zero") << "0:30" << "-1:00" << "-0:30";
    QTest::newRow("minutes carry") << "0:45" << "0:30" << "1:15";
    QTest::newRow("into the grouping") << "999:30" << "0:30" << "1.000:00";
}

void TimeTextTest::addDurations()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, expected);
    QCOMPARE(AddDurations(first, second), expected);
    QCOMPARE(AddDurations(second, first), expected);
}

void TimeTextTest::daysBetween_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("same day") << "01.02.2004" << "01.02.2004" << qint64(0);
    QTest::newRow("over leap day") << "28.02.2004" << "01.03.2004" << qint64(2);
    QTest::newRow("no leap day") << "28.02.2003" << "01.03.2003" << qint64(1);
    QTest::newRow("century without leap day") << "28.02.2100" << "01.03.2100" << qint64(1);
    QTest::newRow("400-year leap day") << "28.02.2000" << "01.03.2000" << qint64(2);
    QTest::newRow("year end") << "31.12.2003" << "01.01.2004" << qint64(1);
    QTest::newRow("backwards over year end") << "01.01.2004" << "31.12.2003" << qint64(-1);
    QTest::newRow("fifty days") << "01.02.2004" << "22.03.2004" << qint64(50);
    QTest::newRow("leap year") << "01.01.2004" << "01.01.2005" << qint64(366);
}

void TimeTextTest::daysBetween()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(qint64, expected);
    QCOMPARE(DaysBetween(from, to), expected);
}

void TimeTextTest::currentTexts_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("timeWithSeconds");
    QTest::addColumn<QString>("date");

    QTest::newRow("seconds never round up")
        << QDateTime(QDate(2004, 2, 1), QTime(8, 59, 59)) << "08:59" << "08:59:59"
        << "01.02.2004";
    QTest::newRow("half minute") << QDateTime(QDate(2004, 2, 1), QTime(8, 30, 59)) << "08:30"
                                 << "08:30:59" << "01.02.2004";
    QTest::newRow("last second of the year")
        << QDateTime(QDate(2003, 12, 31), QTime(23, 59, 59)) << "23:59" << "23:59:59"
        << "31.12.2003";
    QTest::newRow("midnight") << QDateTime(QDate(2004, 2, 29), QTime(0, 0, 0)) << "00:00"
                              << "00:00:00" << "29.02.2004";
    QTest::newRow("afternoon, 24-hour clock")
        << QDateTime(QDate(2004, 3, 5), QTime(17, 5, 1)) << "17:05" << "17:05:01"
        << "05.03.2004";
}

void TimeTextTest::currentTexts()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, time);
    QFETCH(QString, timeWithSeconds);
    QFETCH(QString, date);
    const FixedClock clock(moment);
    QCOMPARE(CurrentTimeText(clock), time);
    QCOMPARE(CurrentTimeWithSecondsText(clock), timeWithSeconds);
    QCOMPARE(CurrentDateText(clock), date);
}

void TimeTextTest::fixedClockMovesOn()
{
    FixedClock clock(QDateTime(QDate(2003, 12, 31), QTime(23, 59, 59)));
    clock.advance(1);
    QCOMPARE(CurrentTimeText(clock), QStringLiteral("00:00"));
    QCOMPARE(CurrentDateText(clock), QStringLiteral("01.01.2004"));
    clock.advanceDays(59);
    QCOMPARE(CurrentDateText(clock), QStringLiteral("29.02.2004"));
    clock.set(QDateTime(QDate(2004, 3, 5), QTime(9, 15)));
    QCOMPARE(CurrentTimeWithSecondsText(clock), QStringLiteral("09:15:00"));
}

void TimeTextTest::malformedDuration_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "";
    QTest::newRow("blank") << "     ";
    QTest::newRow("letters") << "xx:yy";
    QTest::newRow("hour not a number") << "0a:30";
    QTest::newRow("minute not a number") << "08:3x";
    QTest::newRow("too short") << "8:3";
    QTest::newRow("no hour") << ":30";
    QTest::newRow("sign only") << "-:30";
    QTest::newRow("double sign") << "--8:30";
    QTest::newRow("plus sign") << "+8:30";
    QTest::newRow("signed minutes") << "8:-5";
    QTest::newRow("blank inside") << "8 :30";
    QTest::newRow("absurdly long") << "99999999999999999999:00";
    QTest::newRow("dashes of an empty field") << "----";
}

void TimeTextTest::malformedDuration()
{
    QFETCH(QString, text);
    const QString day = QStringLiteral("01.02.2004");
    expectError([&] { DurationMinutes(text); }, BadTime, text);
    expectError([&] { AddDurations(text, QStringLiteral("0:30")); }, BadTime, text);
    expectError([&] { AddDurations(QStringLiteral("0:30"), text); }, BadTime, text);
    // Neither the arrival nor the departure time may yield a stored duration.
    expectError([&] { VisitDuration(text, day, QStringLiteral("17:05"), day); }, BadTime, text);
    expectError([&] { VisitDuration(QStringLiteral("08:30"), day, text, day); }, BadTime, text);
}

void TimeTextTest::malformedDate_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "";
    QTest::newRow("empty masked field") << "  .  .    ";
    QTest::newRow("no leading zeros") << "1.2.2004";
    QTest::newRow("two-digit year") << "01.02.04";
    QTest::newRow("wrong separators") << "01-02-2004";
    QTest::newRow("no such day") << "31.02.2004";
    QTest::newRow("no leap day in 2100") << "29.02.2100";
    QTest::newRow("month 13") << "01.13.2004";
    QTest::newRow("letters") << "ab.cd.efgh";
    QTest::newRow("signed year") << "01.02.-200";
    QTest::newRow("time instead of date") << "08:30";
}

void TimeTextTest::malformedDate()
{
    QFETCH(QString, text);
    const QString ok = QStringLiteral("01.02.2004");
    const QString from = QStringLiteral("08:30");
    const QString to = QStringLiteral("17:05");
    expectError([&] { DateFromText(text); }, BadDate, text);
    expectError([&] { DaysBetween(text, ok); }, BadDate, text);
    expectError([&] { DaysBetween(ok, text); }, BadDate, text);
    expectError([&] { VisitDuration(from, text, to, ok); }, BadDate, text);
    expectError([&] { VisitDuration(from, ok, to, text); }, BadDate, text);
}

LOBRIX_TEST(TimeTextTest)
#include "TimeTextTest.moc"

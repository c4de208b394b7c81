// The texts a report's run depends on: the date placeholders of WHERE lines and the day a
// visit ended.
#include "TestRegistry.h"

#include "records/ReportQuery.h"
#include "records/VisitEndDate.h"

#include <QTest>

using namespace lobrix::records;

class ReportTextsTest : public QObject {
    Q_OBJECT
private slots:
    void placeholders_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("today");
        QTest::addColumn<QStringList>("expected");
        const QString from = QStringLiteral("From Besucher.dbf");
        QTest::newRow("heute") << QStringList{"Select *", from, "WHERE Tag = 'heute'"} << "22.10.2005"
                               << QStringList{"Select *", from, "WHERE Tag = '22.10.2005'"};
        QTest::newRow("range, mixed case")
            << QStringList{"where Tag >= 'gestern' AND Tag <= 'HEUTE'"} << "22.10.2005"
            << QStringList{"where Tag >= '21.10.2005' AND Tag <= '22.10.2005'"};
        QTest::newRow("every occurrence") << QStringList{"Where 'Heute' 'heute' 'Gestern' 'GESTERN'"} << "01.01.2006"
                                          << QStringList{"Where '01.01.2006' '01.01.2006' '31.12.2005' '31.12.2005'"};
        QTest::newRow("1 March, leap year") << QStringList{"WHERE Tag = 'gestern'"} << "01.03.2008"
                                            << QStringList{"WHERE Tag = '29.02.2008'"};
        QTest::newRow("1 March") << QStringList{"WHERE Tag = 'gestern'"} << "01.03.2006"
                                 << QStringList{"WHERE Tag = '28.02.2006'"};
        QTest::newRow("not outside WHERE lines")
            << QStringList{"Select 'heute' AS X", from, " WHERE Tag = 'heute'", "ORDER BY 'heute'"} << "22.10.2005"
            << QStringList{"Select 'heute' AS X", from, " WHERE Tag = 'heute'", "ORDER BY 'heute'"};
        QTest::newRow("without quotes or other spelling")
            << QStringList{"WHERE Name = heute OR Name = 'hEute'"} << "22.10.2005"
            << QStringList{"WHERE Name = heute OR Name = 'hEute'"};
        QTest::newRow("the last WHERE line stands for all")
            << QStringList{"WHERE Tag = 'heute'", "UNION", "WHERE Firma = 'X'"} << "22.10.2005"
            << QStringList{"WHERE Firma = 'X'", "UNION", "WHERE Firma = 'X'"};
    }
    void placeholders()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, today);
        QFETCH(QStringList, expected);
        QCOMPARE(substituteDates(lines, today), expected);
    }

    void endDate_data()
    {
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("begin");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("expected"); // empty: no date
        QTest::newRow("over a day and midnight") << "22.10.2005" << "26:30" << "22:00" << "00:30" << "24.10.2005";
        QTest::newRow("over midnight") << "22.10.2005" << "02:30" << "22:00" << "00:30" << "23.10.2005";
        QTest::newRow("same day") << "22.10.2005" << "02:30" << "08:00" << "10:30" << "22.10.2005";
        QTest::newRow("grouped hours") << "31.12.2005" << "1.464:00" << "08:00" << "08:00" << "02.03.2006"; // 61 days
        QTest::newRow("duration unreadable") << "22.10.2005" << "" << "22:00" << "00:30" << "22.10.2005";
        // The end unreadable: the duration counts 0, but the begin was read and the end 0.
        QTest::newRow("end unreadable") << "22.10.2005" << "26:30" << "22:00" << "xx" << "23.10.2005";
        QTest::newRow("day unreadable") << "32.10.2005" << "02:30" << "22:00" << "00:30" << "";
    }
    void endDate()
    {
        QFETCH(QString, day);
        QFETCH(QString, duration);
        QFETCH(QString, begin);
        QFETCH(QString, end);
        QFETCH(QString, expected);
        QCOMPARE(VisitEndDate(day, duration, begin, end).value_or(QString()), expected);
    }
};

LOBRIX_TEST(ReportTextsTest)
#include "ReportTextsTest.moc"

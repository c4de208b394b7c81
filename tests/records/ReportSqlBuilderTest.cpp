// The report builder's SQL text and state list, without its window.
#include "TestRegistry.h"
#include "TestFiles.h"

#include "records/ReportSqlBuilder.h"

#include <QTest>

using namespace lobrix::records;

namespace {

enum Code { Tag = 0, Beginn = 1, Ende = 2, Ausw = 3, Name = 4, Firma = 6, Ort = 9, Land = 10, Quittung = 15,
            Quittiert = 16, Dauer = 17 };

void show(ReportDefinition &d, std::initializer_list<int> codes)
{
    for (int c : codes)
        d.shown[size_t(displayIndexOf(c))] = true;
}

} // namespace

class ReportSqlBuilderTest : public QObject {
    Q_OBJECT
private slots:
    void workedExample()
    {
        ReportDefinition d;
        show(d, {Name, Firma, Tag}); // Tag set and locked by condition 1
        d.conditions[0] = {Tag, 0, QStringLiteral("heute")};
        d.conditions[1] = {Firma, 2, QStringLiteral("M")};
        d.sortKeys[0] = {Name, false, true};
        QCOMPARE(d.sqlLines(), (QStringList{"Select Vorgang, Name||', '||Vorname AS Name, Firma, Tag",
                                            "From Besucher.dbf", "WHERE Tag = 'heute' AND Firma >= 'M'",
                                            "ORDER BY Name DESC"}));
        const QStringList state = d.stateLines();
        QCOMPARE(state.size(), StateLineCount);
        QCOMPARE(state.mid(0, 3), (QStringList{"0", "1", "0"}));  // Ausweis, Name, PA-Nr.
        QCOMPARE(state.at(13), QStringLiteral("1"));              // Tag des Besuchs
        QCOMPARE(state.mid(19, 6), (QStringList{"0", "0", "heute", "6", "2", "M"}));
        QCOMPARE(state.mid(25, 6), (QStringList{"-1", "-1", "", "-1", "-1", ""}));
        QCOMPARE(state.mid(31, 3), (QStringList{"4", "0", "1"}));
        QCOMPARE(state.mid(34, 6), (QStringList{"-1", "0", "0", "-1", "0", "0"}));
    }

    void generation_data()
    {
        QTest::addColumn<QList<QList<int>>>("conditions"); // field, op
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QList<QList<int>>>("sorts");       // field, descending
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("order");
        QTest::newRow("nothing") << QList<QList<int>>{} << QStringList{} << QList<QList<int>>{} << "" << "";
        QTest::newRow("only condition 3") << QList<QList<int>>{{-1, -1}, {-1, -1}, {Ort, 0}}
                                          << QStringList{"", "", "Köln"} << QList<QList<int>>{}
                                          << "WHERE ORT = 'Köln'" << "";
        QTest::newRow("conditions 2 and 4") << QList<QList<int>>{{-1, -1}, {Land, 0}, {-1, -1}, {Ausw, 3}}
                                            << QStringList{"", "D", "", "50"} << QList<QList<int>>{}
                                            << "WHERE LAND = 'D' AND Ausw < '50'" << "";
        QTest::newRow("sort keys 1 and 3") << QList<QList<int>>{} << QStringList{}
                                           << QList<QList<int>>{{Name, 0}, {-1, 0}, {Tag, 1}} << ""
                                           << "ORDER BY Name, Tag DESC";
        QTest::newRow("only sort key 2") << QList<QList<int>>{} << QStringList{}
                                         << QList<QList<int>>{{-1, 1}, {Firma, 0}} << "" << "ORDER BY Firma";
        QTest::newRow("confirmation present") << QList<QList<int>>{{Quittung, 5}} << QStringList{"vorhanden"}
                                              << QList<QList<int>>{} << "WHERE QUITTUNG <> 'nein'" << "";
        QTest::newRow("confirmation absent") << QList<QList<int>>{{Quittiert, 6}} << QStringList{"nicht vorhanden"}
                                             << QList<QList<int>>{} << "WHERE QUITTIERT = 'nein'" << "";
        QTest::newRow("text present") << QList<QList<int>>{{Firma, 5}} << QStringList{"vorhanden"}
                                      << QList<QList<int>>{} << "WHERE Firma <> ''" << "";
        QTest::newRow("untouched time") << QList<QList<int>>{{Beginn, 1}} << QStringList{"  :  "}
                                        << QList<QList<int>>{} << "WHERE Kommt > ''" << "";
        QTest::newRow("no operator uses =") << QList<QList<int>>{{Dauer, -1}} << QStringList{"1:00"}
                                            << QList<QList<int>>{} << "WHERE ANWESEND = '1:00'" << "";
        // A typed apostrophe stays inside the literal instead of ending it.
        QTest::newRow("apostrophe") << QList<QList<int>>{{Name, 0}} << QStringList{"O'Brien"}
                                    << QList<QList<int>>{} << "WHERE Name = 'O''Brien'" << "";
    }
    void generation()
    {
        QFETCH(QList<QList<int>>, conditions);
        QFETCH(QStringList, values);
        QFETCH(QList<QList<int>>, sorts);
        QFETCH(QString, where);
        QFETCH(QString, order);
        ReportDefinition d;
        for (int i = 0; i < conditions.size(); ++i)
            d.conditions[size_t(i)] = {conditions[i][0], conditions[i][1], values[i]};
        for (int i = 0; i < sorts.size(); ++i)
            d.sortKeys[size_t(i)] = {sorts[i][0], sorts[i][0] >= 0 && !sorts[i][1], sorts[i][1] == 1};
        const QStringList sql = d.sqlLines();
        QCOMPARE(sql.size(), 4);
        QCOMPARE(sql[0], QStringLiteral("Select Vorgang")); // no display check set
        QCOMPARE(sql[2], where);
        QCOMPARE(sql[3], order);
        // The state list brings back what made the text.
        QCOMPARE(ReportDefinition::fromStateLines(d.stateLines()).sqlLines(), sql);
    }

    // Every display check, in the select list's order ("Land" last).
    void selectListOrder()
    {
        ReportDefinition d;
        d.shown.fill(true);
        QCOMPARE(d.sqlLines().first(),
                 QStringLiteral("Select Vorgang, Ausweis AS Ausw, Name||', '||Vorname AS Name, PANR AS PA_Nr, "
                                "Firma, Strasse, PLZ, Ort, Telefon, KFZ, Bemerkung, ZIEL, QUITTUNG AS "
                                "Bestätigung, QUITTIERT AS bestätigt, Tag, Kommt AS Beginn, Geht AS Ende, "
                                "Anwesend AS Dauer, Nutzer, Land"));
    }

    void badStateList_data()
    {
        QTest::addColumn<int>("line"); // -1: a short list
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("short") << -1 << "" << "39 Zeilen";
        QTest::newRow("field not a number") << 19 << "x" << "Zeile 20";
        QTest::newRow("field out of range") << 31 << "20" << "Zeile 32";
        QTest::newRow("operator out of range") << 20 << "7" << "Zeile 21";
    }
    void badStateList()
    {
        QFETCH(int, line);
        QFETCH(QString, text);
        QFETCH(QString, mentions);
        QStringList lines = ReportDefinition().stateLines();
        if (line < 0)
            lines.removeLast();
        else
            lines[line] = text;
        const auto error = lobrix::test::errorOf([&] { ReportDefinition::fromStateLines(lines); });
        QVERIFY(error);
        QVERIFY2(error->contains(mentions), qPrintable(*error));
    }
};

LOBRIX_TEST(ReportSqlBuilderTest)
#include "ReportSqlBuilderTest.moc"

#include "layouts/PrintTable.h"

#include "TestInstallation.h"
#include "TestRegistry.h"
#include "common/Error.h"
#include "data/DbfCursor.h"
#include "data/DefaultStructure.h"
#include "layouts/LayoutFields.h"
#include "layouts/PrintedVisit.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <optional>

using namespace lobrix;
using namespace lobrix::layouts;
using namespace lobrix::test;

namespace {

const QString kTable = QString::fromLatin1(data::DefaultStructure::kPrintTable);

PrintedVisit visitOf(std::initializer_list<std::pair<const char *, const char *>> values,
                     std::array<bool, 4> info = {})
{
    PrintedVisit visit;
    for (const auto &[key, text] : values)
        visit.values.set(QString::fromLatin1(key), QString::fromUtf8(text));
    visit.infoStored = info;
    visit.formDate = QStringLiteral("05.03.2026");
    return visit;
}

PrintedVisit muellerVisit()
{
    PrintedVisit visit = visitOf({{fields::VORGANG, "4711"},
                                  {fields::Ausweis, "17 | Müller, Jürgen"},
                                  {fields::Name, "Müller"},
                                  {fields::Vorname, "Jürgen"},
                                  {fields::Firma, "Straßenbau Öhringen"},
                                  {fields::PANR, "P-88"},
                                  {fields::KFZ, "HN-AB 12"},
                                  {fields::Strasse, "Hauptstraße 5"},
                                  {fields::PLZ, "74613"},
                                  {fields::ORT, "Öhringen"},
                                  {fields::LAND, "Deutschland"},
                                  {fields::Telefon, "07941 1234"},
                                  {fields::Bemerkung, "Zutritt Halle 3"},
                                  {fields::ZIEL, "Einkauf"},
                                  {fields::QUITTUNG, "ja"},
                                  {fields::Kommt, "08:15"},
                                  {fields::Tag, "04.03.2026"},
                                  {fields::NUTZER, "Pförtner"},
                                  {fields::GUELTIGVON, "05.03.2026"},
                                  {fields::GUELTIGBIS, "06.03.2026"},
                                  // Captions of ticked boxes: a layout prints these, the
                                  // table carries what the visit stores.
                                  {fields::Info1, "Helm"},
                                  {fields::Info2, "Schutzbrille"}},
                                 {true, false, false, true});
    return visit;
}

// Every row of the table, field name (upper case) -> text, read by an independent reader.
QList<QJsonObject> rowsByDbfread(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, json, dbfread\n"
                                 "t = dbfread.DBF(sys.argv[1], char_decode_errors='strict')\n"
                                 "print(json.dumps([{k.upper(): v for k, v in r.items()} "
                                 "for r in t], default=str))"),
                  path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {};
    QList<QJsonObject> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        rows.append(row.toObject());
    return rows;
}

} // namespace

// BesucherDruck.dbf: the one row the external print documents read.
class PrintTableTest : public QObject
{
    Q_OBJECT

    std::optional<TestInstallation> m_install;

    QString tablePath() const { return data::DbfTable::resolve(m_install->startFolder(), kTable); }

    // The rows visible to the program, as column -> text.
    QList<QMap<QString, QString>> rows() const
    {
        data::DbfCursor cursor(m_install->startFolder(), kTable);
        QList<QMap<QString, QString>> out;
        for (bool more = cursor.first(); more; more = cursor.next()) {
            QMap<QString, QString> row;
            for (const data::DbfField &f : cursor.table().fields())
                row.insert(f.name.toUpper(), cursor.value(f.name));
            out.append(row);
        }
        return out;
    }

private slots:
    void init() { m_install.emplace(1); }
    void cleanup() { m_install.reset(); }

    void writesTheVisitIntoTheOneRow()
    {
        PrintTable::FillPrintTable(m_install->startFolder(), muellerVisit());

        const auto written = rows();
        QCOMPARE(written.size(), 1);
        const QMap<QString, QString> expected{
            {QStringLiteral("VORGANG"), QStringLiteral("4711")},
            {QStringLiteral("AUSWEIS"), QStringLiteral("17")},
            {QStringLiteral("NAME"), QStringLiteral("Müller")},
            {QStringLiteral("VORNAME"), QStringLiteral("Jürgen")},
            {QStringLiteral("FIRMA"), QStringLiteral("Straßenbau Öhringen")},
            {QStringLiteral("PANR"), QStringLiteral("P-88")},
            {QStringLiteral("KFZ"), QStringLiteral("HN-AB 12")},
            {QStringLiteral("STRASSE"), QStringLiteral("Hauptstraße 5")},
            {QStringLiteral("PLZ"), QStringLiteral("74613")},
            {QStringLiteral("ORT"), QStringLiteral("Öhringen")},
            {QStringLiteral("LAND"), QStringLiteral("Deutschland")},
            {QStringLiteral("TELEFON"), QStringLiteral("07941 1234")},
            {QStringLiteral("BEMERKUNG"), QStringLiteral("Zutritt Halle 3")},
            {QStringLiteral("ZIEL"), QStringLiteral("Einkauf")},
            {QStringLiteral("INFO1"), QStringLiteral("ja")},
            {QStringLiteral("INFO2"), QStringLiteral("nein")},
            {QStringLiteral("INFO3"), QStringLiteral("nein")},
            {QStringLiteral("INFO4"), QStringLiteral("ja")},
            {QStringLiteral("QUITTUNG"), QStringLiteral("ja")},
            {QStringLiteral("KOMMT"), QStringLiteral("08:15")},
            {QStringLiteral("GEHT"), QString()},
            {QStringLiteral("ANWESEND"), QString()},
            {QStringLiteral("QUITTIERT"), QStringLiteral("nein")},
            // The date a new visit is stored with, not the one the form shows.
            {QStringLiteral("TAG"), QStringLiteral("05.03.2026")},
            {QStringLiteral("NUTZER"), QStringLiteral("Pförtner")},
            {QStringLiteral("GUELTIGVON"), QStringLiteral("05.03.2026")},
            {QStringLiteral("GUELTIGBIS"), QStringLiteral("06.03.2026")},
        };
        QCOMPARE(written.first(), expected);

        // A mail merge reads the umlauts in the table's code page.
        const auto foreign = rowsByDbfread(tablePath());
        if (foreign.isEmpty())
            QSKIP("/usr/bin/python3 has no dbfread");
        QCOMPARE(foreign.size(), 1);
        QCOMPARE(foreign.first().value(QStringLiteral("NAME")).toString(),
                 QStringLiteral("Müller"));
        QCOMPARE(foreign.first().value(QStringLiteral("FIRMA")).toString(),
                 QStringLiteral("Straßenbau Öhringen"));
        QCOMPARE(foreign.first().value(QStringLiteral("TAG")).toString(),
                 QStringLiteral("2026-03-05"));
    }

    // The next print overwrites the row, fields left empty included; the row a document
    // left behind (a departure time, say) is edited, never followed by a second one.
    void overwritesTheRowAtTheNextPrint()
    {
        {
            auto table = data::DbfTable::open(tablePath());
            table->append(
                {{table->fieldIndexOrThrow(QStringLiteral("Geht")), QStringLiteral("17:00")},
                 {table->fieldIndexOrThrow(QStringLiteral("Quittiert")), QStringLiteral("ja")}});
        }
        PrintTable::FillPrintTable(m_install->startFolder(), muellerVisit());
        PrintedVisit next =
            visitOf({{fields::VORGANG, "4712"}, {fields::Ausweis, "3"}, {fields::Name, "Weiß"}});
        next.formDate = QStringLiteral("06.03.2026");
        PrintTable::FillPrintTable(m_install->startFolder(), next);

        const auto written = rows();
        QCOMPARE(written.size(), 1);
        const QMap<QString, QString> &row = written.first();
        QCOMPARE(row.value(QStringLiteral("VORGANG")), QStringLiteral("4712"));
        QCOMPARE(row.value(QStringLiteral("AUSWEIS")), QStringLiteral("3"));
        QCOMPARE(row.value(QStringLiteral("NAME")), QStringLiteral("Weiß"));
        QCOMPARE(row.value(QStringLiteral("VORNAME")), QString());
        QCOMPARE(row.value(QStringLiteral("FIRMA")), QString());
        QCOMPARE(row.value(QStringLiteral("INFO1")), QStringLiteral("nein"));
        QCOMPARE(row.value(QStringLiteral("GEHT")), QString());
        QCOMPARE(row.value(QStringLiteral("QUITTIERT")), QStringLiteral("nein"));
        QCOMPARE(row.value(QStringLiteral("TAG")), QStringLiteral("06.03.2026"));
        QCOMPARE(data::DbfTable::open(tablePath())->recordCount(), 1);
    }

    void createsAMissingTable()
    {
        QVERIFY(QFile::remove(tablePath()));
        PrintTable::FillPrintTable(m_install->startFolder(), muellerVisit());
        const auto written = rows();
        QCOMPARE(written.size(), 1);
        QCOMPARE(written.first().value(QStringLiteral("NAME")), QStringLiteral("Müller"));
    }

    // Typed texts are cut to their column like a save cuts them.
    void cutsLongTypedTexts()
    {
        const QString remark = QString(60, u'a') + QString(60, u'ä');
        PrintedVisit visit = muellerVisit();
        visit.values.set(QString::fromLatin1(fields::Bemerkung), remark);
        PrintTable::FillPrintTable(m_install->startFolder(), visit);
        QCOMPARE(rows().first().value(QStringLiteral("BEMERKUNG")), remark.left(100));
    }

    // A value the table cannot take stops the print before anything is written, so the
    // document never prints half of one visit and half of the last.
    void refusesValuesTheTableCannotStore_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        QTest::newRow("letter outside the code page")
            << QString::fromLatin1(fields::Firma) << QStringLiteral("Kovács Kőfaragó")
            << QStringLiteral("'ő'");
        QTest::newRow("visit number wider than its column")
            << QString::fromLatin1(fields::VORGANG) << QStringLiteral("12345678901")
            << QStringLiteral("Vorgang");
        QTest::newRow("badge number wider than its column")
            << QString::fromLatin1(fields::Ausweis) << QStringLiteral("12345 | Kovács")
            << QStringLiteral("Ausweis");
    }
    void refusesValuesTheTableCannotStore()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QString, named);
        PrintTable::FillPrintTable(m_install->startFolder(), muellerVisit());
        const auto before = rows();

        PrintedVisit visit = visitOf({{fields::Name, "Kovács"}});
        visit.values.set(key, text);
        try {
            PrintTable::FillPrintTable(m_install->startFolder(), visit);
            QFAIL("no error");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(named, Qt::CaseInsensitive), qPrintable(e.message()));
        }
        QCOMPARE(rows(), before);
    }
};

LOBRIX_TEST(PrintTableTest)
#include "PrintTableTest.moc"

// Readable report columns: the title table, the cell texts, the page count, the export.
#include "TestRegistry.h"

#include "records/ReportColumnWidths.h"
#include "records/ReportColumns.h"
#include "records/ReportExport.h"

#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QFile>
#include <QTest>

using namespace lobrix::records;

namespace {

FieldLookup rowOf(const QHash<QString, QString> &fields)
{
    return [fields](const QString &name) -> std::optional<QString> {
        for (auto it = fields.begin(); it != fields.end(); ++it)
            if (it.key().compare(name, Qt::CaseInsensitive) == 0)
                return it.value();
        return std::nullopt;
    };
}

} // namespace

class ReportColumnsTest : public QObject {
    Q_OBJECT
private slots:
    void titles_data()
    {
        QTest::addColumn<QString>("delivered");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("width"); // -1: unchanged
        QTest::addColumn<bool>("fixed");
        QTest::newRow("NAME") << "NAME" << "Name" << 150 << false;
        QTest::newRow("BESTÄTIGUN") << QStringLiteral("BESTÄTIGUN") << QStringLiteral("Bestätigung") << 75 << true;
        // Eleven letters: not a row of the table (but a fixed-width title).
        QTest::newRow("Bestätigung") << QStringLiteral("Bestätigung") << QStringLiteral("Bestätigung") << -1 << true;
        QTest::newRow("AUSW") << "AUSW" << "Ausw" << 40 << true;
        QTest::newRow("KFZ keeps its name") << "KFZ" << "KFZ" << 70 << true;
        QTest::newRow("PA_NR") << "PA_NR" << "PA_NR" << -1 << false;
        QTest::newRow("case counts") << "nAME" << "nAME" << -1 << false;
        QTest::newRow("unknown") << "KOMMT" << "KOMMT" << -1 << false;
    }
    void titles()
    {
        QFETCH(QString, delivered);
        QFETCH(QString, title);
        QFETCH(int, width);
        QFETCH(bool, fixed);
        QCOMPARE(reportTitle(delivered), title);
        const auto rule = titleRule(delivered);
        QCOMPARE(rule && rule->width ? *rule->width : -1, width);
        QCOMPARE(isFixedWidthTitle(title), fixed);
    }

    void printAlignments()
    {
        QCOMPARE(printAlignment(QStringLiteral("Tag")), ColumnAlign::Centre);
        QCOMPARE(printAlignment(QStringLiteral("Bestätigung")), ColumnAlign::Centre);
        QCOMPARE(printAlignment(QStringLiteral("Dauer")), ColumnAlign::Right);
        QCOMPARE(printAlignment(QStringLiteral("NUMMER")), ColumnAlign::Right);
        QCOMPARE(printAlignment(QStringLiteral("Name")), ColumnAlign::Left);
    }

    void cellTexts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("alwaysDuration");
        QTest::addColumn<bool>("withTimes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("confirmation requested") << QStringLiteral("BESTÄTIGUN") << "ja" << false << true << "erfordert";
        QTest::newRow("confirmation not requested") << "BESTAETIGU" << "nein" << false << true << "";
        QTest::newRow("other field says ja") << "NAME" << "ja" << false << true << "ja";
        QTest::newRow("over midnight") << "DAUER" << "02:30" << false << true << "bis 23.10.2005";
        QTest::newRow("always the duration") << "DAUER" << "02:30" << true << true << "02:30";
        QTest::newRow("still present") << "DAUER" << "" << false << true << "";
        QTest::newRow("no times in the result") << "DAUER" << "02:30" << false << false << "02:30";
    }
    void cellTexts()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(bool, alwaysDuration);
        QFETCH(bool, withTimes);
        QFETCH(QString, shown);
        QHash<QString, QString> fields{{QStringLiteral("TAG"), QStringLiteral("22.10.2005")}};
        if (withTimes) {
            fields.insert(QStringLiteral("BEGINN"), QStringLiteral("22:00"));
            fields.insert(QStringLiteral("ENDE"), QStringLiteral("00:30"));
        }
        QCOMPARE(shownCellText(field, value, rowOf(fields), alwaysDuration), shown);
    }

    void pages_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("pages");
        QTest::newRow("none") << 0 << 1;
        QTest::newRow("one page full") << 52 << 1;
        QTest::newRow("one more") << 53 << 2;
        QTest::newRow("157") << 157 << 4;
    }
    void pages()
    {
        QFETCH(int, records);
        QFETCH(int, pages);
        const ReportPageMath math{60};
        QCOMPARE(math.dataLinesPerPage(), 52);
        QCOMPARE(math.pages(records), pages);
    }

    // Cells a spreadsheet would run as formulas are written as text; the table keeps them.
    void exportNeutralisesFormulas_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("exported");
        QTest::newRow("sum") << "=1+1" << "'=1+1";
        QTest::newRow("hyperlink") << "=HYPERLINK(\"http://x\";\"klick\")" << "'=HYPERLINK(\"http://x\";\"klick\")";
        QTest::newRow("plus") << "+49 89 1234" << "'+49 89 1234";
        QTest::newRow("minus") << "-2+3" << "'-2+3";
        QTest::newRow("negative duration") << "-0:15" << "'-0:15";
        QTest::newRow("at") << "@SUM(A1)" << "'@SUM(A1)";
        QTest::newRow("tab") << "\t=1" << "'\t=1";
        QTest::newRow("carriage return") << "\r=1" << "'\r=1";
        QTest::newRow("inside") << "a=1" << "a=1";
        QTest::newRow("plain") << "Müller" << "Müller";
        QTest::newRow("leading space") << " =1" << " =1";
        QTest::newRow("empty") << "" << "";
    }
    void exportNeutralisesFormulas()
    {
        QFETCH(QString, cell);
        QFETCH(QString, exported);
        QCOMPARE(exportedCell(cell), exported);
        ReportTable t;
        t.titles = {QStringLiteral("Name")};
        t.rows = {{cell}};
        const QString csv = QString::fromUtf8(csvText(t).mid(3));
        const QString csvCell = csv.section(QStringLiteral("\r\n"), 1, 1);
        // Quoted where the cell needs it (a carriage return does).
        QVERIFY2(csvCell == exported || csvCell == u'"' + QString(exported).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"',
                 qPrintable(csvCell));
        const QString tab = QString::fromUtf8(tabText(t)).section(u'\n', 1, 1);
        QCOMPARE(tab, QString(exported).replace(u'\t', u' ').replace(u'\r', u' '));
        QCOMPARE(t.rows.front().front(), cell);
    }

    // A real spreadsheet program imports the export: no cell runs as a formula. LibreOffice
    // reads the file as a clerk's double click would (";" separated, UTF-8) and writes back
    // what its cells hold; an unprotected "=1+1" would come back as 2.
    void spreadsheetRunsNoFormula()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed: the import by a spreadsheet program is not tried");
        QTemporaryDir dir;
        ReportTable t;
        t.titles = {QStringLiteral("Name"), QStringLiteral("Firma")};
        t.rows = {{QStringLiteral("=1+1"), QStringLiteral("=HYPERLINK(\"http://example.invalid\";\"x\")")},
                  {QStringLiteral("+2+3"), QStringLiteral("-4+5")},
                  {QStringLiteral("@SUM(1;2)"), QStringLiteral("Acme")}};
        QFile csv(dir.filePath(QStringLiteral("export.csv")));
        QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write(csvText(t)) > 0);
        csv.close();
        QProcess office;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path()); // a profile of its own
        office.setProcessEnvironment(env);
        office.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:59,34,76,1"),
                               QStringLiteral("--convert-to"),
                               QStringLiteral("csv:Text - txt - csv (StarCalc):59,34,76,1,,0,false,true,false,false,false"),
                               QStringLiteral("--outdir"), dir.filePath(QStringLiteral("out")), csv.fileName()});
        QVERIFY(office.waitForFinished(120000));
        QFile back(dir.filePath(QStringLiteral("out/export.csv")));
        QVERIFY2(back.open(QIODevice::ReadOnly), office.readAllStandardError().constData());
        const QStringList lines = QString::fromUtf8(back.readAll()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("'=1+1;")), qPrintable(lines.at(1)));
        QVERIFY2(lines.at(1).contains(QStringLiteral("HYPERLINK")), qPrintable(lines.at(1)));
        QVERIFY2(lines.at(2).trimmed() == QStringLiteral("'+2+3;'-4+5"), qPrintable(lines.at(2)));
        QVERIFY2(QString(lines.at(3)).remove(u'"').startsWith(QStringLiteral("'@SUM")), qPrintable(lines.at(3)));
    }

    // The widest text by a width function (7 per character here): texts that cannot be
    // wider than the widest so far are not measured at all.
    void columnMeasure()
    {
        int measured = 0;
        ColumnMeasure m(2, [&](const QString &text) { ++measured; return 7 * int(text.size()); }, 9);
        const int perCharacter = measured; // the 128 ASCII advances
        m.add(0, "abc");
        m.add(0, "abcdef");
        m.add(0, "ab"); // ruled out by its bound
        m.add(1, "\xC3\xA4\xC3\xB6"); // "äö": beyond ASCII bounded by the widest character
        QCOMPARE(m.widest(0), 42);
        QCOMPARE(m.widest(1), 14);
        QCOMPARE(measured - perCharacter, 3);
    }

    // Which width each column gets: the title table's, the measured fit for a column whose
    // title the table leaves as delivered, the fixed ones never fitted, the column file last.
    void plannedWidths()
    {
        std::vector<ReportGridModel::Column> columns{{"NAME", "NAME"},   {"KFZ", "KFZ"},   {"TAG", "TAG"},
                                                     {"NOTIZ", "NOTIZ"}, {"KURZ", "KURZ"}, {"ORT", "ORT"}};
        const std::vector<int> widths = planColumnWidths(
            columns,
            [](const QString &delivered) -> std::optional<int> {
                if (delivered == u"NOTIZ")
                    return 300;
                if (delivered == u"KURZ" || delivered == u"KFZ")
                    return 10;
                return std::nullopt;
            },
            {1, 1, 1, 1, 1, 1}, {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, 55});
        // NAME is renamed by the table and keeps its 150; KFZ and TAG are fixed; NOTIZ fits
        // its text, KURZ gets at least the candidate width; ORT is stored in the column file.
        QCOMPARE(widths, (std::vector<int>{150, 70, 70, 300 + FitMargin, CandidateWidth + FitMargin, 55}));
        QCOMPARE(columns[0].title, QStringLiteral("Name"));
        QCOMPARE(columns[2].cell, ColumnAlign::Centre);
    }

    void exportTexts()
    {
        ReportTable t;
        t.titles = {QStringLiteral("Name"), QStringLiteral("Firma")};
        t.rows = {{QStringLiteral("Müller"), QStringLiteral("Acme; \"Bau\"")}, {QStringLiteral("a\tb"), QString()}};
        QCOMPARE(csvText(t), QByteArray("\xEF\xBB\xBFName;Firma\r\nM\xC3\xBCller;\"Acme; \"\"Bau\"\"\"\r\na\tb;\r\n"));
        QCOMPARE(tabText(t), QByteArray("Name\tFirma\nM\xC3\xBCller\tAcme; \"Bau\"\na b\t\n"));
    }
};

LOBRIX_TEST(ReportColumnsTest)
#include "ReportColumnsTest.moc"

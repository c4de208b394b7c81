// Stored reports run on a real installation: the standard reports, hand-written query
// files, a statement that tries to write, and `lobrix-admin report`.
#include "ReportFixtures.h"
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "data/SqlEngine.h"
#include "records/ReportExport.h"
#include "records/ReportFolder.h"
#include "records/ReportSqlBuilder.h"
#include "records/StandardReports.h"

#include <QDir>
#include <QProcess>
#include <QTest>

using namespace lobrix;
using namespace lobrix::records;
using namespace lobrix::test;

namespace {

struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

Run admin(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(LOBRIX_ADMIN_EXE), args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class ReportRunTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestInstallation> m_inst;
    QString lists() const { return QDir(m_inst->databaseFolder()).filePath(QStringLiteral("Listen")); }

private slots:
    void init()
    {
        m_inst = std::make_unique<TestInstallation>(10);
        addVisits(m_inst->databaseFolder(),
                  {{1, "3", "Zander", "Eva", "Acme", "21.10.2005", "08:00", "09:00", "1:00"},
                   {2, "5", "Albers", "Jan", "Bau; Co", "22.10.2005", "22:00", "", ""},
                   {3, "7", "O'Brien", "Pat", "Acme", "22.10.2005", "07:30", "", ""},
                   {4, "9", "Müller", "Jürgen", "Öhringen", "22.10.2005", "06:00", "07:00", "1:00"}});
    }

    void standardReportsShipWithTheirState()
    {
        const ReportFolder folder(lists());
        QCOMPARE(folder.names(), (QStringList{"Anwesende Besucher", "Besucher gestern", "Besucher heute"}));
        for (const QString &name : folder.names()) {
            const ReportDefinition d = ReportDefinition::fromStateLines(folder.readState(name));
            QCOMPARE(d.sqlLines(), folder.readQuery(name));
        }
    }

    // Everyone on site, sorted by name, whatever day they came.
    void rollCall()
    {
        data::SqlEngine engine(m_inst->databaseFolder(), data::SqlEngine::Access::ReadOnly);
        const ReportTable t = runReport(engine, ReportFolder(lists()), QString::fromUtf8(StandardReports::Present),
                                        QStringLiteral("23.10.2005"), false);
        QCOMPARE(t.titles, (QStringList{"Vorgang", "Ausw", "Name", "Firma", "Ziel", "Tag", "Beginn", "Ende"}));
        QCOMPARE(t.rows.size(), size_t(2));
        QCOMPARE(t.rows[0].mid(1, 3), (QStringList{"5", "Albers, Jan", "Bau; Co"}));
        QCOMPARE(t.rows[1].at(2), QStringLiteral("O'Brien, Pat"));
    }

    void todayAndYesterday_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QList<int>>("visits");
        QTest::newRow("heute") << QString::fromUtf8(StandardReports::Today) << QList<int>{4, 3, 2};
        QTest::newRow("gestern") << QString::fromUtf8(StandardReports::Yesterday) << QList<int>{1};
    }
    void todayAndYesterday()
    {
        QFETCH(QString, report);
        QFETCH(QList<int>, visits);
        data::SqlEngine engine(m_inst->databaseFolder(), data::SqlEngine::Access::ReadOnly);
        const ReportTable t = runReport(engine, ReportFolder(lists()), report, QStringLiteral("22.10.2005"), false);
        QList<int> got;
        for (const QStringList &r : t.rows)
            got << r.first().toInt();
        QCOMPARE(got, visits); // sorted by arrival time
    }

    // Hand-written files of other shapes run as they stand; one that tries to write is
    // refused by the read-only engine and changes nothing.
    void handWrittenQueries()
    {
        QVERIFY(putFile(QDir(lists()).filePath(QStringLiteral("Zwei Zeilen.sql")),
                        "select count(*) AS Nummer\r\nfrom Besucher.dbf where Tag = 'heute'\r\n"));
        QVERIFY(putFile(QDir(lists()).filePath(QStringLiteral("Schreiben.sql")), "Delete From Besucher.dbf\r\n"));
        data::SqlEngine engine(m_inst->databaseFolder(), data::SqlEngine::Access::ReadOnly);
        const ReportFolder folder(lists());
        // "from ... where" is not a WHERE line: its placeholder stays a text.
        QCOMPARE(runReport(engine, folder, QStringLiteral("Zwei Zeilen"), QStringLiteral("22.10.2005"), false).rows,
                 std::vector<QStringList>{{QStringLiteral("0")}});
        QVERIFY(errorOf([&] { runReport(engine, folder, QStringLiteral("Schreiben"), QStringLiteral("22.10.2005"), false); }));
        data::SqlEngine check(m_inst->databaseFolder());
        data::SqlQuery q = check.query(QStringLiteral("Select count(*) From Besucher.dbf"));
        QVERIFY(q.next());
        QCOMPARE(q.text(0), QStringLiteral("4"));
    }

    void adminReport()
    {
        const Run tab = admin({QStringLiteral("report"), m_inst->startFolder(), QString::fromUtf8(StandardReports::Today),
                               QStringLiteral("--date"), QStringLiteral("22.10.2005")});
        QCOMPARE(tab.code, 0);
        const QList<QByteArray> lines = tab.out.split('\n');
        QCOMPARE(lines.first(), QByteArray("Vorgang\tAusw\tName\tFirma\tZiel\tTag\tBeginn\tEnde\tDauer"));
        QCOMPARE(lines.size(), 5); // head, three visits, the end of the last line
        QVERIFY(lines[1].startsWith("4\t9\tM\xC3\xBCller, J\xC3\xBCrgen\t\xC3\x96hringen"));

        const QString csv = QDir(m_inst->root()).filePath(QStringLiteral("anwesend.csv"));
        const Run file = admin({QStringLiteral("report"), m_inst->startFolder(),
                                QString::fromUtf8(StandardReports::Present), QStringLiteral("--csv"), csv});
        QCOMPARE(file.code, 0);
        QVERIFY(file.out.contains("2 Zeilen"));
        const QByteArray bytes = fileBytes(csv);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFVorgang;Ausw;Name;Firma;Ziel;Tag;Beginn;Ende\r\n"));
        QVERIFY(bytes.contains(";\"Bau; Co\";"));

        const Run missing = admin({QStringLiteral("report"), m_inst->startFolder(), QStringLiteral("Gibt es nicht")});
        QCOMPARE(missing.code, 1);
        QVERIFY(missing.err.contains(QStringLiteral("keinen Bericht 'Gibt es nicht'")));
        const Run badDate = admin({QStringLiteral("report"), m_inst->startFolder(), QString::fromUtf8(StandardReports::Today),
                                   QStringLiteral("--date"), QStringLiteral("31.02.2005")});
        QCOMPARE(badDate.code, 2);
    }
};

LOBRIX_TEST(ReportRunTest)
#include "ReportRunTest.moc"

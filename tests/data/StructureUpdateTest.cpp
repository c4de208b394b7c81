// The structure update that runs at every program start, and the maintenance actions.
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/TextFile.h"
#include "data/DatabaseMaintenance.h"
#include "data/DbfTable.h"
#include "data/SqlEngine.h"
#include "data/StructureUpdate.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace lobrix;
using namespace lobrix::data;

namespace {

void writeStructure(const QString &folder, const QStringList &lines)
{
    TextFile::writeLines(QDir(folder).filePath(QStringLiteral("Struktur.txt")), lines);
}

QStringList fieldNames(const QString &folder, const QString &table)
{
    auto t = DbfTable::open(DbfTable::resolve(folder, table), DbfTable::Mode::ReadOnly);
    QStringList names;
    for (const DbfField &f : t->fields())
        names << f.name;
    return names;
}

QStringList updateLog(const QString &folder)
{
    bool ok = false;
    const QStringList lines = TextFile::readLines(QDir(folder).filePath(QStringLiteral("UpdateLog.txt")), &ok);
    return ok ? lines : QStringList{QStringLiteral("<missing>")};
}

QString stop() { return StructureUpdate::stopLine(); }

} // namespace

class StructureUpdateTest : public QObject {
    Q_OBJECT
private slots:
    void runs_data()
    {
        QTest::addColumn<QStringList>("before");  // structure of a first run, if any
        QTest::addColumn<QStringList>("structure");
        QTest::addColumn<QStringList>("expectedLog");
        QTest::addColumn<QStringList>("expectedFields"); // of T.dbf
        QTest::addColumn<bool>("messageShown");

        const QStringList base{"[T.dbf]", "Name=CHAR(30)"};
        QTest::newRow("new field") << base << QStringList{"[T.dbf]", "Name=CHAR(30)", "Ort=CHAR(20)"}
                                   << QStringList{"Feld erstellt\tTabelle: 'T.dbf'\t Feld: 'Ort'\tFeldTyp: 'CHAR(20)'"}
                                   << QStringList{"NAME", "ORT"} << false;
        QTest::newRow("new table with three fields")
            << QStringList{} << QStringList{"[T.dbf]", "Name=CHAR(30)", "", "Tag=DATE", "Nr=NUMERIC(5,0)"}
            << QStringList{"Tabelle erstellt\tTabelle: 'T.dbf'\tmit Feld: 'Name'\tFeldTyp: 'CHAR(30)'",
                           "Feld erstellt\tTabelle: 'T.dbf'\t Feld: 'Tag'\tFeldTyp: 'DATE'",
                           "Feld erstellt\tTabelle: 'T.dbf'\t Feld: 'Nr'\tFeldTyp: 'NUMERIC(5,0)'"}
            << QStringList{"NAME", "TAG", "NR"} << true;
        QTest::newRow("case of field names ignored")
            << base << QStringList{"[T.dbf]", "name=CHAR(30)", "NAME=CHAR(10)"} << QStringList{}
            << QStringList{"NAME"} << false;
        QTest::newRow("nothing to do writes an empty log")
            << base << base << QStringList{} << QStringList{"NAME"} << false;
        QTest::newRow("split at the last equals sign")
            << base << QStringList{"[T.dbf]", "Name=CHAR(30)", "Ort=CHAR(20)", "A=B=CHAR(5)", "Plz=CHAR(5)"}
            << QStringList{"Feld erstellt\tTabelle: 'T.dbf'\t Feld: 'Ort'\tFeldTyp: 'CHAR(20)'", stop()}
            << QStringList{"NAME", "ORT"} << false;
        QTest::newRow("header on the last line")
            << base << QStringList{"[T.dbf]", "Name=CHAR(30)", "Ort=CHAR(20)", "[U.dbf]"}
            << QStringList{"Feld erstellt\tTabelle: 'T.dbf'\t Feld: 'Ort'\tFeldTyp: 'CHAR(20)'", stop()}
            << QStringList{"NAME", "ORT"} << false;
        QTest::newRow("unknown type stops")
            << base << QStringList{"[T.dbf]", "Name=CHAR(30)", "Zeit=TIMESTAMP", "Ort=CHAR(20)"}
            << QStringList{stop()} << QStringList{"NAME"} << false;
        QTest::newRow("field before any table")
            << base << QStringList{"Name=CHAR(30)", "[T.dbf]", "Ort=CHAR(20)"}
            << QStringList{stop()} << QStringList{"NAME"} << false;
        QTest::newRow("existing field of another type stays")
            << base << QStringList{"[T.dbf]", "Name=NUMERIC(5,0)"} << QStringList{}
            << QStringList{"NAME"} << false;
    }
    void runs()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, structure);
        QFETCH(QStringList, expectedLog);
        QFETCH(QStringList, expectedFields);
        QFETCH(bool, messageShown);
        QTemporaryDir dir;
        if (!before.isEmpty()) {
            writeStructure(dir.path(), before);
            StructureUpdate::run(dir.path());
        }
        writeStructure(dir.path(), structure);
        QStringList messages;
        const auto result =
            StructureUpdate::run(dir.path(), [&](const QString &m) { messages << m; });
        QCOMPARE(updateLog(dir.path()), expectedLog);
        QCOMPARE(fieldNames(dir.path(), QStringLiteral("T.dbf")), expectedFields);
        QCOMPARE(messages.size(), messageShown ? 1 : 0);
        if (messageShown)
            QCOMPARE(messages[0], QStringLiteral(
                "Ein Datenbankupdate wurde erfolgreich durchgeführt.\n"
                "Folgende Tabellen wurden geändert:\n\n  -> T.dbf\n\n"
                "Nähere Informationen finden Sie in der Datei 'UpdateLog.txt' im Datenbankordner."));
        QCOMPARE(result.stopped, expectedLog.contains(stop()));
    }

    void missingStructureFileOnlyLogs()
    {
        QTemporaryDir dir;
        QStringList messages;
        const auto result = StructureUpdate::run(dir.path(), [&](const QString &m) { messages << m; });
        QVERIFY(result.stopped);
        QVERIFY(messages.isEmpty());
        QCOMPARE(updateLog(dir.path()), QStringList{stop()});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"UpdateLog.txt"});
    }

    void messageListsEveryCreatedTableOnce()
    {
        QTemporaryDir dir;
        writeStructure(dir.path(), {"[A.dbf]", "X=CHAR(1)", "Y=CHAR(1)", "[B.dbf]", "Z=DATE"});
        QString message;
        StructureUpdate::run(dir.path(), [&](const QString &m) { message = m; });
        QVERIFY(message.contains(QStringLiteral("\n\n  -> A.dbf\n  -> B.dbf\n\nNähere")));
    }

    void legacyInstallationIsLeftIntact()
    {
        QTemporaryDir dir;
        test::copyFixtureFolder(test::fixturePath(QStringLiteral("legacy/db")), dir.path());
        SqlEngine before(dir.path());
        auto snapshot = [&](SqlEngine &sql) {
            QStringList rows;
            SqlQuery q = sql.query(QStringLiteral("Select * From Besucher.dbf Order By Vorgang"));
            while (q.next()) {
                QStringList r;
                for (int i = 0; i < q.columnCount(); ++i)
                    r << q.text(i);
                rows << r.join(u'|');
            }
            return rows;
        };
        const QStringList rows = snapshot(before);
        QCOMPARE(rows.size(), 239);
        QStringList messages;
        const auto result = StructureUpdate::run(dir.path(), [&](const QString &m) { messages << m; });
        QVERIFY(!result.stopped);
        QVERIFY(messages.isEmpty());
        SqlEngine after(dir.path());
        QCOMPARE(snapshot(after), rows);
        // Upper-case file names were found, not created a second time.
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Besucher.dbf"))));
    }

    void defaultStructureCreatesEveryTable()
    {
        test::TestInstallation inst;
        const QString db = inst.databaseFolder();
        for (const char *t : {"Besucher.dbf", "Besucher_2.dbf", "Ausweis.dbf", "Stamm.dbf",
                              "Voranmel.dbf", "Fotos.dbf", "Ziele.dbf"})
            QVERIFY2(QFile::exists(QDir(db).filePath(QString::fromLatin1(t))), t);
        QVERIFY(fieldNames(db, QStringLiteral("Besucher.dbf")).contains(QStringLiteral("GUELTIGBIS")));
        auto voranmel = DbfTable::open(QDir(db).filePath(QStringLiteral("Voranmel.dbf")), DbfTable::Mode::ReadOnly);
        QCOMPARE(voranmel->fields()[voranmel->fieldIndex(QStringLiteral("Anwesend"))].type, 'L');
        // A second run changes nothing.
        const auto again = StructureUpdate::run(db);
        QVERIFY(!again.stopped);
        QVERIFY(again.logLines.isEmpty());
    }

    void separateVisitsMovesThePorterRows()
    {
        QTemporaryDir dir;
        test::copyFixtureFolder(test::fixturePath(QStringLiteral("legacy/db")), dir.path());
        auto count = [&](const QString &sql) {
            SqlEngine e(dir.path());
            SqlQuery q = e.query(sql);
            q.next();
            return q.text(0).toInt();
        };
        const int porter = count(QStringLiteral("Select Count(*) From Besucher.dbf Where Nutzer = 'pfoertner'"));
        const int before2 = count(QStringLiteral("Select Count(*) From Besucher_2.dbf"));
        QVERIFY(porter > 0);
        QCOMPARE(DatabaseMaintenance::separateVisits(dir.path()), porter);
        QCOMPARE(count(QStringLiteral("Select Count(*) From Besucher.dbf")), 239 - porter);
        QCOMPARE(count(QStringLiteral("Select Count(*) From Besucher.dbf Where Nutzer = 'pfoertner'")), 0);
        QCOMPARE(count(QStringLiteral("Select Count(*) From Besucher_2.dbf")), before2 + porter);
        auto visits = DbfTable::open(DbfTable::resolve(dir.path(), QStringLiteral("Besucher.dbf")),
                                     DbfTable::Mode::ReadOnly);
        QCOMPARE(visits->recordCount(), 239 - porter); // packed: the deleted rows are gone
    }

    void extendingBadgesTwiceDoublesThem()
    {
        test::TestInstallation inst(1000);
        DatabaseMaintenance::extendBadgesTo5000(inst.databaseFolder());
        DatabaseMaintenance::extendBadgesTo5000(inst.databaseFolder());
        SqlEngine sql(inst.databaseFolder());
        SqlQuery q = sql.query(QStringLiteral(
            "Select Count(*), Count(DISTINCT Ausweis), Max(Ausweis), Sum(Kommt = '25:00'), "
            "Sum(Tag = '') From Ausweis.dbf"));
        QVERIFY(q.next());
        QCOMPARE(q.text(0), QStringLiteral("9000"));
        QCOMPARE(q.text(1), QStringLiteral("5000"));
        QCOMPARE(q.text(2), QStringLiteral("5000"));
        QCOMPARE(q.text(3), QStringLiteral("9000"));
        QCOMPARE(q.text(4), QStringLiteral("9000"));
    }
};

LOBRIX_TEST(StructureUpdateTest)
#include "StructureUpdateTest.moc"

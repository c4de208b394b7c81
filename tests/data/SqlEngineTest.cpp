// SQL over a database folder: the statements the program and its reports use.
#include "TestRegistry.h"

#include "common/Error.h"
#include "data/DbfTable.h"
#include "data/SqlEngine.h"
#include "data/SqlText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lobrix;
using namespace lobrix::data;

namespace {

struct Visit {
    const char *ausweis, *name, *vorname, *kommt, *geht, *tag;
};

// A small visits table with dates across year ends, so that comparing them as text
// would give other answers than comparing them as dates.
const Visit kVisits[] = {
    {"1", "Müller", "Anna", "08:00", "12:00", "21.10.2005"},
    {"2", "Meyer", "Bernd", "09:30", "", "22.10.2005"},
    {"3", "Nagel", "Carla", "07:15", "16:00", "01.11.2004"},
    {"4", "müller", "Dora", "10:00", "", "21.10.2005"},
    {"12", "O'Brien", "Eve", "11:00", "11:30", "05.01.2006"},
    {"", "Ärger", "Fritz", "06:00", "06:10", "30.09.2005"},
    {"7", "Zander", "Gisela", "13:00", "14:00", ""},
};

void makeVisits(const QString &folder)
{
    SqlEngine sql(folder);
    sql.execute(QStringLiteral("CREATE TABLE 'Besucher.dbf' (Ausweis CHAR(4))"));
    sql.execute(QStringLiteral("ALTER TABLE 'Besucher.dbf' ADD Name CHAR(30)"));
    sql.execute(QStringLiteral("ALTER TABLE 'Besucher.dbf' ADD Vorname CHAR(30)"));
    sql.execute(QStringLiteral("ALTER TABLE 'Besucher.dbf' ADD Kommt CHAR(5)"));
    sql.execute(QStringLiteral("ALTER TABLE 'Besucher.dbf' ADD Geht CHAR(5)"));
    sql.execute(QStringLiteral("ALTER TABLE 'Besucher.dbf' ADD Tag DATE"));
    for (const Visit &v : kVisits)
        sql.execute(QStringLiteral("INSERT INTO Besucher.dbf (Ausweis, Name, Vorname, Kommt, "
                                   "Geht, Tag) VALUES (?, ?, ?, ?, ?, ?)"),
                    {QString::fromUtf8(v.ausweis), QString::fromUtf8(v.name),
                     QString::fromUtf8(v.vorname), QString::fromUtf8(v.kommt),
                     QString::fromUtf8(v.geht), QString::fromUtf8(v.tag)});
    sql.execute(QStringLiteral("CREATE TABLE Ausweis.dbf (Ausweis NUMERIC(5,0), Kommt CHAR(5), "
                               "Tag DATE)"));
    for (int i = 1; i <= 12; ++i)
        sql.execute(QStringLiteral("INSERT INTO Ausweis.dbf VALUES (?, ?, ?)"),
                    {i, i % 4 == 0 ? QStringLiteral("08:00") : QStringLiteral("25:00"),
                     i % 4 == 0 ? QStringLiteral("21.10.2005") : QString()});
}

QStringList column(SqlEngine &sql, const QString &statement, const QVariantList &params = {})
{
    SqlQuery q = sql.query(statement, params);
    QStringList values;
    while (q.next())
        values << q.text(0);
    return values;
}

QString legacyDb()
{
    return QStringLiteral(LOBRIX_SHARED_DIR "/fixtures/legacy/db");
}

} // namespace

class SqlEngineTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        makeVisits(m_dir.path());
    }

    void quotesTableNames_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Select * From Besucher.dbf Where Geht = ''"
                               << "Select * From \"Besucher.dbf\" Where Geht = ''";
        QTest::newRow("upper case") << "SELECT * FROM BESUCHER.DBF"
                                    << "SELECT * FROM \"BESUCHER.DBF\"";
        QTest::newRow("literal untouched") << "Select 'Besucher.dbf' From Ziele.dbf"
                                           << "Select 'Besucher.dbf' From \"Ziele.dbf\"";
        QTest::newRow("already quoted") << "Select * From \"Ziele.dbf\""
                                        << "Select * From \"Ziele.dbf\"";
        QTest::newRow("qualified column") << "Select Besucher.Name From Besucher.dbf Besucher"
                                          << "Select Besucher.Name From \"Besucher.dbf\" Besucher";
        QTest::newRow("comment") << "Select 1 -- From Besucher.dbf\nFrom Ziele.dbf"
                                 << "Select 1 -- From Besucher.dbf\nFrom \"Ziele.dbf\"";
        QTest::newRow("doubled quote in literal") << "Where Name = 'O''Brien.dbf' Or X.dbf"
                                                  << "Where Name = 'O''Brien.dbf' Or \"X.dbf\"";
    }
    void quotesTableNames()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(quoteDbfTableNames(sql), expected);
    }

    void mapsSqlTypes_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<char>("dbfType");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("decimals");
        QTest::newRow("CHAR") << "CHAR(30)" << 'C' << 30 << 0;
        QTest::newRow("VARCHAR") << "varchar( 100 )" << 'C' << 100 << 0;
        QTest::newRow("NUMERIC") << "NUMERIC(5,0)" << 'N' << 5 << 0;
        QTest::newRow("DECIMAL") << "DECIMAL(10,2)" << 'N' << 10 << 2;
        QTest::newRow("FLOAT") << "FLOAT(12,3)" << 'F' << 12 << 3;
        QTest::newRow("SMALLINT") << "SMALLINT" << 'N' << 6 << 0;
        QTest::newRow("INTEGER") << "INTEGER" << 'N' << 11 << 0;
        QTest::newRow("DATE") << "DATE" << 'D' << 8 << 0;
        QTest::newRow("BOOLEAN") << "BOOLEAN" << 'L' << 1 << 0;
        QTest::newRow("BLOB") << "BLOB(10,1)" << 'M' << 10 << 0;
        QTest::newRow("MEMO") << "MEMO" << 'M' << 10 << 0;
    }
    void mapsSqlTypes()
    {
        QFETCH(QString, type);
        QFETCH(char, dbfType);
        QFETCH(int, length);
        QFETCH(int, decimals);
        const DbfField f = dbfFieldForSqlType(QStringLiteral("Feld"), type);
        QCOMPARE(f.name, QStringLiteral("FELD"));
        QCOMPARE(f.type, dbfType);
        QCOMPARE(f.length, length);
        QCOMPARE(f.decimals, decimals);
    }

    void refusesUnknownTypes_data()
    {
        QTest::addColumn<QString>("type");
        QTest::newRow("TIMESTAMP") << "TIMESTAMP";
        QTest::newRow("CHAR without width") << "CHAR";
        QTest::newRow("CHAR too wide") << "CHAR(300)";
        QTest::newRow("garbage") << "NUMERIC(5,0) NOT NULL";
        QTest::newRow("empty") << "";
    }
    void refusesUnknownTypes()
    {
        QFETCH(QString, type);
        QTemporaryDir dir;
        SqlEngine sql(dir.path());
        QVERIFY_THROWS_EXCEPTION(Error, sql.execute("CREATE TABLE 'T.dbf' (F " + type + ")"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("T.dbf"))));
    }

    void createAndAlterChangeTheFile()
    {
        auto table = DbfTable::open(DbfTable::resolve(m_dir.path(), QStringLiteral("besucher.dbf")),
                                    DbfTable::Mode::ReadOnly);
        QStringList names;
        for (const DbfField &f : table->fields())
            names << f.name;
        QCOMPARE(names, QStringList({"AUSWEIS", "NAME", "VORNAME", "KOMMT", "GEHT", "TAG"}));
        QCOMPARE(table->fields()[5].type, 'D');
        QCOMPARE(table->recordCount(), int(std::size(kVisits)));

        // A column added after the table was first used is seen by the same engine.
        QTemporaryDir dir;
        SqlEngine sql(dir.path());
        sql.execute(QStringLiteral("CREATE TABLE 'Ziele.dbf' (Name CHAR(100))"));
        sql.execute(QStringLiteral("INSERT INTO Ziele.dbf VALUES ('Einkauf')"));
        QCOMPARE(column(sql, QStringLiteral("Select * From Ziele.dbf")), QStringList{"Einkauf"});
        sql.execute(QStringLiteral("ALTER TABLE 'Ziele.dbf' ADD Etage NUMERIC(3,0)"));
        SqlQuery q = sql.query(QStringLiteral("Select * From Ziele.dbf"));
        QCOMPARE(q.columnCount(), 2);
        QVERIFY(q.next());
        QCOMPARE(q.text(0), QStringLiteral("Einkauf"));
        QVERIFY(q.isNull(1));
        QVERIFY_THROWS_EXCEPTION(Error, sql.execute(QStringLiteral(
                                            "ALTER TABLE 'Ziele.dbf' ADD ETAGE CHAR(3)")));
        QVERIFY_THROWS_EXCEPTION(Error, sql.execute(QStringLiteral(
                                            "CREATE TABLE 'Ziele.dbf' (Name CHAR(10))")));
    }

    void presentVisitors()
    {
        SqlEngine sql(m_dir.path());
        QCOMPARE(column(sql, QStringLiteral("Select Vorname\nFrom Besucher.dbf\nWhere Geht = ''")),
                 QStringList({"Bernd", "Dora"}));
    }

    void datesCompareAsDates_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow(">=") << "Tag >= '21.10.2005'"
                            << QStringList{"Anna", "Bernd", "Dora", "Eve"};
        QTest::newRow("range") << "Tag >= '01.10.2005' AND Tag <= '31.12.2005'"
                               << QStringList{"Anna", "Bernd", "Dora"};
        QTest::newRow("literal first") << "'01.01.2005' > Tag" << QStringList{"Carla", "Gisela"};
        QTest::newRow("equal") << "Tag = '21.10.2005'" << QStringList{"Anna", "Dora"};
        QTest::newRow("empty date") << "Tag = ''" << QStringList{"Gisela"};
        QTest::newRow("not a date literal") << "Tag = 'gestern'" << QStringList{};
    }
    void datesCompareAsDates()
    {
        QFETCH(QString, where);
        QFETCH(QStringList, expected);
        SqlEngine sql(m_dir.path());
        const QString base = QStringLiteral("Select Vorname From Besucher.dbf Where %1 Order By Vorname");
        QCOMPARE(column(sql, base.arg(where)), expected);
        // The same condition where it cannot be checked while scanning gives the same rows.
        QCOMPARE(column(sql, base.arg("(" + where + ") OR 0")), expected);
    }

    void ordersByDateDescendingThenTime()
    {
        SqlEngine sql(m_dir.path());
        QCOMPARE(column(sql, QStringLiteral("Select Vorname From Besucher.dbf Order By Tag DESC, "
                                            "Kommt")),
                 QStringList({"Eve", "Bernd", "Anna", "Dora", "Fritz", "Carla", "Gisela"}));
    }

    void germanTextOrderAndExactEquality()
    {
        SqlEngine sql(m_dir.path());
        QCOMPARE(column(sql, QStringLiteral("Select Name From Besucher.dbf Order By Name")),
                 QStringList({"Ärger", "Meyer", "Müller", "müller", "Nagel", "O'Brien", "Zander"}));
        QCOMPARE(column(sql, QStringLiteral("Select Vorname From Besucher.dbf Where Name = 'Müller'")),
                 QStringList{"Anna"});
        QCOMPARE(column(sql, QStringLiteral("Select Vorname From Besucher.dbf Where Name = ?"),
                        {QStringLiteral("O'Brien")}),
                 QStringList{"Eve"});
        QCOMPARE(column(sql, QStringLiteral("Select Vorname From Besucher.dbf Where Name = 'Müller '")),
                 QStringList{});
        QCOMPARE(column(sql, QStringLiteral("Select Vorname From Besucher.dbf Where Name = 'MÜLLER' "
                                            "COLLATE NOCASE Order By Vorname")),
                 QStringList{}); // NOCASE folds ASCII only
        QCOMPARE(column(sql, QStringLiteral("Select Vorname From Besucher.dbf Where Name = 'müller' "
                                            "COLLATE NOCASE Order By Vorname")),
                 QStringList({"Anna", "Dora"}));
    }

    void reportBuilderStatement()
    {
        SqlEngine sql(m_dir.path(), SqlEngine::Access::ReadOnly);
        SqlQuery q = sql.query(QStringLiteral(
            "Select Name || ', ' || Vorname AS Besucher, Ausweis AS Ausw, Kommt AS Bestätigung\n"
            "From Besucher.dbf\n"
            "Where Ausw <> '' AND Tag >= '21.10.2005'\n"
            "Order By Ausw"));
        QCOMPARE(q.columnCount(), 3);
        QCOMPARE(q.columnName(0), QStringLiteral("Besucher"));
        QCOMPARE(q.dbaseColumnName(2), QStringLiteral("BESTÄTIGUN"));
        QStringList rows;
        while (q.next())
            rows << q.text(0) + "|" + q.text(1);
        QCOMPARE(rows, QStringList({"Müller, Anna|1", "O'Brien, Eve|12", "Meyer, Bernd|2",
                                    "müller, Dora|4"}));
    }

    void numbersCompareAsNumbers()
    {
        SqlEngine sql(m_dir.path());
        QCOMPARE(column(sql, QStringLiteral("Select Ausweis From Ausweis.dbf Where Ausweis = 8")),
                 QStringList{"8"});
        QCOMPARE(column(sql, QStringLiteral("Select Ausweis From Ausweis.dbf Where Ausweis = '12'")),
                 QStringList{"12"});
        QCOMPARE(column(sql, QStringLiteral("Select Ausweis From Ausweis.dbf Where Kommt <> '25:00' "
                                            "Order By Ausweis DESC")),
                 QStringList({"12", "8", "4"}));
        QCOMPARE(column(sql, QStringLiteral("Select Count(*) From Ausweis.dbf Where Ausweis > 9.5")),
                 QStringList{"3"});
    }

    void deleteMarksRecords()
    {
        QTemporaryDir dir;
        makeVisits(dir.path());
        SqlEngine sql(dir.path());
        QCOMPARE(sql.execute(QStringLiteral("Delete From Besucher.dbf Where Ausweis = ''")), 1);
        QCOMPARE(column(sql, QStringLiteral("Select Count(*) From Besucher.dbf")), QStringList{"6"});
        auto table = DbfTable::open(DbfTable::resolve(dir.path(), QStringLiteral("Besucher.dbf")),
                                    DbfTable::Mode::ReadOnly);
        QCOMPARE(table->recordCount(), 7); // only marked until the table is packed
        int deleted = 0;
        for (int i = 0; i < table->recordCount(); ++i)
            deleted += DbfTable::isDeleted(table->read(i).constData()) ? 1 : 0;
        QCOMPARE(deleted, 1);
    }

    void readOnlyRefusesChanges_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("delete") << "Delete From Besucher.dbf";
        QTest::newRow("insert") << "Insert Into Besucher.dbf (Name) Values ('X')";
        QTest::newRow("update") << "Update Besucher.dbf Set Name = 'X'";
        QTest::newRow("create") << "CREATE TABLE 'Neu.dbf' (Name CHAR(10))";
        QTest::newRow("alter") << "ALTER TABLE 'Besucher.dbf' ADD Neu CHAR(10)";
        QTest::newRow("attach") << "ATTACH DATABASE '/tmp/x.db' AS x";
        QTest::newRow("pragma") << "PRAGMA writable_schema = 1";
    }
    void readOnlyRefusesChanges()
    {
        QFETCH(QString, statement);
        const QString path = DbfTable::resolve(m_dir.path(), QStringLiteral("Besucher.dbf"));
        const QByteArray before = [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        SqlEngine sql(m_dir.path(), SqlEngine::Access::ReadOnly);
        QVERIFY_THROWS_EXCEPTION(Error, sql.execute(statement));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("Neu.dbf"))));
    }

    void errorsNameTheProblem()
    {
        SqlEngine sql(m_dir.path());
        try {
            sql.query(QStringLiteral("Select * From Fehlt.dbf"));
            QFAIL("no error for a missing table");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Fehlt.dbf")), qPrintable(e.message()));
        }
        QVERIFY_THROWS_EXCEPTION(Error, sql.query(QStringLiteral("Select * From Besucher.dbf; "
                                                                 "Delete From Besucher.dbf")));
        QVERIFY_THROWS_EXCEPTION(Error, sql.query(QStringLiteral("Selec * From Besucher.dbf")));
        QCOMPARE(column(sql, QStringLiteral("Select Count(*) From Besucher.dbf")), QStringList{"7"});
    }

    void legacyInstallation_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("visits") << "Select Count(*) From Besucher.dbf" << "239";
        QTest::newRow("present") << "Select Count(*)\nFrom Besucher.dbf\nWhere Geht = ''" << "4";
        QTest::newRow("badges out") << "Select Count(*) From Ausweis.dbf Where Kommt <> '25:00'"
                                    << "4";
        QTest::newRow("badges") << "Select Max(Ausweis) From AUSWEIS.DBF" << "100";
        QTest::newRow("apostrophe") << "Select Count(*) From Stamm.dbf Where Name LIKE '%''%'"
                                    << "1";
    }
    void legacyInstallation()
    {
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        SqlEngine sql(legacyDb(), SqlEngine::Access::ReadOnly);
        QCOMPARE(column(sql, statement), QStringList{expected});
    }
};

LOBRIX_TEST(SqlEngineTest)
#include "SqlEngineTest.moc"

// What SQL may reach: only the tables of the database folder, read-only for reports, with
// a bounded set of functions, bounded values and a bounded running time.
#include "TestRegistry.h"

#include "common/Error.h"
#include "common/TextFile.h"
#include "data/DbfTable.h"
#include "data/SqlEngine.h"
#include "data/SqlResultModel.h"
#include "data/StructureUpdate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

using namespace lobrix;
using namespace lobrix::data;

namespace {

void makeTable(const QString &folder, const QString &name, const QString &value)
{
    SqlEngine sql(folder);
    sql.execute(QStringLiteral("CREATE TABLE '%1' (Name CHAR(20))").arg(name));
    sql.execute(QStringLiteral("INSERT INTO '%1' (Name) VALUES (?)").arg(name), {value});
}

QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

// The access mode of this process's open file on `path`, from /proc; -1 when none.
int openMode(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System)) {
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() != target)
            continue;
        QFile info(QStringLiteral("/proc/self/fdinfo/") + fd);
        if (!info.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : info.readAll().split('\n'))
            if (line.startsWith("flags:"))
                return line.mid(6).trimmed().toInt(nullptr, 8) & O_ACCMODE;
    }
    return -1;
}

} // namespace

class SqlConfinementTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString db() const { return m_root.filePath(QStringLiteral("db")); }
    QString outside() const { return m_root.filePath(QStringLiteral("outside")); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QVERIFY(QDir().mkpath(db()) && QDir().mkpath(outside()) &&
                QDir().mkpath(db() + QStringLiteral("/sub")));
        makeTable(db(), QStringLiteral("Besucher.dbf"), QStringLiteral("Drinnen"));
        makeTable(outside(), QStringLiteral("Geheim.dbf"), QStringLiteral("Geheimnis"));
        makeTable(db() + QStringLiteral("/sub"), QStringLiteral("Tief.dbf"), QStringLiteral("Tief"));
    }

    // No table name leads out of the folder, in either kind of engine.
    void tablesOutsideTheFolderAreRefused_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("statement");
        const QString absolute = QStringLiteral("Select * From \"%1/Geheim.dbf\"").arg(outside());
        for (bool readOnly : {true, false}) {
            const char *engine = readOnly ? "report" : "admin";
            QTest::addRow("%s: parent folder", engine)
                << readOnly << QStringLiteral("SELECT * FROM \"../outside/Geheim.dbf\"");
            QTest::addRow("%s: absolute path", engine) << readOnly << absolute;
            QTest::addRow("%s: subfolder", engine) << readOnly << QStringLiteral("Select * From \"sub/Tief.dbf\"");
            QTest::addRow("%s: backslash", engine)
                << readOnly << QStringLiteral("Select * From \"..\\outside\\Geheim.dbf\"");
            QTest::addRow("%s: dots only", engine) << readOnly << QStringLiteral("Select * From \"..\"");
        }
    }
    void tablesOutsideTheFolderAreRefused()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, statement);
        SqlEngine sql(db(), readOnly ? SqlEngine::Access::ReadOnly : SqlEngine::Access::ReadWrite);
        const QString error = errorOf([&] {
            SqlQuery q = sql.query(statement);
            while (q.next())
                QFAIL(qPrintable(QStringLiteral("a row came back: ") + q.text(0)));
        });
        QVERIFY2(error.contains(QStringLiteral("nicht erlaubt")), qPrintable(error));
        // Plain names still work.
        SqlQuery q = sql.query(QStringLiteral("Select Name From Besucher.dbf"));
        QVERIFY(q.next());
        QCOMPARE(q.text(0), QStringLiteral("Drinnen"));
    }

    void ddlAndStructureFileStayInTheFolder_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("parent") << QStringLiteral("../outside/Neu.dbf");
        QTest::newRow("absolute") << outside() + QStringLiteral("/Neu.dbf");
        QTest::newRow("subfolder") << QStringLiteral("sub/Neu.dbf");
    }
    void ddlAndStructureFileStayInTheFolder()
    {
        QFETCH(QString, table);
        SqlEngine sql(db());
        const QString create = errorOf(
            [&] { sql.execute(QStringLiteral("CREATE TABLE '%1' (Name CHAR(10))").arg(table)); });
        QVERIFY2(create.contains(QStringLiteral("nicht erlaubt")), qPrintable(create));
        const QString alter = errorOf(
            [&] { sql.execute(QStringLiteral("ALTER TABLE '%1' ADD Neu CHAR(10)").arg(table)); });
        QVERIFY2(alter.contains(QStringLiteral("nicht erlaubt")), qPrintable(alter));

        TextFile::writeLines(QDir(db()).filePath(QStringLiteral("Struktur.txt")),
                             {u'[' + table + u']', QStringLiteral("Name=C(10)")});
        const StructureUpdate::Result result = StructureUpdate::run(db(), {});
        QVERIFY(result.stopped);
        QVERIFY(result.createdTables.isEmpty());
        QVERIFY(!QFile::exists(outside() + QStringLiteral("/Neu.dbf")));
        QVERIFY(!QFile::exists(db() + QStringLiteral("/sub/Neu.dbf")));
        QFile::remove(QDir(db()).filePath(QStringLiteral("Struktur.txt")));
    }

    void reportFunctionsAreBounded_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message"); // empty: allowed
        QTest::newRow("fts3 tokenizer") << QStringLiteral("Select fts3_tokenizer('simple')")
                                        << QStringLiteral("Die Funktion 'fts3_tokenizer'");
        QTest::newRow("load extension") << QStringLiteral("Select load_extension('/tmp/x.so')")
                                        << QStringLiteral("Die Funktion 'load_extension'");
        QTest::newRow("random blob") << QStringLiteral("Select randomblob(100)")
                                     << QStringLiteral("Die Funktion 'randomblob'");
        QTest::newRow("value beyond the bound")
            << QStringLiteral("Select replace(printf('%.10000000c', 'x'), 'x', 'xxxxxxxxxx')")
            << QStringLiteral("größer als 16 MB");
        QTest::newRow("upper and count")
            << QStringLiteral("Select upper(Name), count(*) From Besucher.dbf") << QString();
        QTest::newRow("dates and printf")
            << QStringLiteral("Select printf('%05d', 42), substr(date('2026-12-10'), 1, 4)") << QString();
    }
    void reportFunctionsAreBounded()
    {
        QFETCH(QString, statement);
        QFETCH(QString, message);
        SqlEngine sql(db(), SqlEngine::Access::ReadOnly);
        const QString error = errorOf([&] {
            SqlQuery q = sql.query(statement);
            while (q.next()) {
            }
        });
        if (message.isEmpty())
            QCOMPARE(error, QString());
        else
            QVERIFY2(error.contains(message), qPrintable(error));
    }

    // printf beyond the bound gives no value instead of 100 MB.
    void hugePrintfGivesNoValue()
    {
        SqlEngine sql(db(), SqlEngine::Access::ReadOnly);
        SqlQuery q = sql.query(QStringLiteral("Select printf('%.*c', 100000000, 'x')"));
        QVERIFY(q.next());
        QVERIFY(q.isNull(0));
    }

    // A recursive statement without an end is stopped by the time bound, with a message.
    void endlessReportIsStopped()
    {
        SqlEngine sql(db(), SqlEngine::Access::ReadOnly);
        sql.setTimeLimit(300);
        QElapsedTimer timer;
        timer.start();
        const QString error = errorOf([&] {
            SqlQuery q = sql.query(QStringLiteral(
                "With Recursive n(i) As (Select 1 Union All Select i + 1 From n) "
                "Select count(*) From n"));
            while (q.next()) {
            }
        });
        QVERIFY2(error.contains(QStringLiteral("länger als 0.3 Sekunden")), qPrintable(error));
        QVERIFY(timer.elapsed() < 20000);
        // The engine is usable again afterwards.
        SqlQuery q = sql.query(QStringLiteral("Select count(*) From Besucher.dbf"));
        QVERIFY(q.next());
        QCOMPARE(q.text(0), QStringLiteral("1"));
    }

    // A statement that yields a row every so often never reaches the bound in one step:
    // the bound is for all its steps together, and the rows before it stay read.
    void slowRowsAreStoppedAsAWhole()
    {
        SqlEngine sql(db(), SqlEngine::Access::ReadOnly);
        sql.setTimeLimit(1000);
        SqlQuery q = sql.query(QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n) "
                                              "Select i From n Where i % 2000000 = 0"));
        int rows = 0;
        const QString error = errorOf([&] {
            // Far more rows than one second can make: reaching them means no bound held.
            while (q.next() && rows < 10000)
                ++rows;
        });
        QVERIFY2(error.contains(QStringLiteral("länger als 1 Sekunden")), qPrintable(error));
        QVERIFY2(rows >= 1 && rows < 10000, qPrintable(QString::number(rows)));
        QVERIFY(q.spentMs() >= 900); // the steps together, not the last one alone
    }

    // A result that would not fit in memory: reading stops at the bound with a message,
    // the rows read until then stay (the list windows' model and a report run to its end).
    void hugeResultsStopAtTheMemoryBound()
    {
        const QString bomb = QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 60) "
                                            "Select printf('%.*c', 16000000, 'x') From n");
        SqlEngine sql(db(), SqlEngine::Access::ReadOnly);
        SqlResultModel model(sql, bomb);
        QString said;
        connect(&model, &SqlResultModel::readStopped, this, [&](const QString &m) { said = m; });
        while (model.fetch(SqlResultModel::FetchBatch)) {
        }
        QVERIFY2(model.error().contains(QStringLiteral("größer als 256 MB")), qPrintable(model.error()));
        QVERIFY(model.rowCount() > 0 && model.rowCount() < 60);
        QCOMPARE(model.text(0, 0).size(), 16000000);
        QVERIFY(model.error().contains(QStringLiteral("Die ersten %1 Zeilen").arg(model.rowCount())));
        // The rows without end of a recursive statement stop at the same bound.
        SqlResultModel endless(sql, QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n) "
                                                   "Select printf('%.*c', 1000000, 'y') From n"));
        while (endless.fetch(4096)) {
        }
        QVERIFY2(endless.error().contains(QStringLiteral("größer als 256 MB")), qPrintable(endless.error()));
    }

    // Statements that would make or change a file beside the folder's tables: refused by
    // the administrator's engine as by the reports' one, and no file appears.
    void fileMakingStatementsAreRefused_data()
    {
        QTest::addColumn<int>("access");
        QTest::addColumn<QString>("statement");
        const QString attach = QStringLiteral("ATTACH DATABASE '%1/x.db' AS x").arg(outside());
        const QString vacuum = QStringLiteral("VACUUM INTO '%1/y.db'").arg(outside());
        for (const auto &[name, access] : {std::pair{"admin", SqlEngine::Access::ReadWrite},
                                           std::pair{"read", SqlEngine::Access::Read},
                                           std::pair{"report", SqlEngine::Access::ReadOnly}}) {
            QTest::addRow("%s: attach", name) << int(access) << attach;
            QTest::addRow("%s: vacuum into", name) << int(access) << vacuum;
            QTest::addRow("%s: pragma", name) << int(access) << QStringLiteral("PRAGMA temp_store_directory = '/tmp'");
            QTest::addRow("%s: own virtual table", name)
                << int(access)
                << QStringLiteral("CREATE VIRTUAL TABLE temp.g USING dbfvt('%1/Geheim.dbf')").arg(outside());
        }
    }
    void fileMakingStatementsAreRefused()
    {
        QFETCH(int, access);
        QFETCH(QString, statement);
        SqlEngine sql(db(), SqlEngine::Access(access));
        const QString error = errorOf([&] { sql.execute(statement); });
        QVERIFY2(error.contains(QStringLiteral("nicht erlaubt")), qPrintable(error));
        QVERIFY(!QFile::exists(outside() + QStringLiteral("/x.db")));
        QVERIFY(!QFile::exists(outside() + QStringLiteral("/y.db")));
        // The engine still reads and, where it may, writes.
        SqlQuery q = sql.query(QStringLiteral("Select count(*) From Besucher.dbf"));
        QVERIFY(q.next());
    }

    // A link in the folder that leads to a table outside it, and special files named like
    // tables: refused at once with a message, never read, never waited on.
    void linksAndSpecialFilesAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to a table outside") << "link";
        QTest::newRow("link to nowhere") << "dangling";
        QTest::newRow("fifo") << "fifo";
    }
    void linksAndSpecialFilesAreRefused()
    {
        QFETCH(QString, kind);
        const QString path = QDir(db()).filePath(QStringLiteral("Spezial.dbf"));
        QFile::remove(path);
        if (kind == u"link")
            QVERIFY(QFile::link(outside() + QStringLiteral("/Geheim.dbf"), path));
        else if (kind == u"dangling")
            QVERIFY(QFile::link(outside() + QStringLiteral("/Fehlt.dbf"), path));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        for (auto mode : {DbfTable::Mode::ReadOnly, DbfTable::Mode::Shared}) {
            const QString error = errorOf([&] { DbfTable::open(path, mode); });
            QVERIFY2(error.contains(QStringLiteral("keine Tabellendatei")), qPrintable(error));
        }
        for (auto access : {SqlEngine::Access::ReadOnly, SqlEngine::Access::Read, SqlEngine::Access::ReadWrite}) {
            SqlEngine sql(db(), access);
            const QString error = errorOf([&] {
                SqlQuery q = sql.query(QStringLiteral("Select * From Spezial.dbf"));
                while (q.next())
                    QFAIL(qPrintable(QStringLiteral("a row came back: ") + q.text(0)));
            });
            QVERIFY2(!error.isEmpty() && !error.contains(QStringLiteral("Geheimnis")), qPrintable(error));
        }
        QFile::remove(path);
    }

    // Reports open the tables for reading only, so they run on a read-only share; the
    // administrator's engine opens them for writing.
    void reportsOpenTablesReadOnly()
    {
        const QString table = QDir(db()).filePath(QStringLiteral("Besucher.dbf"));
        {
            SqlEngine sql(db(), SqlEngine::Access::ReadOnly);
            SqlQuery q = sql.query(QStringLiteral("Select Name From Besucher.dbf"));
            QVERIFY(q.next());
            QCOMPARE(openMode(table), O_RDONLY);
        }
        SqlEngine sql(db());
        SqlQuery q = sql.query(QStringLiteral("Select Name From Besucher.dbf"));
        QVERIFY(q.next());
        QCOMPARE(openMode(table), O_RDWR);
    }

    // Stored numbers beyond any integer come back as the numbers they are.
    void hugeStoredNumbersReadAsNumbers_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("value");
        QTest::newRow("twenty nines") << QStringLiteral("99999999999999999999") << 1e20;
        QTest::newRow("negative") << QStringLiteral("-9999999999999999999") << -1e19;
        QTest::newRow("beyond double") << QStringLiteral("1e999") << qInf();
        QTest::newRow("small stays integer") << QStringLiteral("12345") << 12345.0;
    }
    void hugeStoredNumbersReadAsNumbers()
    {
        QFETCH(QString, stored);
        QFETCH(double, value);
        QTemporaryDir dir;
        DbfField field;
        field.name = QStringLiteral("Zahl");
        field.type = 'N';
        field.length = 20;
        DbfTable::create(dir.filePath(QStringLiteral("Zahlen.dbf")), {field});
        int recordSize = 0;
        {
            auto table = DbfTable::open(dir.filePath(QStringLiteral("Zahlen.dbf")), DbfTable::Mode::Shared);
            table->append({{0, QStringLiteral("1")}});
            recordSize = table->recordSize();
        }
        // What another program may have stored: the bytes as they stand in the file.
        QFile file(dir.filePath(QStringLiteral("Zahlen.dbf")));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(file.size() - 1 - recordSize + 1));
        QCOMPARE(file.write(stored.toLatin1().rightJustified(20, ' ')), 20);
        file.close();
        SqlEngine sql(dir.path(), SqlEngine::Access::ReadOnly);
        SqlQuery q = sql.query(QStringLiteral("Select Zahl From Zahlen.dbf"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toDouble(), value);
    }
};

LOBRIX_TEST(SqlConfinementTest)
#include "SqlConfinementTest.moc"

// lobrix-admin as an administrator uses it: a real process, its output and exit codes.
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "data/DbfTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace lobrix;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run admin(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(LOBRIX_ADMIN_EXE), args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class AdminToolTest : public QObject {
    Q_OBJECT
private slots:
    void initMakesAWorkingInstallation()
    {
        QTemporaryDir dir;
        const QString start = dir.filePath(QStringLiteral("start"));
        const QString db = dir.filePath(QStringLiteral("db"));
        const Run r = admin({"init", start, db, "--badges", "250"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(QFile::exists(QDir(start).filePath(QStringLiteral("settings.ini"))));
        QVERIFY(QFile::exists(QDir(start).filePath(QStringLiteral("BesucherDruck.dbf"))));
        for (const char *f : {"Struktur.txt", "Global.ini", "Laender.ini", "Besucher.dbf",
                              "Ausweis.dbf", "Stamm.dbf", "Voranmel.dbf", "Fotos.dbf", "Ziele.dbf",
                              "Besucher_2.dbf"})
            QVERIFY2(QFile::exists(QDir(db).filePath(QString::fromLatin1(f))), f);

        const Run free = admin({"sql", db, "Select Count(*) AS Frei, Min(Ausweis), Max(Ausweis) "
                                           "From Ausweis.dbf Where Kommt = '25:00'"});
        QCOMPARE(free.exitCode, 0);
        QCOMPARE(free.out, QStringLiteral("Frei\tMin(Ausweis)\tMax(Ausweis)\n250\t1\t250\n"));

        // A second init must not overwrite anything.
        const QByteArray before = [&] {
            QFile f(QDir(db).filePath(QStringLiteral("Ausweis.dbf")));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        const Run again = admin({"init", start, db});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains(QStringLiteral("bereits eine Installation")), qPrintable(again.err));
        QFile f(QDir(db).filePath(QStringLiteral("Ausweis.dbf")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("init without folders") << QStringList{"init"};
        QTest::newRow("bad badge count") << QStringList{"init", "/tmp/a", "/tmp/b", "--badges", "x"};
        QTest::newRow("sql without statement") << QStringList{"sql", "/tmp"};
        QTest::newRow("check with unknown option") << QStringList{"check", "/tmp", "--fix"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = admin(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains(QStringLiteral("lobrix-admin")));
    }

    void sqlOnTheLegacyInstallation_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("lines");
        QTest::newRow("present visitors")
            << "Select Ausweis, Name\nFrom Besucher.dbf\nWhere Geht = ''\nOrder By Ausweis"
            << "AUSWEIS\tNAME\n" << 5;
        QTest::newRow("report with alias and date range")
            << "Select Count(*) AS Anzahl From Besucher.dbf Where Tag >= '21.10.2005' AND Tag <= "
               "'31.12.2005'"
            << "Anzahl\n24\n" << 2;
    }
    void sqlOnTheLegacyInstallation()
    {
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        QFETCH(int, lines);
        const Run r = admin({"sql", test::fixturePath(QStringLiteral("legacy/db")), statement});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(expected), qPrintable(r.out));
        QCOMPARE(r.out.count(u'\n'), lines);
    }

    void sqlErrorsGoToStderr()
    {
        const Run r = admin({"sql", test::fixturePath(QStringLiteral("legacy/db")),
                             "Select * From Fehlt.dbf"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(QStringLiteral("Fehlt.dbf")), qPrintable(r.err));
    }

    void sqlChangesAndStructure()
    {
        test::TestInstallation inst;
        const QString db = inst.databaseFolder();
        QCOMPARE(admin({"sql", db, "ALTER TABLE 'Ziele.dbf' ADD Etage CHAR(3)"}).exitCode, 0);
        QCOMPARE(admin({"sql", db, "Insert Into Ziele.dbf (Name, Etage) Values ('Einkauf', '2')"}).exitCode, 0);
        const Run r = admin({"sql", db, "Delete From Ziele.dbf Where Etage = '2'"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(QStringLiteral("1 ")), qPrintable(r.out));
    }

    void checkFindsAndRepairsDamage()
    {
        test::TestInstallation inst(20);
        const QString db = inst.databaseFolder();
        const Run healthy = admin({"check", db});
        QCOMPARE(healthy.exitCode, 0);
        QVERIFY2(healthy.out.contains(QStringLiteral("Ausweis.dbf: Version 0x3, Sprachbyte 0x3 "
                                                     "(Windows-1252), Datensätze 20, gelöscht 0")),
                 qPrintable(healthy.out));

        // A crash after a record was written but before the count was: header says 18.
        const QString path = QDir(db).filePath(QStringLiteral("Ausweis.dbf"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(4);
            const char count[4] = {18, 0, 0, 0};
            f.write(count, 4);
        }
        const Run damaged = admin({"check", db});
        QCOMPARE(damaged.exitCode, 1);
        QVERIFY2(damaged.out.contains(QStringLiteral("Kopf nennt 18 Datensätze")), qPrintable(damaged.out));

        const Run repaired = admin({"check", db, "--repair"});
        QCOMPARE(repaired.exitCode, 0);
        QVERIFY(repaired.out.contains(QStringLiteral("repariert")));
        QCOMPARE(admin({"check", db}).exitCode, 0);
        auto table = data::DbfTable::open(path, data::DbfTable::Mode::ReadOnly);
        QCOMPARE(table->recordCount(), 20);
    }
};

LOBRIX_TEST(AdminToolTest)
#include "AdminToolTest.moc"

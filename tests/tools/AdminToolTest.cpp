// lobrix-admin as an administrator uses it: a real process, its output and exit codes.
#include "TestInstallation.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include "common/IniFile.h"
#include "data/DbfTable.h"
#include "shell/LoginCheck.h"
#include "shell/UsersFile.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace lobrix;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run admin(const QStringList &args, qint64 fileSizeLimitKiB = 0)
{
    QProcess p;
    if (fileSizeLimitKiB > 0) {
        // A nearly full volume: no file may grow beyond the limit. The signal for it is
        // ignored, so the write itself fails, as on a full disk.
        p.start(QStringLiteral("/bin/bash"),
                QStringList{QStringLiteral("-c"),
                            QStringLiteral("trap '' XFSZ; ulimit -f %1; exec \"$0\" \"$@\"").arg(fileSizeLimitKiB),
                            QStringLiteral(LOBRIX_ADMIN_EXE)} +
                    args);
    } else {
        p.start(QStringLiteral(LOBRIX_ADMIN_EXE), args);
    }
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class AdminToolTest : public QObject {
    Q_OBJECT
private slots:
    // The demo lets a new user try everything at once: master records, pre-registrations
    // of today, the pre-registration button and the visit confirmation switched on.
    void demoHoldsSomethingOfEverything()
    {
        QTemporaryDir dir;
        const QString start = dir.filePath(QStringLiteral("start"));
        const QString db = dir.filePath(QStringLiteral("db"));
        QCOMPARE(admin({"init", start, db, "--demo"}).exitCode, 0);
        const Run master = admin({"sql", db, "Select Count(*) From Stamm.dbf"});
        QCOMPARE(master.out, QStringLiteral("Count(*)\n5\n"));
        const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
        const Run pre = admin({"sql", db, QStringLiteral("Select Count(*) From Voranmel.dbf Where Tag = '%1'").arg(today)});
        QCOMPARE(pre.out, QStringLiteral("Count(*)\n2\n"));
        const QString settings = QDir(start).filePath(QStringLiteral("settings.ini"));
        QCOMPARE(lobrix::IniFile(settings).readBool(QStringLiteral("Options"), QStringLiteral("Voranmeldung"), false), true);
        QCOMPARE(lobrix::IniFile(settings).readBool(QStringLiteral("Options"), QStringLiteral("Quittung"), false), true);
    }

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

    // A second workstation joins the database folder: its own start folder pointing at
    // the shared one, nothing in the shared folder touched; no joining a folder without
    // an installation or with an occupied start folder.
    void secondWorkstationJoins()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("db"));
        QCOMPARE(admin({"init", dir.filePath(QStringLiteral("eins")), db}).exitCode, 0);
        QCOMPARE(admin({"sql", db, "Update Ausweis.dbf Set Kommt = '08:00' Where Ausweis = 1"}).exitCode, 0);
        QMap<QString, QByteArray> shared;
        for (const QString &f : QDir(db).entryList(QDir::Files))
            shared.insert(f, lobrix::test::fileBytes(QDir(db).filePath(f)));

        const QString two = dir.filePath(QStringLiteral("zwei"));
        const Run join = admin({"init", two, db, "--join"});
        QCOMPARE(join.exitCode, 0);
        QVERIFY2(join.out.startsWith(QStringLiteral("Arbeitsplatz angelegt")), qPrintable(join.out));
        for (auto it = shared.cbegin(); it != shared.cend(); ++it)
            QVERIFY2(lobrix::test::fileBytes(QDir(db).filePath(it.key())) == it.value(), qPrintable(it.key()));
        QCOMPARE(QDir(db).entryList(QDir::Files).size(), shared.size());
        const lobrix::IniFile settings(QDir(two).filePath(QStringLiteral("settings.ini")));
        QCOMPARE(QDir(settings.readString(QStringLiteral("Datenbank"), QStringLiteral("Pfad"), QString())).absolutePath(),
                 QDir(db).absolutePath());
        for (const char *f : {"user.dat", "BesucherDruck.dbf", "Badge.ini"})
            QVERIFY2(QFile::exists(QDir(two).filePath(QString::fromLatin1(f))), f);

        const Run again = admin({"init", two, db, "--join"});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains(QStringLiteral("bereits eine Installation")), qPrintable(again.err));
        const Run nowhere = admin({"init", dir.filePath(QStringLiteral("drei")), dir.filePath(QStringLiteral("leer")), "--join"});
        QCOMPARE(nowhere.exitCode, 1);
        QVERIFY2(nowhere.err.contains(QStringLiteral("keine Installation")), qPrintable(nowhere.err));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("drei/settings.ini"))));
    }

    // Under the usual umask 022: the database folder is the group's (setgid folders 02770,
    // files 0660), the start folder the owner's (0700 / 0600); what the program writes
    // later follows the folders; check names modes that break this and --repair sets them.
    void databaseFolderIsSharedByTheGroup()
    {
        QTemporaryDir dir;
        const QString start = dir.filePath(QStringLiteral("start"));
        const QString db = dir.filePath(QStringLiteral("db"));
        const auto underUmask = [](const QStringList &args) {
            QProcess p;
            p.start(QStringLiteral("/bin/bash"), QStringList{QStringLiteral("-c"), QStringLiteral("umask 022; exec \"$@\""),
                                                             QStringLiteral("sh"), QStringLiteral(LOBRIX_ADMIN_EXE)} +
                                                     args);
            p.waitForFinished(60000);
            return Run{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                       QString::fromUtf8(p.readAllStandardError())};
        };
        QCOMPARE(underUmask({"init", start, db}).exitCode, 0);
        const auto mode = [](const QString &path) {
            struct stat st {};
            return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
        };
        const auto everyEntry = [](const QString &root) {
            QStringList out{root};
            QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            while (it.hasNext())
                out << it.next();
            return out;
        };
        for (const QString &path : everyEntry(db))
            QVERIFY2(mode(path) == (QFileInfo(path).isDir() ? 02770 : 0660),
                     qPrintable(QStringLiteral("%1: %2").arg(path).arg(mode(path), 0, 8)));
        for (const QString &path : everyEntry(start))
            QVERIFY2(mode(path) == (QFileInfo(path).isDir() ? 0700 : 0600),
                     qPrintable(QStringLiteral("%1: %2").arg(path).arg(mode(path), 0, 8)));
        QCOMPARE(underUmask({"check", db}).exitCode, 0);

        // Written while the program runs, under the same umask: a new log line (the purge
        // writes one), an export into the database folder and one into a private folder.
        QFile::remove(QDir(db).filePath(QStringLiteral("BesucherLog.log")));
        QCOMPARE(underUmask({"purge", start, "--older-than", "90"}).exitCode, 0);
        QCOMPARE(mode(QDir(db).filePath(QStringLiteral("BesucherLog.log"))), 0660);
        QCOMPARE(underUmask({"report", start, "Besucher heute", "--csv", QDir(db).filePath("heute.csv")}).exitCode, 0);
        QCOMPARE(mode(QDir(db).filePath(QStringLiteral("heute.csv"))), 0660);
        QCOMPARE(underUmask({"report", start, "Besucher heute", "--csv", dir.filePath("heute.csv")}).exitCode, 0);
        QCOMPARE(mode(dir.filePath(QStringLiteral("heute.csv"))), 0600);
        QFile::remove(QDir(db).filePath(QStringLiteral("heute.csv")));

        // Modes another tool left: named, mended.
        const QString table = QDir(db).filePath(QStringLiteral("Ziele.dbf"));
        const QString lists = QDir(db).filePath(QStringLiteral("Listen"));
        QCOMPARE(::chmod(QFile::encodeName(table).constData(), 0644), 0);
        QCOMPARE(::chmod(QFile::encodeName(lists).constData(), 0755), 0);
        const Run looked = admin({"check", db});
        QCOMPARE(looked.exitCode, 1);
        QVERIFY2(looked.out.contains(QStringLiteral("Ziele.dbf: für die Gruppe nicht beschreibbar, für andere lesbar")),
                 qPrintable(looked.out));
        QVERIFY2(looked.out.contains(QStringLiteral("Listen: für die Gruppe nicht beschreibbar, neue Dateien bekommen "
                                                    "nicht die Gruppe des Ordners, für andere lesbar")),
                 qPrintable(looked.out));
        const Run mended = admin({"check", db, "--repair"});
        QCOMPARE(mended.exitCode, 0);
        QVERIFY2(mended.out.contains(QStringLiteral("-> Rechte gesetzt")), qPrintable(mended.out));
        QCOMPARE(mode(table), 0660);
        QCOMPARE(mode(lists), 02770);
        QCOMPARE(admin({"check", db}).exitCode, 0);

        // A group that is not there: nothing is made.
        const Run refused = admin({"init", dir.filePath("s2"), dir.filePath("db2"), "--group", "keine-solche-gruppe"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("Die Gruppe 'keine-solche-gruppe' gibt es")), qPrintable(refused.err));
        QVERIFY(!QFileInfo::exists(dir.filePath("db2")));
    }

    // A further workstation takes over the users of the first; a file that is no users
    // file is refused before anything is made.
    void joinTakesOverTheUsers()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("eins")), db = dir.filePath(QStringLiteral("db"));
        QCOMPARE(admin({"init", first, db, "--demo"}).exitCode, 0);
        const QString second = dir.filePath(QStringLiteral("zwei"));
        const Run joined = admin({"init", second, db, "--join", "--users-from", first});
        QVERIFY2(joined.exitCode == 0, qPrintable(joined.err));
        QCOMPARE(test::fileBytes(QDir(second).filePath("user.dat")), test::fileBytes(QDir(first).filePath("user.dat")));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("kaputt"))));
        QVERIFY(test::putFile(dir.filePath(QStringLiteral("kaputt/user.dat")), "kein Benutzer"));
        const Run refused = admin({"init", dir.filePath("drei"), db, "--join", "--users-from", dir.filePath("kaputt")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(!QFileInfo::exists(dir.filePath("drei")));
        QCOMPARE(admin({"init", dir.filePath("vier"), dir.filePath("db4"), "--users-from", first}).exitCode, 2);
    }

    // Users managed from a script: the password comes from standard input, never from the
    // command line; each change is a line in the event log; the program's login takes it.
    void usersFromAScript()
    {
        test::TestInstallation inst(1);
        const QString start = inst.startFolder();
        const QString log = QDir(inst.databaseFolder()).filePath(QStringLiteral("BesucherLog.log"));
        const auto withInput = [](const QStringList &args, const QByteArray &input) {
            QProcess p;
            p.start(QStringLiteral(LOBRIX_ADMIN_EXE), args);
            p.write(input);
            p.closeWriteChannel();
            p.waitForFinished(60000);
            return Run{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
        };
        const auto lastLog = [&] {
            const QStringList lines = QString::fromLatin1(test::fileBytes(log)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            return lines.isEmpty() ? QString() : lines.last();
        };
        const auto logsIn = [&](const QString &name, const QString &password) {
            const shell::UsersFile users = shell::UsersFile::read(shell::UsersFile::pathIn(start));
            return bool(shell::LoginCheck(users).find(name, password));
        };

        Run r = withInput({"user", start, "add", "pforte", "--rights", "Erfassen,BerichteLesen"}, "tor 1\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral("auf Platz 1 angelegt")));
        QVERIFY(logsIn(QStringLiteral("pforte"), QStringLiteral("tor 1")));
        QVERIFY2(lastLog().endsWith(QStringLiteral("Benutzerverwaltung -> Benutzer pforte angelegt, Rechte: "
                                                   "Erfassen,BerichteLesen (lobrix-admin)")),
                 qPrintable(lastLog()));
        QVERIFY(!test::fileBytes(shell::UsersFile::pathIn(start)).contains("tor 1"));

        r = admin({"user", start, "list"});
        QCOMPARE(r.out, QStringLiteral("Platz 1: pforte\tRechte: Erfassen,BerichteLesen\n"));
        r = withInput({"user", start, "add", "pforte", "--all"}, "x\n");
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("gibt es schon")), qPrintable(r.err));
        r = withInput({"user", start, "add", "chef", "--rights", "Alles"}, "x\n");
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Das Recht 'Alles' gibt es nicht")), qPrintable(r.err));

        QCOMPARE(withInput({"user", start, "passwd", "pforte"}, "tor 2\n").exitCode, 0);
        QVERIFY(logsIn(QStringLiteral("pforte"), QStringLiteral("tor 2")));
        QVERIFY(!logsIn(QStringLiteral("pforte"), QStringLiteral("tor 1")));
        QVERIFY(lastLog().endsWith(QStringLiteral("Benutzer pforte Passwort geändert (lobrix-admin)")));
        QCOMPARE(withInput({"user", start, "remove", "pforte"}, {}).exitCode, 0);
        QVERIFY(!logsIn(QStringLiteral("pforte"), QStringLiteral("tor 2")));
        QVERIFY(lastLog().endsWith(QStringLiteral("Benutzer pforte entfernt (lobrix-admin)")));
        QCOMPARE(admin({"user", start, "remove", "pforte"}).exitCode, 1);
        QCOMPARE(admin({"user", start, "rename", "x"}).exitCode, 2);

        // The service account, switched off and on for this workstation.
        QCOMPARE(admin({"service-login", start, "off"}).exitCode, 0);
        QCOMPARE(IniFile(QDir(start).filePath(QStringLiteral("settings.ini"))).readString("Options", "ServiceLogin", {}),
                 QStringLiteral("0"));
        QVERIFY(lastLog().endsWith(QStringLiteral("Benutzerverwaltung -> Servicezugang ausgeschaltet (lobrix-admin)")));
        QCOMPARE(admin({"service-login", start, "on"}).exitCode, 0);
        QCOMPARE(IniFile(QDir(start).filePath(QStringLiteral("settings.ini"))).readString("Options", "ServiceLogin", {}),
                 QStringLiteral("1"));
        QCOMPARE(admin({"service-login", start, "vielleicht"}).exitCode, 2);

        // An export of personal data leaves its line too.
        const QString csv = inst.root() + QStringLiteral("/anwesend.csv");
        QCOMPARE(admin({"report", start, "Anwesende Besucher", "--csv", csv}).exitCode, 0);
        QVERIFY2(lastLog().endsWith(QStringLiteral("Export -> Bericht 'Anwesende Besucher': 0 Zeilen nach %1").arg(csv)),
                 qPrintable(lastLog()));
    }

    // Visitor data is personal data: new folders and files are for owner and group only.
    void initKeepsTheInstallationPrivate()
    {
        QTemporaryDir dir;
        const QString start = dir.filePath(QStringLiteral("start"));
        const QString db = dir.filePath(QStringLiteral("db"));
        QCOMPARE(admin({"init", start, db}).exitCode, 0);
        for (const QString &folder : {start, db}) {
            QVERIFY(!(QFileInfo(folder).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther)));
            for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
                QVERIFY2(!(file.permissions() & (QFile::ReadOther | QFile::WriteOther)),
                         qPrintable(file.filePath()));
        }
        QCOMPARE(QFileInfo(QDir(start).filePath(QStringLiteral("user.dat"))).permissions() &
                     (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
    }

    // On a volume too small for it, init fails with a message and leaves nothing behind,
    // or succeeds whole: never an installation with files cut short.
    void initOnASmallVolume_data()
    {
        QTest::addColumn<int>("limitKiB");
        for (int kib : {1, 2, 4, 8, 16, 64})
            QTest::addRow("%d KiB per file", kib) << kib;
    }
    void initOnASmallVolume()
    {
        QFETCH(int, limitKiB);
        QTemporaryDir dir;
        const QString start = dir.filePath(QStringLiteral("start"));
        const QString db = dir.filePath(QStringLiteral("db"));
        const Run r = admin({"init", start, db, "--badges", "300"}, limitKiB);
        if (r.exitCode == 0) {
            QVERIFY2(limitKiB >= 16, qPrintable(r.out)); // too small to hold the layouts
            QCOMPARE(admin({"check", db}).exitCode, 0);
            return;
        }
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QRegularExpression(QStringLiteral("(kann|konnte) nicht .*geschrieben"))),
                 qPrintable(r.err));
        QVERIFY2(r.out.isEmpty(), qPrintable(r.out)); // no word of success
        QVERIFY(!QFileInfo::exists(start));
        QVERIFY(!QFileInfo::exists(db));
    }

    // A registration flag left by a workstation that died is reported and repaired.
    void checkFindsAStaleRegistrationFlag()
    {
        QTemporaryDir dir;
        const QString start = dir.filePath(QStringLiteral("start"));
        const QString db = dir.filePath(QStringLiteral("db"));
        QCOMPARE(admin({"init", start, db}).exitCode, 0);
        QFile global(QDir(db).filePath(QStringLiteral("Global.ini")));
        QVERIFY(global.open(QIODevice::WriteOnly));
        global.write("[Global]\r\nLocked=1\r\nLastSatz=7\r\n");
        global.close();

        const Run found = admin({"check", db});
        QCOMPARE(found.exitCode, 1);
        QVERIFY2(found.out.contains(QStringLiteral("Global.ini: Registrierungssperre gesetzt")), qPrintable(found.out));
        const Run repaired = admin({"check", db, "--repair"});
        QCOMPARE(repaired.exitCode, 0);
        QVERIFY2(repaired.out.contains(QStringLiteral("-> freigegeben")), qPrintable(repaired.out));
        QVERIFY(global.open(QIODevice::ReadOnly));
        QCOMPARE(global.readAll(), QByteArray("[Global]\r\nLocked=0\r\nLastSatz=7\r\n"));
        global.close();
        QCOMPARE(admin({"check", db}).exitCode, 0);
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
        QTest::newRow("purge without a period") << QStringList{"purge", "/tmp"};
        QTest::newRow("option without its value") << QStringList{"report", "/tmp", "X", "--csv"};
        QTest::newRow("user without an action") << QStringList{"user", "/tmp"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = admin(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains(QStringLiteral("lobrix-admin")));
    }

    // Help goes to standard output with status 0: the overview and each command's own.
    void helpForEveryCommand_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("starts");
        QTest::newRow("overview") << QStringList{"--help"} << "Einrichten, Abfragen und Prüfen";
        for (const char *command : {"init", "sql", "check", "report", "purge", "user", "service-login"})
            QTest::newRow(command) << QStringList{QString::fromLatin1(command), "--help"}
                                   << QStringLiteral("Aufruf: lobrix-admin %1 [Optionen]").arg(QString::fromLatin1(command));
    }
    void helpForEveryCommand()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, starts);
        const Run r = admin(args);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(starts), qPrintable(r.out));
        QCOMPARE(r.err, QString());
        if (args.size() == 2) // the command's options are listed
            QVERIFY2(r.out.contains(QStringLiteral("Optionen:")), qPrintable(r.out));
    }

    // The program itself answers --help and --version without a display.
    void programHelpWithoutADisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("starts");
        QTest::newRow("help") << "--help" << "Aufruf: lobrix";
        QTest::newRow("version") << "--version" << "lobrix ";
    }
    void programHelpWithoutADisplay()
    {
        QFETCH(QString, option);
        QFETCH(QString, starts);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(LOBRIX_APP_EXE), {option});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).startsWith(starts));
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

    // Nothing that would make a file beside the tables goes through the administrator's
    // command, and no such file appears.
    void sqlMakesNoFilesOutsideItsTables_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("attach") << "ATTACH DATABASE '%1/x.db' AS x";
        QTest::newRow("vacuum into") << "VACUUM INTO '%1/x.db'";
        QTest::newRow("vacuum after a comment") << "/* nachts */ vacuum into '%1/x.db'";
        QTest::newRow("detach") << "DETACH DATABASE temp";
        QTest::newRow("pragma") << "PRAGMA temp_store_directory = '%1'";
    }
    void sqlMakesNoFilesOutsideItsTables()
    {
        QFETCH(QString, statement);
        test::TestInstallation inst(1);
        QTemporaryDir outside;
        const Run r = admin({"sql", inst.databaseFolder(), statement.arg(outside.path())});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("nicht erlaubt")), qPrintable(r.err));
        QVERIFY(QDir(outside.path()).isEmpty());
    }

    // A statement that only reads works on a folder the account may not write, and takes
    // no write lock; one that writes is told why it cannot.
    void sqlReadsAReadOnlyFolder()
    {
        test::TestInstallation inst(3);
        const QString db = inst.databaseFolder();
        const QFileInfoList files = QDir(db).entryInfoList(QDir::Files);
        // Root writes any file: there the command runs as an account that may only read.
        QStringList asReader;
        if (::geteuid() == 0) {
            const QString setpriv = QStringLiteral("/usr/bin/setpriv");
            if (!QFileInfo::exists(setpriv))
                QSKIP("running as root without setpriv: no account that may only read");
            asReader = {setpriv, QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                        QStringLiteral("--clear-groups")};
            for (QString dir = db; dir.startsWith(inst.root()); dir = QFileInfo(dir).path())
                QFile::setPermissions(dir, QFile::permissions(dir) | QFile::ReadOther | QFile::ExeOther);
            QFile::setPermissions(inst.root(), QFile::permissions(inst.root()) | QFile::ReadOther | QFile::ExeOther);
        }
        for (const QFileInfo &f : files)
            QFile::setPermissions(f.filePath(), QFile::ReadOwner | QFile::ReadOther);
        const auto run = [&](const char *statement) {
            QProcess p;
            const QStringList command = asReader + QStringList{QStringLiteral(LOBRIX_ADMIN_EXE), QStringLiteral("sql"), db,
                                                               QString::fromUtf8(statement)};
            p.start(command.first(), command.mid(1));
            p.waitForFinished(60000);
            return Run{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                       QString::fromUtf8(p.readAllStandardError())};
        };
        const Run r = run("Select count(*) AS n From Ausweis.dbf");
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("n\n3\n"));
        const Run w = run("Delete From Ausweis.dbf");
        QCOMPARE(w.exitCode, 1);
        QVERIFY2(w.err.contains(QStringLiteral("keine Berechtigung")), qPrintable(w.err));
        for (const QFileInfo &f : files)
            QFile::setPermissions(f.filePath(), QFile::ReadOwner | QFile::WriteOwner);
    }

    // A FIFO named like a table: a report on it ends at once with a message instead of
    // waiting for a writer that never comes.
    void reportOnAFifoEnds()
    {
        test::TestInstallation inst(1);
        const QString fifo = QDir(inst.databaseFolder()).filePath(QStringLiteral("Fifo.dbf"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString lists = QDir(inst.databaseFolder()).filePath(QStringLiteral("Listen"));
        QVERIFY(test::putFile(QDir(lists).filePath(QStringLiteral("Fifo.sql")), "Select * From Fifo.dbf\r\n"));
        const Run r = admin({"report", inst.startFolder(), "Fifo"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("keine Tabellendatei")), qPrintable(r.err + r.out));
        const Run check = admin({"check", inst.databaseFolder()});
        QVERIFY2(check.out.contains(QStringLiteral("Fifo.dbf: FEHLER")), qPrintable(check.out));
    }

    // What interrupted work leaves: deleted records that no pack removed, and temporary
    // files. check names them, --repair packs the table and removes the old temporary
    // file (a young one may belong to a write under way); purge packs such a table even
    // when it finds nothing to delete.
    void checkAndPurgeFinishInterruptedWork()
    {
        test::TestInstallation inst(10);
        const QString db = inst.databaseFolder();
        const QString pool = QDir(db).filePath(QStringLiteral("Ausweis.dbf"));
        {
            auto table = data::DbfTable::open(pool);
            table->setDeleted(9);
        }
        const QString oldTemp = QDir(db).filePath(QStringLiteral(".Besucher.dbf.lbx-aB3dE9"));
        const QString youngTemp = QDir(db).filePath(QStringLiteral(".Global.ini.lbx-Zz9yY8"));
        for (const QString &t : {oldTemp, youngTemp}) {
            QVERIFY(test::putFile(t, "halb"));
            // As a workstation of the group leaves it: only the leftover is to be found.
            QFile::setPermissions(t, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
        }
        QFile old(oldTemp);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        old.close();

        const Run looked = admin({"check", db});
        QCOMPARE(looked.exitCode, 0);
        QVERIFY2(looked.out.contains(QStringLiteral("Ausweis.dbf: Version 0x3, Sprachbyte 0x3 (Windows-1252), "
                                                    "Datensätze 10, gelöscht 1, 1 gelöschte Datensätze nicht verdichtet")),
                 qPrintable(looked.out));
        QVERIFY2(looked.out.contains(QFileInfo(oldTemp).fileName() + QStringLiteral(": temporäre Datei")),
                 qPrintable(looked.out));
        QVERIFY(QFile::exists(oldTemp));

        const Run repaired = admin({"check", db, "--repair"});
        QCOMPARE(repaired.exitCode, 0);
        QVERIFY2(repaired.out.contains(QStringLiteral("nicht verdichtet -> verdichtet")), qPrintable(repaired.out));
        QVERIFY(!QFile::exists(oldTemp));
        QVERIFY(QFile::exists(youngTemp));
        QVERIFY2(repaired.out.contains(QStringLiteral("vielleicht noch in Arbeit")), qPrintable(repaired.out));
        QCOMPARE(data::DbfTable::open(pool, data::DbfTable::Mode::ReadOnly)->recordCount(), 9);

        // A purge killed after marking: the next one packs although nothing is old enough.
        const QString visits = QDir(db).filePath(QStringLiteral("Besucher.dbf"));
        {
            auto table = data::DbfTable::open(visits);
            table->append({{table->fieldIndexOrThrow(QStringLiteral("Name")), QStringLiteral("Weg")}});
            table->setDeleted(0);
        }
        QCOMPARE(admin({"purge", inst.startFolder(), "--older-than", "90"}).exitCode, 0);
        QCOMPARE(data::DbfTable::open(visits, data::DbfTable::Mode::ReadOnly)->health().deleted, 0);
        QCOMPARE(data::DbfTable::open(visits, data::DbfTable::Mode::ReadOnly)->recordCount(), 0);
    }

    // A table near the format's 2 GB (a sparse file: its records are holes) is named with
    // a warning before saves are refused; far from it, nothing is said.
    void checkWarnsNearTheSizeLimit()
    {
        test::TestInstallation inst(1);
        const QString path = QDir(inst.databaseFolder()).filePath(QStringLiteral("Besucher.dbf"));
        QVERIFY2(!admin({"check", inst.databaseFolder()}).out.contains(QStringLiteral("WARNUNG")), "a new table warned");
        {
            auto t = data::DbfTable::open(path);
            const qint64 records = data::DbfTable::MaxFileBytes * 95 / 100 / t->recordSize();
            const qint64 size = t->headerLength() + records * t->recordSize() + 1;
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(size));
            QVERIFY(file.seek(size - 1) && file.putChar('\x1A'));
            const quint32 count = quint32(records); // little endian
            QVERIFY(file.seek(4) && file.write(reinterpret_cast<const char *>(&count), 4) == 4);
        }
        const Run r = admin({"check", inst.databaseFolder()});
        QVERIFY2(r.out.contains(QStringLiteral("Besucher.dbf: ")) &&
                     r.out.contains(QStringLiteral("WARNUNG: 95 % der Grenze von 2 GB")) &&
                     r.out.contains(QStringLiteral("lobrix-admin purge")),
                 qPrintable(r.out));
        QCOMPARE(r.exitCode, 0); // a warning, no damage
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

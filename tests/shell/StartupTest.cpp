// The program's start without windows: users file, structure update once, the login's
// three attempts with their messages and event-log lines.
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/Clock.h"
#include "shell/Session.h"
#include "shell/Startup.h"
#include "shell/UsersFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <deque>

using namespace lobrix;
using namespace lobrix::shell;

class StartupTest : public QObject {
    Q_OBJECT

    FixedClock m_clock{QDateTime(QDate(2026, 12, 10), QTime(8, 30, 0))};

    static QStringList logLines(const test::TestInstallation &inst)
    {
        return QString::fromLatin1(test::fileBytes(QDir(inst.databaseFolder()).filePath("BesucherLog.log")))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

private slots:
    void login_data()
    {
        QTest::addColumn<QStringList>("typed"); // name|password, or "cancel"
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("told");
        QTest::addColumn<QString>("logged"); // the last line ends so; empty: no line
        QTest::newRow("first try") << QStringList{"demo|demo"} << int(Startup::LoginResult::LoggedIn) << 0
                                   << "Anmeldung -> Benutzer demo angemeldet";
        QTest::newRow("third try") << QStringList{"demo|x", "x|demo", "demo|demo"}
                                   << int(Startup::LoginResult::LoggedIn) << 2 << "Anmeldung -> Benutzer demo angemeldet";
        QTest::newRow("cancelled") << QStringList{"demo|x", "cancel"} << int(Startup::LoginResult::Cancelled) << 1 << "";
        QTest::newRow("three failures") << QStringList{"a|b", "c|d", "e|f"} << int(Startup::LoginResult::Failed) << 3
                                        << "Anmeldung -> 3. fehlgeschlagener Anmeldeversuch, Programm beendet";
    }
    void login()
    {
        QFETCH(QStringList, typed);
        QFETCH(int, result);
        QFETCH(int, told);
        QFETCH(QString, logged);
        test::TestInstallation inst(1, true);
        QFile::remove(QDir(inst.databaseFolder()).filePath("BesucherLog.log"));
        Startup startup(inst.startFolder(), m_clock);
        QVERIFY(!startup.usersMissing());
        std::deque<QString> answers(typed.begin(), typed.end());
        QStringList messages;
        bool lastTold = false;
        const auto r = startup.login(
            [&]() -> std::optional<Startup::Credentials> {
                if (answers.empty() || answers.front() == u"cancel")
                    return std::nullopt;
                const QStringList parts = answers.front().split(u'|');
                answers.pop_front();
                return Startup::Credentials{parts[0], parts[1]};
            },
            [&](const QString &message, bool last) {
                messages << message;
                lastTold = last;
            });
        QCOMPARE(int(r), result);
        QCOMPARE(messages.size(), told);
        QCOMPARE(lastTold, r == Startup::LoginResult::Failed);
        QCOMPARE(startup.session().currentUserName() == u"demo", r == Startup::LoginResult::LoggedIn);
        const QStringList lines = logLines(inst);
        if (logged.isEmpty())
            QVERIFY(lines.isEmpty());
        else
            QVERIFY2(!lines.isEmpty() && lines.last().endsWith(logged), qPrintable(lines.join(u'|')));
    }

    void withoutUsersFile()
    {
        test::TestInstallation inst(1);
        QVERIFY(QFile::remove(UsersFile::pathIn(inst.startFolder())));
        Startup startup(inst.startFolder(), m_clock);
        QVERIFY(startup.usersMissing());
        QVERIFY(!QFile::exists(UsersFile::pathIn(inst.startFolder()))); // the stand-in is never written
    }

    // The structure update runs once per start, whatever calls it again.
    void structureUpdateOnce()
    {
        test::TestInstallation inst(1);
        Startup startup(inst.startFolder(), m_clock);
        const QString log = QDir(inst.databaseFolder()).filePath(QStringLiteral("UpdateLog.txt"));
        QFile::remove(log);
        startup.updateStructure([](const QString &) {});
        QVERIFY(QFile::exists(log));
        QFile::remove(log);
        startup.updateStructure([](const QString &) {});
        QVERIFY(!QFile::exists(log));
    }
};

LOBRIX_TEST(StartupTest)
#include "StartupTest.moc"

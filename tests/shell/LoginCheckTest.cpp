#include "shell/LoginCheck.h"

#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"
#include "setup/Installation.h"
#include "shell/UsersFile.h"

#include <QTest>
#include <sys/stat.h>

using lobrix::setup::Installation;
using lobrix::shell::LoginCheck;
using lobrix::shell::LoginUser;
using lobrix::shell::Right;
using lobrix::shell::RightCount;
using lobrix::shell::UserRights;
using lobrix::shell::UsersFile;
using namespace lobrix::test;

namespace
{
// The users of the login tests; slots 5 to 9 stay empty.
UsersFile sampleUsers()
{
    UsersFile users = UsersFile::createEmpty();
    users.storeUserSlot(
        0, {QStringLiteral("Anna"), QStringLiteral("geheim"), UserRights{Right::Erfassen}});
    users.storeUserSlot(1, {QString(), QString(), UserRights{Right::BerichteLesen}});
    users.storeUserSlot(2, {QStringLiteral("Anna"), QStringLiteral("geheim"), UserRights::all()});
    users.storeUserSlot(3, {QStringLiteral("Bernd"), QString(), UserRights{Right::Rechte}});
    users.storeUserSlot(4,
                        {QStringLiteral("qzt"), QStringLiteral("x"), UserRights{Right::Service}});
    return users;
}

QString failedMessage(int left)
{
    return QStringLiteral("Benutzername oder Paßwort sind ungültig. Sie haben noch %1 %2.")
        .arg(left)
        .arg(left == 1 ? QStringLiteral("Versuch") : QStringLiteral("Versuche"));
}
} // namespace

Q_DECLARE_METATYPE(UserRights)

class LoginCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void whoLogsIn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("slot"); // -1 service account, -2 nobody
        QTest::addColumn<QString>("userName");
        QTest::addColumn<UserRights>("rights");

        QTest::newRow("service account")
            << "qzt"
            << "kuvet48" << -1 << "Systemanmeldung" << UserRights::all();
        QTest::newRow("service account is case-sensitive") << "QZT"
                                                           << "kuvet48" << -2 << "" << UserRights();
        QTest::newRow("service name with a slot's password: the slot")
            << "qzt"
            << "x" << 4 << "qzt" << UserRights{Right::Service};
        QTest::newRow("first of two equal slots wins")
            << "Anna"
            << "geheim" << 0 << "Anna" << UserRights{Right::Erfassen};
        QTest::newRow("name is case-sensitive") << "anna"
                                                << "geheim" << -2 << "" << UserRights();
        QTest::newRow("wrong password") << "Anna"
                                        << "Geheim" << -2 << "" << UserRights();
        QTest::newRow("empty name and password")
            << ""
            << "" << 1 << "[kein Benutzername]" << UserRights{Right::BerichteLesen};
        QTest::newRow("empty password") << "Bernd"
                                        << "" << 3 << "Bernd" << UserRights{Right::Rechte};
        QTest::newRow("blank is not empty") << "Bernd"
                                            << " " << -2 << "" << UserRights();
    }

    void whoLogsIn()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, slot);
        QFETCH(QString, userName);
        QFETCH(UserRights, rights);

        const UsersFile users = sampleUsers();
        LoginCheck check(users);
        const LoginCheck::Outcome outcome = check.checkLogin(name, password);
        QCOMPARE(outcome.user.has_value(), slot != -2);
        if (!outcome.user)
            return;
        QCOMPARE(outcome.user->slot(), slot);
        QCOMPARE(outcome.user->isService(), slot == -1);
        QCOMPARE(outcome.user->name(), userName);
        QVERIFY(outcome.user->rights() == rights);
        QVERIFY(!outcome.giveUp);
        QVERIFY(outcome.message.isEmpty());
    }

    void threeAttempts_data()
    {
        QTest::addColumn<int>("failuresFirst");
        QTest::newRow("in at the first") << 0;
        QTest::newRow("in at the third") << 2;
        QTest::newRow("never") << 3;
    }

    void threeAttempts()
    {
        QFETCH(int, failuresFirst);
        const UsersFile users = sampleUsers();
        LoginCheck check(users);
        for (int attempt = 1; attempt <= failuresFirst; ++attempt) {
            const auto outcome = check.checkLogin(QStringLiteral("Anna"), QStringLiteral("falsch"));
            QVERIFY(!outcome.user);
            if (attempt < LoginCheck::MaxAttempts) {
                QVERIFY(!outcome.giveUp);
                QCOMPARE(outcome.message, failedMessage(LoginCheck::MaxAttempts - attempt));
            } else {
                QVERIFY(outcome.giveUp);
                QCOMPARE(
                    outcome.message,
                    QStringLiteral("Die Anmeldung ist fehlgeschlagen. Programm wird beendet."));
            }
        }
        if (failuresFirst < LoginCheck::MaxAttempts) {
            const auto outcome = check.checkLogin(QStringLiteral("Anna"), QStringLiteral("geheim"));
            QVERIFY(outcome.user && outcome.user->slot() == 0);
        }
        QCOMPARE(check.attempts(), std::min(failuresFirst + 1, LoginCheck::MaxAttempts));
    }

    void designerMenu_data()
    {
        QTest::addColumn<bool>("service");
        QTest::addColumn<bool>("settingsRight");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("sees");
        QTest::newRow("service, not offered") << true << true << false << true;
        QTest::newRow("right and offered") << false << true << true << true;
        QTest::newRow("right, not offered") << false << true << false << false;
        QTest::newRow("offered, no right") << false << false << true << false;
    }

    void designerMenu()
    {
        QFETCH(bool, service);
        QFETCH(bool, settingsRight);
        QFETCH(bool, offered);
        QFETCH(bool, sees);
        const LoginUser user =
            service ? LoginUser::service()
                    : LoginUser::fromSlot(
                          0, {QStringLiteral("A"), QString(),
                              settingsRight ? UserRights{Right::Einstellungen} : UserRights()});
        QCOMPARE(user.seesDesigner(offered), sees);
    }

    void installationWritesUsersFile_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::newRow("demo") << true;
        QTest::newRow("plain") << false;
    }

    void installationWritesUsersFile()
    {
        QFETCH(bool, demo);
        const TestInstallation installation(5, demo);
        const QString path = UsersFile::pathIn(installation.startFolder());
        struct stat status {
        };
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0600));

        const UsersFile users = UsersFile::read(path);
        LoginCheck check(users);
        const auto demoLogin = check.find(QStringLiteral("demo"), QStringLiteral("demo"));
        QCOMPARE(demoLogin.has_value(), demo);
        if (demo) {
            QCOMPARE(demoLogin->slot(), 0);
            QCOMPARE(demoLogin->name(), QStringLiteral("demo"));
            QVERIFY(demoLogin->rights() == UserRights::all());
        }
        for (int slot = demo ? 1 : 0; slot < UsersFile::SlotCount; ++slot) {
            const auto user = users.loadUserSlot(slot);
            QVERIFY(user.name.isEmpty() && user.password.isEmpty());
            QVERIFY(user.rights == UserRights());
        }
        QVERIFY(check.find(QStringLiteral("qzt"), QStringLiteral("kuvet48"))->isService());
    }

    void installationKeepsAnExistingUsersFile()
    {
        QTemporaryDir dir;
        const QString start = dir.filePath(QStringLiteral("start"));
        QVERIFY(QDir().mkpath(start));
        QVERIFY(putFile(start + QStringLiteral("/USER.DAT"), "alt\r\n"));
        QVERIFY(errorOf([&] {
            Installation::create(start, dir.filePath(QStringLiteral("db")),
                                 Installation::Options{});
        }));
        QCOMPARE(fileBytes(start + QStringLiteral("/USER.DAT")), QByteArray("alt\r\n"));
        QCOMPARE(folderEntries(start), QStringList{"USER.DAT"});
    }
};

LOBRIX_TEST(LoginCheckTest)
#include "LoginCheckTest.moc"

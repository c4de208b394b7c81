#include "shell/UsersFile.h"

#include "TestFiles.h"
#include "TestRegistry.h"
#include "shell/UserScrambler.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using lobrix::shell::Right;
using lobrix::shell::RightCount;
using lobrix::shell::UserRights;
using lobrix::shell::UserScrambler;
using lobrix::shell::UsersFile;
using lobrix::shell::UserSlot;
using namespace lobrix::test;

Q_DECLARE_METATYPE(UserRights)

namespace
{
// 1-based positions of "~" in a line.
QList<int> terminatorPositions(const QString &line)
{
    QList<int> positions;
    for (int i = 0; i < line.size(); ++i)
        if (line.at(i) == u'~')
            positions.append(i + 1);
    return positions;
}

QChar storedAt(const QString &line, int position)
{
    return line.at(position - 1);
}

QChar scrambled(QChar c)
{
    return UserScrambler::ScrambleText(QString(c)).at(0);
}

void compareSlot(const UserSlot &actual, const UserSlot &expected)
{
    QCOMPARE(actual.name, expected.name);
    QCOMPARE(actual.password, expected.password);
    QVERIFY(actual.rights == expected.rights);
}
} // namespace

class UsersFileTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString userDat() const { return m_dir->filePath(QStringLiteral("user.dat")); }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
    }

    void newFileHasTenEmptySlots()
    {
        const UsersFile file = UsersFile::createEmpty();
        QCOMPARE(file.lines().size(), UsersFile::MinLineCount);
        for (int i = 0; i < file.lines().size(); ++i) {
            const QString &line = file.lines().at(i);
            QCOMPARE(line.size(), UsersFile::LineLength);
            const bool nameLine = i >= 10 && i % 10 == 0;
            QCOMPARE(terminatorPositions(line), nameLine ? QList<int>({3, 33}) : QList<int>());
        }
        for (int slot = 0; slot < UsersFile::SlotCount; ++slot)
            compareSlot(file.LoadUserSlot(slot), UserSlot{});
    }

    void slotRoundTrip_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");

        QTest::newRow("plain") << 0 << "Anna"
                               << "geheim";
        QTest::newRow("both empty") << 1 << ""
                                    << "";
        QTest::newRow("empty password") << 2 << "Pforte"
                                        << "";
        QTest::newRow("umlauts and signs")
            << 5 << QStringLiteral("Jürgen Öß") << QStringLiteral("§€!\"'@_-");
        QTest::newRow("ten-character name, its terminator overwritten") << 9 << "Maximilian"
                                                                        << "pw";
        QTest::newRow("ten and ten") << 9 << "Maximilian"
                                     << "0123456789";
        QTest::newRow("ten-character name, empty password") << 3 << "Annabellaa"
                                                            << "";
        QTest::newRow("blanks kept") << 4 << " a "
                                     << "  ";
    }

    // Stored in the positions the file format gives, and read back whole.
    void slotRoundTrip()
    {
        QFETCH(int, slot);
        QFETCH(QString, name);
        QFETCH(QString, password);
        UsersFile file = UsersFile::createEmpty();
        const UserSlot user{name, password, UserRights{Right::Erfassen, Right::Service}};
        file.StoreUserSlot(slot, user);
        compareSlot(file.LoadUserSlot(slot), user);

        const QString &line = file.lines().at(10 * slot + 10);
        for (int i = 0; i < name.size(); ++i)
            QCOMPARE(storedAt(line, 3 * i + 3), scrambled(name.at(i)));
        for (int i = 0; i < password.size(); ++i)
            QCOMPARE(storedAt(line, 3 * i + 33), scrambled(password.at(i)));
        QList<int> terminators{3 * int(name.size()) + 3, 3 * int(password.size()) + 33};
        if (name.size() == UsersFile::MaxTextLength)
            terminators.removeFirst(); // the first password position took its place
        QCOMPARE(terminatorPositions(line), terminators);

        // Through the file and back.
        file.write(userDat());
        compareSlot(UsersFile::read(userDat()).LoadUserSlot(slot), user);
    }

    void rightsRoundTrip_data()
    {
        QTest::addColumn<UserRights>("rights");
        QTest::newRow("none") << UserRights();
        QTest::newRow("all") << UserRights::all();
        const char *names[RightCount] = {
            "Erfassen",          "StammLesen",    "StammSchreiben", "BerichteLesen",
            "BerichteErstellen", "Einstellungen", "Rechte",         "Service"};
        for (int k = 0; k < RightCount; ++k) {
            UserRights only;
            only.set(k, true);
            QTest::newRow(qPrintable(QStringLiteral("only %1").arg(names[k]))) << only;
            UserRights allBut = UserRights::all();
            allBut.set(k, false);
            QTest::newRow(qPrintable(QStringLiteral("all but %1").arg(names[k]))) << allBut;
        }
    }

    void rightsRoundTrip()
    {
        QFETCH(UserRights, rights);
        UsersFile file = UsersFile::createEmpty();
        file.StoreUserSlot(7, {QStringLiteral("Nutzer"), QStringLiteral("pw"), rights});
        QVERIFY(file.LoadUserSlot(7).rights == rights);

        // Right k: the scrambled digit k + 1 when held, k when not, at position 5k + 5.
        const QString &line = file.lines().at(81);
        for (int k = 0; k < RightCount; ++k)
            QCOMPARE(storedAt(line, 5 * k + 5),
                     scrambled(QChar(u'0' + (rights.has(k) ? k + 1 : k))));
        for (int slot = 0; slot < UsersFile::SlotCount; ++slot)
            if (slot != 7)
                QVERIFY(file.LoadUserSlot(slot).rights == UserRights());
    }

    // Storing one slot touches its two lines only; the filler elsewhere stays as found.
    void otherLinesStayAsFound()
    {
        UsersFile::createEmpty().write(userDat());
        UsersFile file = UsersFile::read(userDat());
        const QStringList before = file.lines();
        file.StoreUserSlot(4, {QStringLiteral("Bernd"), QStringLiteral("x1"), UserRights::all()});
        for (int i = 0; i < before.size(); ++i)
            if (i != 50 && i != 51)
                QCOMPARE(file.lines().at(i), before.at(i));
        QVERIFY(file.lines().at(50) != before.at(50));
    }

    void refusedInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("messageStart");
        QTest::addColumn<QString>("mentions");

        QTest::newRow("backslash in name") << "a\\b"
                                           << "pw" << QStringLiteral("Der Benutzername enthält")
                                           << QStringLiteral("\u201E\\\u201C");
        QTest::newRow("tilde in name") << "a~"
                                       << "pw" << QStringLiteral("Der Benutzername enthält")
                                       << QStringLiteral("\u201E~\u201C");
        QTest::newRow("name too long") << "Elfzeichen!"
                                       << "pw"
                                       << "Der Benutzername darf höchstens 10 Zeichen"
                                       << "";
        QTest::newRow("brace in password")
            << "Anna"
            << "ge{heim" << QStringLiteral("Das Passwort enthält ein Zeichen") << "";
        QTest::newRow("emoji in password")
            << "Anna" << QStringLiteral("\U0001F600")
            << QStringLiteral("Das Passwort enthält ein Zeichen") << "";
        QTest::newRow("password too long") << "Anna"
                                           << "01234567890"
                                           << "Das Passwort darf höchstens 10 Zeichen"
                                           << "";
    }

    // Refused with a message instead of shifting the line; nothing is changed.
    void refusedInput()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, messageStart);
        QFETCH(QString, mentions);
        UsersFile file = UsersFile::createEmpty();
        file.StoreUserSlot(2, {QStringLiteral("Alt"), QStringLiteral("alt"), UserRights::all()});
        const QStringList before = file.lines();

        const auto error = errorOf([&] { file.StoreUserSlot(2, {name, password, UserRights()}); });
        QVERIFY(error);
        QVERIFY2(error->startsWith(messageStart), qPrintable(*error));
        QVERIFY2(error->contains(mentions), qPrintable(*error));
        QVERIFY2(!error->contains(u'{') && !error->contains(QStringLiteral("\U0001F600")) &&
                     !error->contains(password),
                 "a password never appears in a message");
        QCOMPARE(file.lines(), before);
    }

    void readFile_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("readable");
        QTest::newRow("lines 0 to 101") << 102 << true;
        QTest::newRow("more lines") << 150 << true;
        QTest::newRow("line 101 missing") << 101 << false;
        QTest::newRow("empty") << 0 << false;
    }

    void readFile()
    {
        QFETCH(int, lines);
        QFETCH(bool, readable);
        const UsersFile full = UsersFile::createEmpty();
        QByteArray bytes;
        for (int i = 0; i < lines; ++i)
            bytes += full.lines().at(i % full.lines().size()).toLatin1() + "\r\n";
        QVERIFY(putFile(userDat(), bytes));
        const auto error = errorOf([&] { UsersFile::read(userDat()); });
        QCOMPARE(!error, readable);
        if (error)
            QVERIFY2(error->contains(QStringLiteral("user.dat")), qPrintable(*error));
    }

    void unreadableFileIsAnError_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("missing") << "user.dat";
        QTest::newRow("a folder") << ".";
    }

    void unreadableFileIsAnError()
    {
        QFETCH(QString, relativePath);
        QVERIFY(errorOf([&] { UsersFile::read(m_dir->filePath(relativePath)); }));
    }

    // Lines cut short by hand: missing positions read as empty, storing fills them up.
    void shortLinesAreFilledUp()
    {
        QVERIFY(putFile(userDat(), QByteArray("ku\r\n").repeated(UsersFile::MinLineCount)));
        UsersFile file = UsersFile::read(userDat());
        compareSlot(file.LoadUserSlot(0), UserSlot{});
        const UserSlot user{QStringLiteral("Anna"), QStringLiteral("pw"), UserRights::all()};
        file.StoreUserSlot(0, user);
        compareSlot(file.LoadUserSlot(0), user);
        QCOMPARE(file.lines().at(10).size(), UsersFile::LineLength);
        QCOMPARE(file.lines().at(11).size(), UsersFile::LineLength);
        QCOMPARE(file.lines().at(12), QStringLiteral("ku"));
    }

    void writtenFileIsOwnersOnlyWindowsText()
    {
        UsersFile file = UsersFile::createEmpty();
        file.StoreUserSlot(0, {QStringLiteral("Müller"), QStringLiteral("pw"), UserRights()});
        file.write(userDat());
        struct stat status {
        };
        QCOMPARE(::stat(QFile::encodeName(userDat()).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0600));
        const QByteArray bytes = fileBytes(userDat());
        QCOMPARE(bytes.size(), UsersFile::MinLineCount * (UsersFile::LineLength + 2));
        QCOMPARE(bytes.count("\r\n"), UsersFile::MinLineCount);
        QCOMPARE(UsersFile::read(userDat()).lines(), file.lines());
        QCOMPARE(folderEntries(m_dir->path()), QStringList{"user.dat"});
    }

    void fileFoundWithoutRegardToCase()
    {
        UsersFile::createEmpty().write(m_dir->filePath(QStringLiteral("USER.DAT")));
        QCOMPARE(UsersFile::pathIn(m_dir->path()), m_dir->filePath(QStringLiteral("USER.DAT")));
    }
};

LOBRIX_TEST(UsersFileTest)
#include "UsersFileTest.moc"

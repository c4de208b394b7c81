#include "shell/UsersFile.h"

#include "TestFiles.h"
#include "TestRegistry.h"
#include "shell/LoginCheck.h"
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
    return UserScrambler::scrambleText(QString(c)).at(0);
}

// Name and rights as stored; the password only as the file can tell it: by its hash for a
// named slot, never readable.
void compareSlot(const UsersFile &file, int slot, const UserSlot &expected)
{
    const UserSlot actual = file.loadUserSlot(slot);
    QCOMPARE(actual.name, expected.name);
    QVERIFY(actual.rights == expected.rights);
    if (expected.name.isEmpty())
        return;
    QCOMPARE(actual.password, QString());
    QVERIFY(actual.passwordHash.startsWith(QStringLiteral("$argon2id$")));
    QVERIFY(file.passwordMatches(slot, expected.password));
    QVERIFY(!file.passwordMatches(slot, expected.password + u'x'));
}

// A users file as the older program wrote it: the password scrambled in its field.
QStringList oldFormat(const QString &name, const QString &password, const UserRights &rights)
{
    QStringList lines = UsersFile::createEmpty().lines();
    QString &names = lines[10];
    const QString storedName = UserScrambler::scrambleText(name), storedPassword = UserScrambler::scrambleText(password);
    for (int i = 0; i < storedName.size(); ++i)
        names[3 * i + 2] = storedName.at(i);
    names[3 * int(storedName.size()) + 2] = u'~';
    for (int i = 0; i < storedPassword.size(); ++i)
        names[3 * i + 32] = storedPassword.at(i);
    names[3 * int(storedPassword.size()) + 32] = u'~';
    for (int k = 0; k < RightCount; ++k)
        lines[11][5 * k + 4] = UserScrambler::scrambleText(QString::number(rights.has(k) ? k + 1 : k)).at(0);
    return lines;
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
            compareSlot(file, slot, UserSlot{});
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
        file.storeUserSlot(slot, user);
        compareSlot(file, slot, user);

        // The name where the format puts it; the password field left empty: the password
        // lives only as its hash, in the slot's line behind the old format's lines.
        const QString &line = file.lines().at(10 * slot + 10);
        for (int i = 0; i < name.size(); ++i)
            QCOMPARE(storedAt(line, 3 * i + 3), scrambled(name.at(i)));
        QList<int> terminators{3 * int(name.size()) + 3, 33};
        if (name.size() == UsersFile::MaxTextLength)
            terminators.removeFirst(); // the password's terminator took its place
        QCOMPARE(terminatorPositions(line), terminators);
        if (!name.isEmpty())
            QCOMPARE(file.lines().at(UsersFile::HashLineBase + slot), file.loadUserSlot(slot).passwordHash);

        // Through the file and back.
        file.write(userDat());
        compareSlot(UsersFile::read(userDat()), slot, user);
    }

    // A file of the older format: read as before (the password as it was kept), and at
    // its next write every password becomes a hash and leaves the file.
    void oldFormatIsConvertedAtTheNextWrite()
    {
        const UserRights rights{Right::Erfassen, Right::BerichteLesen};
        QVERIFY(putFile(userDat(), [&] {
            QByteArray bytes;
            for (const QString &l : oldFormat(QStringLiteral("Anna"), QStringLiteral("geheim1"), rights))
                bytes += l.toLatin1() + "\r\n";
            return bytes;
        }()));
        const UsersFile old = UsersFile::read(userDat());
        QCOMPARE(old.lines().size(), UsersFile::MinLineCount);
        QCOMPARE(old.loadUserSlot(0).password, QStringLiteral("geheim1"));
        QVERIFY(old.passwordMatches(0, QStringLiteral("geheim1")));
        const QString scrambledPassword = UserScrambler::scrambleText(QStringLiteral("geheim1"));

        old.write(userDat());
        const UsersFile converted = UsersFile::read(userDat());
        compareSlot(converted, 0, UserSlot{QStringLiteral("Anna"), QStringLiteral("geheim1"), rights});
        // Nothing of the password is left where the scrambling put it.
        const QString &line = converted.lines().at(10);
        QString field;
        for (int i = 0; i < scrambledPassword.size(); ++i)
            field += storedAt(line, 3 * i + 33);
        QVERIFY(field != scrambledPassword);
        QCOMPARE(storedAt(line, 33), QChar(u'~'));
        // The login works before and after.
        QVERIFY(lobrix::shell::LoginCheck(old).find(QStringLiteral("Anna"), QStringLiteral("geheim1")));
        QVERIFY(lobrix::shell::LoginCheck(converted).find(QStringLiteral("Anna"), QStringLiteral("geheim1")));
        QVERIFY(!lobrix::shell::LoginCheck(converted).find(QStringLiteral("Anna"), QStringLiteral("geheim")));
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
        file.storeUserSlot(7, {QStringLiteral("Nutzer"), QStringLiteral("pw"), rights});
        QVERIFY(file.loadUserSlot(7).rights == rights);

        // Right k: the scrambled digit k + 1 when held, k when not, at position 5k + 5.
        const QString &line = file.lines().at(81);
        for (int k = 0; k < RightCount; ++k)
            QCOMPARE(storedAt(line, 5 * k + 5),
                     scrambled(QChar(u'0' + (rights.has(k) ? k + 1 : k))));
        for (int slot = 0; slot < UsersFile::SlotCount; ++slot)
            if (slot != 7)
                QVERIFY(file.loadUserSlot(slot).rights == UserRights());
    }

    // Storing one slot touches its two lines only; the filler elsewhere stays as found.
    void otherLinesStayAsFound()
    {
        UsersFile::createEmpty().write(userDat());
        UsersFile file = UsersFile::read(userDat());
        const QStringList before = file.lines();
        file.storeUserSlot(4, {QStringLiteral("Bernd"), QStringLiteral("x1"), UserRights::all()});
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
        file.storeUserSlot(2, {QStringLiteral("Alt"), QStringLiteral("alt"), UserRights::all()});
        const QStringList before = file.lines();

        const auto error = errorOf([&] { file.storeUserSlot(2, {name, password, UserRights()}); });
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
        compareSlot(file, 0, UserSlot{});
        const UserSlot user{QStringLiteral("Anna"), QStringLiteral("pw"), UserRights::all()};
        file.storeUserSlot(0, user);
        compareSlot(file, 0, user);
        QCOMPARE(file.lines().at(10).size(), UsersFile::LineLength);
        QCOMPARE(file.lines().at(11).size(), UsersFile::LineLength);
        QCOMPARE(file.lines().at(12), QStringLiteral("ku"));
    }

    void writtenFileIsOwnersOnlyWindowsText()
    {
        UsersFile file = UsersFile::createEmpty();
        file.storeUserSlot(0, {QStringLiteral("Müller"), QStringLiteral("pw"), UserRights()});
        file.write(userDat());
        struct stat status {
        };
        QCOMPARE(::stat(QFile::encodeName(userDat()).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0600));
        const QByteArray bytes = fileBytes(userDat());
        // The old format's lines of 200 characters, then one hash line per slot.
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(bytes.count("\r\n"), UsersFile::HashLineBase + UsersFile::SlotCount);
        for (int i = 0; i < UsersFile::MinLineCount; ++i)
            QCOMPARE(lines.at(i).size(), UsersFile::LineLength + 1);
        QVERIFY(lines.at(UsersFile::HashLineBase).startsWith("$argon2id$"));
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

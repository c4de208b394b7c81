#include "shell/UsersFile.h"

#include "common/Error.h"
#include "common/TextFile.h"
#include "data/DbfTable.h"
#include "shell/PasswordHash.h"
#include "shell/UserScrambler.h"

#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <ctime>

namespace lobrix::shell
{
namespace
{

constexpr QChar Terminator = u'~';
constexpr int NameStart = 3; // position of the first name character (from 1)
constexpr int PasswordStart = 33;

int nameLine(int slot)
{
    return 10 * slot + 10;
}

int rightsLine(int slot)
{
    return 10 * slot + 11;
}

int rightPosition(int k)
{
    return 5 * k + 5;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void checkSlot(int slot)
{
    if (slot < 0 || slot >= UsersFile::SlotCount)
        throw Error(QStringLiteral("Den Benutzerplatz %1 gibt es nicht (0 bis 9).").arg(slot));
}

// Filler comes from the C library generator, reseeded with the time in seconds where the
// file format says so. It only has to look random; it protects nothing.
void reseedFiller()
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

QChar filler()
{
    return UserScrambler::fillerCharacter(std::rand() % UserScrambler::PairCount);
}

QString fillerLine()
{
    QString line;
    line.reserve(UsersFile::LineLength);
    for (int i = 0; i < UsersFile::LineLength; ++i)
        line.append(filler());
    return line;
}

// The character at a position counted from 1, or nothing past the end of the line.
std::optional<QChar> at(const QString &line, int position)
{
    if (position < 1 || position > line.size())
        return std::nullopt;
    return line.at(position - 1);
}

// Filler, the character, filler: centred on `position`.
void putWithFiller(QString &line, int position, QChar c)
{
    line[position - 2] = filler();
    line[position - 1] = c;
    line[position] = filler();
}

// Name or password as stored from `start` on: at most ten characters up to "~".
QString readText(const QString &line, int start)
{
    QString stored;
    for (int i = 0; i < UsersFile::MaxTextLength; ++i) {
        const auto c = at(line, start + 3 * i);
        if (!c || *c == Terminator)
            break;
        stored.append(*c);
    }
    return UserScrambler::unscrambleText(stored);
}

void writeText(QString &line, int start, const QString &text)
{
    const QString stored = UserScrambler::scrambleText(text);
    for (int i = 0; i < stored.size(); ++i)
        putWithFiller(line, start + 3 * i, stored.at(i));
    putWithFiller(line, start + 3 * static_cast<int>(stored.size()), Terminator);
}

QChar storedDigit(int digit)
{
    return UserScrambler::scrambleText(QString::number(digit)).at(0);
}

QString allowedSigns()
{
    QStringList signs;
    for (const QChar c : UserScrambler::plainCharacters())
        if (!c.isLetterOrNumber() && !c.isSpace())
            signs.append(QString(c));
    return signs.join(u' ');
}

void checkStorable(const QString &text, const QString &what, bool mayShowCharacter)
{
    if (text.size() > UsersFile::MaxTextLength)
        throw Error(QStringLiteral("%1 darf höchstens %2 Zeichen lang sein.")
                        .arg(what)
                        .arg(UsersFile::MaxTextLength));
    const auto bad = UserScrambler::firstUnsupported(text);
    if (!bad)
        return;
    // A password character is never shown, not even in an error message.
    const QString which = mayShowCharacter && bad->isPrint()
                              ? QStringLiteral("das Zeichen \u201E%1\u201C").arg(*bad)
                              : QStringLiteral("ein Zeichen");
    throw Error(QStringLiteral("%1 enthält %2, das nicht gespeichert werden kann. Erlaubt sind "
                               "Buchstaben (auch Umlaute und ß), Ziffern, Leerzeichen und die "
                               "Zeichen %3")
                    .arg(what, which, allowedSigns()));
}

} // namespace

QString UsersFile::pathIn(const QString &startFolder)
{
    return data::DbfTable::resolve(startFolder, QString::fromLatin1(FileName));
}

UsersFile UsersFile::read(const QString &path)
{
    bool ok = false;
    QStringList lines = TextFile::readLines(path, &ok);
    if (!ok)
        throw Error(
            QStringLiteral("Die Benutzerdatei '%1' konnte nicht gelesen werden.").arg(shown(path)));
    if (lines.size() < MinLineCount)
        throw Error(QStringLiteral("Die Benutzerdatei '%1' ist unvollständig: sie hat %2 Zeilen, "
                                   "nötig sind mindestens %3.")
                        .arg(shown(path))
                        .arg(lines.size())
                        .arg(MinLineCount));
    return UsersFile(std::move(lines));
}

UsersFile UsersFile::createEmpty()
{
    reseedFiller();
    QStringList lines;
    for (int i = 0; i < MinLineCount; ++i)
        lines.append(fillerLine());
    UsersFile file(std::move(lines));
    for (int slot = 0; slot < SlotCount; ++slot)
        file.storeUserSlot(slot, UserSlot{});
    return file;
}

bool UsersFile::passwordMatches(int slot, const QString &typed) const
{
    const UserSlot user = loadUserSlot(slot);
    return user.passwordHash.isEmpty() ? typed == user.password : PasswordHash::verify(user.passwordHash, typed);
}

int UsersFile::slotOf(const QString &name) const
{
    for (int slot = 0; slot < SlotCount; ++slot)
        if (!name.isEmpty() && loadUserSlot(slot).name == name)
            return slot;
    return -1;
}

void UsersFile::write(const QString &path) const
{
    // An old-format slot is stored anew: its password goes into a hash.
    UsersFile converted = *this;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const UserSlot user = loadUserSlot(slot);
        if (!user.name.isEmpty() && user.passwordHash.isEmpty())
            converted.storeUserSlot(slot, user);
    }
    QList<QByteArray> encoded;
    encoded.reserve(converted.m_lines.size());
    for (const QString &l : converted.m_lines)
        encoded.append(TextFile::encodeFor(path, l));
    const QByteArray bytes = TextFile::joinLines(encoded);

    // The passwords are only scrambled: the file is the owner's alone from the first byte
    // on, also when an installation copied it in readable for others.
    TextFile::writeBytes(path, bytes, FileModes::Kind::Private);
}

UserSlot UsersFile::loadUserSlot(int slot) const
{
    checkSlot(slot);
    UserSlot user;
    const QString &names = m_lines.at(nameLine(slot));
    user.name = readText(names, NameStart);
    const int hashLine = HashLineBase + slot;
    if (hashLine < m_lines.size() && PasswordHash::isHash(m_lines.at(hashLine)))
        user.passwordHash = m_lines.at(hashLine);
    else
        user.password = readText(names, PasswordStart);
    const QString &rights = m_lines.at(rightsLine(slot));
    for (int k = 0; k < RightCount; ++k)
        user.rights.set(k, at(rights, rightPosition(k)) == storedDigit(k + 1));
    return user;
}

void UsersFile::storeUserSlot(int slot, const UserSlot &user)
{
    checkSlot(slot);
    checkStorable(user.name, QStringLiteral("Der Benutzername"), true);
    checkStorable(user.password, QStringLiteral("Das Passwort"), false);
    // A named slot keeps a hash: the one it has when no new password is given, else a new one.
    QString hash;
    if (!user.name.isEmpty())
        hash = user.password.isEmpty() && PasswordHash::isHash(user.passwordHash) ? user.passwordHash
                                                                                 : PasswordHash::make(user.password);

    QString &names = line(nameLine(slot));
    reseedFiller();
    writeText(names, NameStart, user.name);
    reseedFiller();
    writeText(names, PasswordStart, QString()); // the password itself is not kept

    QString &rights = line(rightsLine(slot));
    for (int k = 0; k < RightCount; ++k)
        putWithFiller(rights, rightPosition(k), storedDigit(user.rights.has(k) ? k + 1 : k));

    if (hash.isEmpty() && m_lines.size() <= HashLineBase + slot)
        return; // nothing to keep: an empty file keeps the old format's 102 lines
    while (m_lines.size() < HashLineBase + SlotCount)
        m_lines.append(fillerLine());
    m_lines[HashLineBase + slot] = hash.isEmpty() ? fillerLine() : hash;
}

QString &UsersFile::line(int index)
{
    // Short lines (edited by hand) are filled up so that every position exists.
    QString &l = m_lines[index];
    while (l.size() < LineLength)
        l.append(filler());
    return l;
}

} // namespace lobrix::shell

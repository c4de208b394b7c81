#pragma once
// The working copy of user.dat, the users file of a workstation: ten user slots, each a
// name, a password and eight rights, stored scrambled (UserScrambler) in lines of 200
// characters between random filler characters.
//
// Slot s uses line 10s + 10 (name at positions 3, 6, ... 30 and password at 33, 36, ...
// 60, positions counted from 1, each ended by "~") and line 10s + 11 (right k at
// position 5k + 5). Everything else is filler that is kept as it is found.
#include "shell/UserRights.h"

#include <QString>
#include <QStringList>

namespace lobrix::shell
{

struct UserSlot {
    QString name;
    QString password;
    UserRights rights;
};

class UsersFile
{
public:
    static constexpr int SlotCount = 10;
    static constexpr int LineLength = 200;
    // Lines 0 to 101: the rights line of slot 9 is the last one read.
    static constexpr int MinLineCount = 102;
    static constexpr int MaxTextLength = 10; // name and password
    static constexpr char FileName[] = "user.dat";
    // What the program shows before it ends when the file cannot be read.
    static constexpr char NotFoundMessage[] =
        "Es konnten keine Einstellungen gefunden werden. Programm wird beendet.";

    // user.dat in the start folder, found without regard to case.
    static QString pathIn(const QString &startFolder);

    // Reads the file. Throws lobrix::Error naming the file when it cannot be read or
    // holds fewer than MinLineCount lines.
    static UsersFile read(const QString &path);
    // A new file: lines of filler and ten empty slots without rights.
    static UsersFile createEmpty();

    // Replaces the file as a whole (through a temporary file), readable and writable by
    // its owner only, also when the old file was open to others. Throws lobrix::Error.
    void write(const QString &path) const;

    UserSlot LoadUserSlot(int slot) const;
    // Writes the slot into the working copy with new filler around it. Throws
    // lobrix::Error, changing nothing, when the name or password is longer than ten
    // characters or holds a character the users file cannot store.
    void StoreUserSlot(int slot, const UserSlot &user);

    const QStringList &lines() const { return m_lines; }

private:
    explicit UsersFile(QStringList lines) : m_lines(std::move(lines)) {}
    QString &line(int index);

    QStringList m_lines;
};

} // namespace lobrix::shell

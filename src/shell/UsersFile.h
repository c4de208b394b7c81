#pragma once
// The working copy of user.dat, the users file of a workstation: ten user slots, each a
// name, a password and eight rights, stored scrambled (UserScrambler) in lines of 200
// characters between random filler characters.
//
// Slot s uses line 10s + 10 (name at positions 3, 6, ... 30 and password at 33, 36, ...
// 60, positions counted from 1, each ended by "~") and line 10s + 11 (right k at
// position 5k + 5). Everything else is filler that is kept as it is found.
//
// Passwords are not kept readable: from the first write on, line 102 + s holds the
// argon2id hash of slot s's password (PasswordHash) and the scrambled password field is
// left empty. A file of the older format (no hash lines) is read as before, and write()
// turns its passwords into hashes. Older programs ignore the lines behind line 101, so
// they can no longer log in with the converted file.
#include "shell/UserRights.h"

#include <QString>
#include <QStringList>

namespace lobrix::shell
{

struct UserSlot {
    QString name;
    // The password as typed (to store), or as an old-format file keeps it; empty when the
    // file keeps only its hash.
    QString password;
    UserRights rights;
    // The stored hash; a slot stored with an empty password and a hash keeps that hash.
    QString passwordHash = {};
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
    // its owner only, also when the old file was open to others; a password still kept in
    // the old format is written as its hash. Throws lobrix::Error.
    void write(const QString &path) const;

    UserSlot loadUserSlot(int slot) const;
    // Writes the slot into the working copy with new filler around it. Throws
    // lobrix::Error, changing nothing, when the name or password is longer than ten
    // characters or holds a character the users file cannot store.
    void storeUserSlot(int slot, const UserSlot &user);

    // True when the typed password is the slot's (by its hash, or as an old file keeps it).
    bool passwordMatches(int slot, const QString &typed) const;
    // The slot of that name, or -1.
    int slotOf(const QString &name) const;

    static constexpr int HashLineBase = MinLineCount;

    const QStringList &lines() const { return m_lines; }

private:
    explicit UsersFile(QStringList lines) : m_lines(std::move(lines)) {}
    QString &line(int index);

    QStringList m_lines;
};

} // namespace lobrix::shell

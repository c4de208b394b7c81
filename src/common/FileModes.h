#pragma once
// Who may read what the program writes. The database folder is shared by the group of
// the workstations' accounts: its folders are setgid (new files get the folder's group)
// and group-writable, its files readable and writable by owner and group. What belongs to
// one workstation or user (the start folder, user.dat, working copies) is the owner's
// alone. Nothing is readable by other accounts. Modes are set explicitly, never left to
// the umask.
#include <QList>
#include <QString>

#include <sys/types.h>

struct stat;

namespace lobrix {

class FileModes {
public:
    static constexpr mode_t SharedFile = 0660;
    static constexpr mode_t PrivateFile = 0600;
    static constexpr mode_t SharedFolder = 02770;
    static constexpr mode_t PrivateFolder = 0700;

    enum class Kind {
        ByFolder, // shared in a setgid folder (the database folder, a group's export folder), else private
        Private   // the owner's alone wherever it lies (user.dat, window state)
    };

    // True when new files in the folder belong to its group (the setgid bit).
    static bool isSharedFolder(const QString &folder);
    // The mode a new file of that kind gets in that folder.
    static mode_t forNewFile(const QString &folder, Kind kind = Kind::ByFolder);

    // Gives an open file that replaces `old` the old file's mode (made private for
    // Kind::Private) and group. False with errno when the mode cannot be set; a group the
    // writer does not belong to is left as the folder gives it.
    static bool takeOver(int fd, const struct stat &old, Kind kind);
    // Makes the folder (and its parents) where missing; a new folder inside a shared one
    // is shared (02770), any other new one private (0700). False when it cannot be made.
    static bool makeFolder(const QString &path);
    // The rule for a PDF the printer wrote: settle() when `printedToFile` names a file.
    static void settlePrinted(const QString &printedToFile)
    {
        if (!printedToFile.isEmpty())
            settle(printedToFile);
    }

    // Gives a whole tree its modes: shared (folders 02770, files 0660, everything of
    // `group`) or private (0700 / 0600, group untouched). Links are not followed. Throws
    // lobrix::Error naming the first entry whose mode or group cannot be set.
    static void applyToTree(const QString &root, bool shared, gid_t group = gid_t(-1));

    // What keeps a group member from writing the shared tree, or lets other accounts in.
    struct Problem {
        QString path; // relative to the root
        QString what; // "für die Gruppe nicht beschreibbar", "für andere lesbar", ...
        bool mended = false;
    };
    // Every such entry of the database folder's tree; with `mend`, each is given the shared
    // modes and the root's group (mended tells whether that worked).
    static QList<Problem> auditSharedTree(const QString &root, bool mend);

    // Sets the mode of a file that another library wrote (a PDF of the printer, an
    // export) by the rule of its folder, if this account owns it.
    static void settle(const QString &path, Kind kind = Kind::ByFolder);
};

} // namespace lobrix

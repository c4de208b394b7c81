#include "common/FileModes.h"

#include "common/Error.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace lobrix {

bool FileModes::isSharedFolder(const QString &folder)
{
    struct stat st {};
    return ::stat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISGID);
}

mode_t FileModes::forNewFile(const QString &folder, Kind kind)
{
    return kind == Kind::ByFolder && isSharedFolder(folder) ? SharedFile : PrivateFile;
}

bool FileModes::takeOver(int fd, const struct stat &old, Kind kind)
{
    // The group first: changing it may clear the setgid-like bits, and it may fail for a
    // group this account is not in (then the folder's setgid group stands).
    if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    }
    const mode_t mode = kind == Kind::Private ? PrivateFile : (old.st_mode & 07777);
    return ::fchmod(fd, mode) == 0;
}

bool FileModes::makeFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    const QString parent = info.absolutePath();
    if (!QFileInfo(parent).isDir() && !makeFolder(parent))
        return false;
    const QByteArray native = QFile::encodeName(info.absoluteFilePath());
    if (::mkdir(native.constData(), PrivateFolder) != 0)
        return QFileInfo(path).isDir(); // made meanwhile by another workstation
    return ::chmod(native.constData(), isSharedFolder(parent) ? SharedFolder : PrivateFolder) == 0;
}

namespace {

// Every entry below root (not root itself), links left out, folders before their content.
QStringList treeEntries(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!it.fileInfo().isSymLink())
            out << path;
    }
    return out;
}

// Calls visit(path, native path, status) for root and every entry below it that is no link.
template <typename Visit> void forEachEntry(const QString &root, Visit visit)
{
    for (const QString &path : QStringList{root} + treeEntries(root)) {
        const QByteArray native = QFile::encodeName(path);
        struct stat st {};
        if (::lstat(native.constData(), &st) == 0 && !S_ISLNK(st.st_mode))
            visit(path, native, st);
    }
}

} // namespace

void FileModes::applyToTree(const QString &root, bool shared, gid_t group)
{
    forEachEntry(root, [&](const QString &path, const QByteArray &native, const struct stat &st) {
        const bool folder = S_ISDIR(st.st_mode);
        if (shared && group != gid_t(-1) && st.st_gid != group && ::lchown(native.constData(), uid_t(-1), group) != 0)
            throw Error(QStringLiteral("Die Gruppe von '%1' kann nicht gesetzt werden: %2. Ist das Konto Mitglied der "
                                       "Gruppe?")
                            .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno))));
        const mode_t mode = folder ? (shared ? SharedFolder : PrivateFolder) : (shared ? SharedFile : PrivateFile);
        if (::chmod(native.constData(), mode) != 0)
            throw Error(QStringLiteral("Die Rechte von '%1' können nicht gesetzt werden: %2.")
                            .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno))));
    });
}

QList<FileModes::Problem> FileModes::auditSharedTree(const QString &root, bool mend)
{
    QList<Problem> out;
    struct stat top {};
    if (::stat(QFile::encodeName(root).constData(), &top) != 0)
        return out;
    const QDir base(root);
    forEachEntry(root, [&](const QString &path, const QByteArray &native, const struct stat &st) {
        const bool folder = S_ISDIR(st.st_mode);
        QStringList what;
        if (folder && (st.st_mode & 0070) != 0070)
            what << QStringLiteral("für die Gruppe nicht beschreibbar");
        else if (!folder && (st.st_mode & 0060) != 0060)
            what << QStringLiteral("für die Gruppe nicht beschreibbar");
        if (folder && !(st.st_mode & S_ISGID))
            what << QStringLiteral("neue Dateien bekommen nicht die Gruppe des Ordners");
        if (st.st_mode & 0007)
            what << QStringLiteral("für andere lesbar");
        if (st.st_gid != top.st_gid)
            what << QStringLiteral("gehört nicht der Gruppe des Datenbankordners");
        if (what.isEmpty())
            return;
        Problem p{path == root ? QStringLiteral(".") : base.relativeFilePath(path), what.join(QStringLiteral(", ")),
                  false};
        if (mend) {
            const mode_t mode = folder ? SharedFolder : SharedFile;
            const bool group = st.st_gid == top.st_gid || ::lchown(native.constData(), uid_t(-1), top.st_gid) == 0;
            p.mended = group && ::chmod(native.constData(), mode) == 0;
        }
        out << p;
    });
    return out;
}

void FileModes::settle(const QString &path, Kind kind)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return;
    if (::chmod(native.constData(), forNewFile(QFileInfo(path).absolutePath(), kind)) != 0) {
        // Left as it is: the file was written; its mode is what check reports.
    }
}

} // namespace lobrix

#include "data/FolderLock.h"

#include "common/Error.h"
#include "common/FileModes.h"
#include "data/DbfIo.h"
#include "data/DbfLocks.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lobrix::data {

FolderLock::Guard::Guard(Guard &&other) noexcept : m_fd(other.m_fd), m_offset(other.m_offset)
{
    other.m_fd = -1;
}

FolderLock::Guard &FolderLock::Guard::operator=(Guard &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_offset = other.m_offset;
        other.m_fd = -1;
    }
    return *this;
}

FolderLock::Guard::~Guard()
{
    release();
}

void FolderLock::Guard::release()
{
    if (m_fd < 0)
        return;
    DbfLocks(m_fd).unlock(m_offset);
    ::close(m_fd);
    m_fd = -1;
}

FolderLock::FolderLock(QString databaseFolder, Resource resource)
    : m_folder(std::move(databaseFolder)), m_resource(resource)
{
}

QString FolderLock::lockFilePath(const QString &databaseFolder)
{
    return QDir(databaseFolder).filePath(QString::fromLatin1(FileName));
}

int FolderLock::openLockFile(const QString &databaseFolder, bool create)
{
    const QByteArray path = QFile::encodeName(lockFilePath(databaseFolder));
    // Every workstation account of the group must be able to lock: a new lock file is made
    // readable and writable by the group, whatever the umask (it holds no data). A link or a
    // FIFO in its place is no lock file.
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = create ? ::open(path.constData(), flags | O_CREAT | O_EXCL, FileModes::SharedFile) : -1;
    if (fd >= 0) {
        if (::fchmod(fd, FileModes::SharedFile) != 0) {
            // A lock file of the owner alone still locks for this account.
        }
    } else {
        if (create && errno != EEXIST)
            return -1;
        // Another workstation may have made it a moment ago and not yet given it the
        // group's mode (the umask may take the group's bits at creation).
        for (int attempt = 0; (fd = ::open(path.constData(), flags)) < 0 && errno == EACCES && attempt < 100; ++attempt)
            ::usleep(1000);
    }
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

bool FolderLock::namesLockFile(int fd, const QString &databaseFolder)
{
    return io::namesOpenFile(fd, QFile::encodeName(lockFilePath(databaseFolder)));
}

FolderLock::Guard FolderLock::tryAcquire(int timeoutMs) const
{
    // Each guard has its own open file: locks of one open file do not exclude each other,
    // and two sessions in one process must exclude each other like two workstations.
    Guard guard;
    int fd = -1;
    // A lock file deleted or replaced while we waited holds our lock for nobody: the lock
    // counts only on the file the folder names once it is held.
    for (int attempt = 0; attempt < 100; ++attempt) {
        fd = openLockFile(m_folder);
        if (fd < 0)
            throw Error(QStringLiteral("Die Sperrdatei '%1' kann nicht geöffnet werden: %2")
                            .arg(QDir::toNativeSeparators(lockFilePath(m_folder)), io::errorText(errno)));
        const DbfLocks::Result r = DbfLocks(fd).lockWait(offsetOf(m_resource), timeoutMs);
        if (r == DbfLocks::Result::Failed)
            break;
        if (r == DbfLocks::Result::Busy) {
            ::close(fd);
            return guard;
        }
        if (namesLockFile(fd, m_folder)) {
            guard.m_fd = fd;
            guard.m_offset = offsetOf(m_resource);
            return guard;
        }
        ::close(fd);
        fd = -1;
    }
    if (fd < 0)
        throw Error(QStringLiteral("Die Sperrdatei '%1' wird fortwährend ersetzt.")
                        .arg(QDir::toNativeSeparators(lockFilePath(m_folder))));
    const int error = errno;
    ::close(fd);
    throw Error(QStringLiteral("Die Sperrdatei '%1' kann nicht gesperrt werden: %2")
                    .arg(QDir::toNativeSeparators(lockFilePath(m_folder)), io::errorText(error)));
}

FolderLock::Guard FolderLock::acquire(int timeoutMs) const
{
    Guard guard = tryAcquire(timeoutMs);
    if (!guard.acquired())
        throw Error(QStringLiteral("Eine gemeinsame Datei im Datenbankordner '%1' wird seit "
                                   "%2 Sekunden von einem anderen Arbeitsplatz geändert. Bitte "
                                   "versuchen Sie es noch einmal.")
                        .arg(QDir::toNativeSeparators(m_folder))
                        .arg(timeoutMs / 1000));
    return guard;
}

WriteLock FolderLock::writeLock(int timeoutMs) const
{
    return [lock = *this, timeoutMs]() -> std::shared_ptr<void> {
        return std::make_shared<Guard>(lock.acquire(timeoutMs));
    };
}

} // namespace lobrix::data

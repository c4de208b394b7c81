#include "data/FolderLock.h"

#include "common/Error.h"
#include "data/DbfIo.h"
#include "data/DbfLocks.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
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
    // Everyone who may write the folder's files must be able to lock: the file takes the
    // folder's group permissions, less the umask.
    return ::open(path.constData(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
}

FolderLock::Guard FolderLock::tryAcquire(int timeoutMs) const
{
    // Each guard has its own open file: locks of one open file do not exclude each other,
    // and two sessions in one process must exclude each other like two workstations.
    const int fd = openLockFile(m_folder);
    if (fd < 0)
        throw Error(QStringLiteral("Die Sperrdatei '%1' kann nicht geöffnet werden: %2")
                        .arg(QDir::toNativeSeparators(lockFilePath(m_folder)), io::errorText(errno)));
    Guard guard;
    switch (DbfLocks(fd).lockWait(offsetOf(m_resource), timeoutMs)) {
    case DbfLocks::Result::Locked:
        guard.m_fd = fd;
        guard.m_offset = offsetOf(m_resource);
        return guard;
    case DbfLocks::Result::Busy:
        ::close(fd);
        return guard;
    case DbfLocks::Result::Failed:
        break;
    }
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

#include "data/DbfIo.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace lobrix::data::io {

qint64 readAt(int fd, void *buffer, qint64 size, qint64 offset)
{
    auto *p = static_cast<char *>(buffer);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, p + done, static_cast<size_t>(size - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

bool writeAt(int fd, const void *buffer, qint64 size, qint64 offset)
{
    const auto *p = static_cast<const char *>(buffer);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, p + done, static_cast<size_t>(size - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

bool namesOpenFile(int fd, const QByteArray &path)
{
    struct stat open {}, named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

qint64 fileSize(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -1;
    return st.st_size;
}

QString errorText(int errnum)
{
    switch (errnum) {
    case ENOENT:
        return QStringLiteral("Datei nicht gefunden");
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Berechtigung");
    case EROFS:
        return QStringLiteral("der Datenträger ist schreibgeschützt");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("kein Platz mehr auf dem Datenträger");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler");
    case ENOLCK:
        return QStringLiteral("keine Dateisperren verfügbar");
    case EISDIR:
        return QStringLiteral("das ist ein Ordner");
    default:
        return QString::fromLocal8Bit(std::strerror(errnum));
    }
}

} // namespace lobrix::data::io

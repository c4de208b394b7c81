#include "common/ImageFile.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lobrix {

QImage ImageFile::read(const QString &path)
{
    if (path.isEmpty())
        return {};
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return {};
    QByteArray bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= MaxBytes) {
        bytes.resize(qsizetype(st.st_size));
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        bytes.resize(qsizetype(done));
    }
    ::close(fd);
    return bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
}

QString ImageFile::plainName(const QString &stored)
{
    const QString name = stored.trimmed();
    const qsizetype cut = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    const QString last = name.mid(cut + 1);
    return last == u"." || last == u".." ? QString() : last;
}

bool ImageFile::isPlainName(const QString &name)
{
    return !name.isEmpty() && plainName(name) == name.trimmed() && !name.contains(QChar(0));
}

} // namespace lobrix

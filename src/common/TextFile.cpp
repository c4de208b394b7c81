#include "common/TextFile.h"

#include "common/CodePage.h"
#include "common/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lobrix {
namespace {
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void throwWriteFailed(const QString &path)
{
    throw Error(QStringLiteral("Die Datei '%1' konnte nicht geschrieben werden.").arg(shown(path)));
}

// A new temporary file beside `path`, opened for writing with `mode` less the umask (what
// mkstemp cannot do: it always makes 0600); -1 with errno when none can be made.
int createTemporary(const QString &path, int mode, QByteArray *name)
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = TextFile::temporaryTemplate(path);
        for (qsizetype i = name->size() - 6; i < name->size(); ++i)
            (*name)[i] = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              static_cast<mode_t>(mode));
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}
} // namespace

QStringList TextFile::readLines(const QString &path, bool *ok)
{
    ReadStatus status = ReadStatus::Failed;
    QStringList lines = readLines(path, &status);
    if (ok)
        *ok = status == ReadStatus::Ok;
    return lines;
}

QStringList TextFile::readLines(const QString &path, ReadStatus *status)
{
    QStringList lines;
    for (const QByteArray &line : splitLines(readBytes(path, status)))
        lines.append(decode(CodePage::Cp1252, line));
    return lines;
}

void TextFile::writeLines(const QString &path, const QStringList &lines, FileModes::Kind kind)
{
    QList<QByteArray> encoded;
    encoded.reserve(lines.size());
    for (const QString &line : lines)
        encoded.append(encodeFor(path, line));
    writeBytes(path, joinLines(encoded), kind);
}

QByteArray TextFile::readBytes(const QString &path, bool *ok)
{
    ReadStatus status = ReadStatus::Failed;
    QByteArray bytes = readBytes(path, &status);
    if (ok)
        *ok = status == ReadStatus::Ok;
    return bytes;
}

QByteArray TextFile::readBytes(const QString &path, ReadStatus *status)
{
    *status = ReadStatus::Failed;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // Missing only when the folder is there: a folder that is gone for a moment (a
        // share reconnecting) must not make a shared file look new.
        if (errno == ENOENT && QFileInfo(QFileInfo(path).absolutePath()).isDir())
            *status = ReadStatus::Missing;
        return {};
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return {};
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return {};
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    *status = ReadStatus::Ok;
    return bytes;
}

QByteArray TextFile::temporaryTemplate(const QString &path)
{
    const QFileInfo info(path);
    return QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName() +
                             QLatin1String(TempMarker) + QStringLiteral("XXXXXX"));
}

void TextFile::syncFolderOf(const QString &path)
{
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return;
    ::fsync(dir);
    ::close(dir);
}

void TextFile::writeBytes(const QString &path, const QByteArray &bytes, FileModes::Kind kind)
{
    // The temporary file is made private and then given its mode explicitly, whatever the
    // umask: a new file's by its folder, a replaced file's own (and its group).
    QByteArray tempName;
    const int fd = createTemporary(path, FileModes::PrivateFile, &tempName);
    if (fd < 0)
        throwWriteFailed(path);
    const auto fail = [&]() {
        ::close(fd);
        ::unlink(tempName.constData());
        throwWriteFailed(path);
    };
    struct stat old {};
    if (::stat(QFile::encodeName(path).constData(), &old) == 0) {
        if (!FileModes::takeOver(fd, old, kind))
            fail();
    } else if (::fchmod(fd, FileModes::forNewFile(QFileInfo(path).absolutePath(), kind)) != 0) {
        fail();
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail();
        done += n;
    }
    struct stat written {};
    if (::fsync(fd) != 0 || ::fstat(fd, &written) != 0 || written.st_size != bytes.size())
        fail();
    if (::close(fd) != 0) {
        ::unlink(tempName.constData());
        throwWriteFailed(path);
    }
    if (::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(tempName.constData());
        throwWriteFailed(path);
    }
    syncFolderOf(path);
}

QFileInfoList TextFile::temporaryFiles(const QString &folder)
{
    const QString pattern = QStringLiteral(".*") + QLatin1String(TempMarker) + QStringLiteral("??????");
    return QDir(folder).entryInfoList({pattern}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

int TextFile::removeStaleTemporaryFiles(const QString &folder, int minimumAgeSeconds)
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-minimumAgeSeconds);
    int removed = 0;
    const QFileInfoList entries = temporaryFiles(folder);
    for (const QFileInfo &entry : entries) {
        if (entry.lastModified().toUTC() <= before && QFile::remove(entry.filePath()))
            ++removed;
    }
    return removed;
}

QList<QByteArray> TextFile::splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\n' && c != '\r')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

QByteArray TextFile::joinLines(const QList<QByteArray> &lines)
{
    QByteArray out;
    qsizetype size = 0;
    for (const QByteArray &line : lines)
        size += line.size() + 2;
    out.reserve(size);
    for (const QByteArray &line : lines) {
        out.append(line);
        out.append("\r\n", 2);
    }
    return out;
}

QByteArray TextFile::encodeFor(const QString &path, const QString &text)
{
    QByteArray bytes;
    if (!encode(CodePage::Cp1252, text, bytes))
        throw Error(
            QStringLiteral("Der Text '%1' kann nicht in der Datei '%2' gespeichert werden: "
                           "er enthält Zeichen, die der Zeichensatz Windows-1252 nicht kennt.")
                .arg(text.left(80), shown(path)));
    return bytes;
}

} // namespace lobrix

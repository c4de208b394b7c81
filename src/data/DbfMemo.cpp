#include "data/DbfMemo.h"

#include "data/DbfIo.h"
#include "data/DbfTable.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace lobrix::data {
namespace {

// Memos larger than this are taken as damage, not as text.
constexpr qint64 kMaxMemo = 16 * 1024 * 1024;

} // namespace

std::unique_ptr<DbfMemo> DbfMemo::open(const QString &tablePath, quint8 version)
{
    const QFileInfo info(tablePath);
    const bool fox = version == 0x30 || version == 0xF5;
    const QString memoName =
        info.completeBaseName() + (fox ? QStringLiteral(".fpt") : QStringLiteral(".dbt"));
    const QString memoPath = DbfTable::resolve(info.path(), memoName);
    const int fd = ::open(QFile::encodeName(memoPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    char head[32] = {};
    if (io::readAt(fd, head, sizeof head, 0) < static_cast<qint64>(sizeof head)) {
        ::close(fd);
        return nullptr;
    }
    Kind kind = Kind::Dbt3;
    int blockSize = 512;
    if (fox) {
        kind = Kind::Fpt;
        blockSize = qFromBigEndian<quint16>(head + 6);
    } else if (version == 0x8B) {
        kind = Kind::Dbt4;
        blockSize = qFromLittleEndian<quint16>(head + 20);
    }
    if (blockSize <= 0)
        blockSize = 512;
    return std::unique_ptr<DbfMemo>(new DbfMemo(fd, kind, blockSize));
}

DbfMemo::DbfMemo(int fd, Kind kind, int blockSize) : m_fd(fd), m_kind(kind), m_blockSize(blockSize)
{
}

DbfMemo::~DbfMemo()
{
    ::close(m_fd);
}

QByteArray DbfMemo::read(quint32 block) const
{
    if (block == 0)
        return {};
    const qint64 offset = static_cast<qint64>(block) * m_blockSize;
    char head[8] = {};
    if (m_kind != Kind::Dbt3 && io::readAt(m_fd, head, sizeof head, offset) == sizeof head) {
        qint64 length = -1;
        if (m_kind == Kind::Fpt)
            length = qFromBigEndian<quint32>(head + 4);
        else if (static_cast<quint8>(head[0]) == 0xFF && static_cast<quint8>(head[1]) == 0xFF &&
                 head[2] == 0x08 && head[3] == 0x00)
            length = static_cast<qint64>(qFromLittleEndian<quint32>(head + 4)) -
                     8; // dBASE IV counts its own header
        if (length >= 0) {
            if (length > kMaxMemo)
                return {};
            QByteArray data(length, Qt::Uninitialized);
            const qint64 n = io::readAt(m_fd, data.data(), length, offset + 8);
            data.resize(n < 0 ? 0 : n);
            if (m_kind == Kind::Dbt4) {
                // dBASE IV writers end the text with 0x1F or 0x1A inside the counted length.
                const qsizetype end = data.indexOf('\x1F');
                const qsizetype eof = data.indexOf('\x1A');
                const qsizetype cut = end < 0 ? eof : (eof < 0 ? end : qMin(end, eof));
                if (cut >= 0)
                    data.truncate(cut);
            }
            return data;
        }
    }
    // dBASE III (and dBASE IV blocks without a block header): text up to 0x1A.
    QByteArray data;
    char chunk[4096];
    for (qint64 pos = offset; data.size() < kMaxMemo;) {
        const qint64 n = io::readAt(m_fd, chunk, sizeof chunk, pos);
        if (n <= 0)
            break;
        const char *end =
            static_cast<const char *>(std::memchr(chunk, 0x1A, static_cast<size_t>(n)));
        if (end) {
            data.append(chunk, end - chunk);
            break;
        }
        data.append(chunk, n);
        pos += n;
    }
    return data;
}

} // namespace lobrix::data

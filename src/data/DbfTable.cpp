#include "data/DbfTable.h"

#include "common/FileModes.h"
#include "common/TextFile.h"
#include "data/DbfFieldCodec.h"
#include "data/DbfHeader.h"
#include "data/DbfIo.h"
#include "data/DbfLocks.h"
#include "data/DbfMemo.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace lobrix::data {
namespace {

constexpr char kEndMarker = 0x1A;
constexpr int kAppendWaitMs = 30000;
constexpr int kRecordWaitMs = 10000;
// Bytes per read when whole files are walked (health, pack, records behind the count).
constexpr qint64 kScanBytes = 1 << 20;

QString recordText(qint64 recno)
{
    return QString::number(recno + 1);
}

QString fullMessage(const QString &fileName)
{
    return QStringLiteral("Die Tabelle '%1' ist voll: sie hat die Grenze von 2 GB oder %2 Datensätzen "
                          "erreicht. Es wurde nichts gespeichert. Bitte alte Daten löschen lassen "
                          "(lobrix-admin purge).")
        .arg(fileName, QLocale(QLocale::German).toString(DbfTable::MaxRecords));
}

} // namespace

struct DbfTable::Impl {
    QString path;
    QString fileName;
    Mode mode = Mode::Shared;
    int fd = -1;
    DbfLocks locks;
    DbfHeader header;
    CodePage codePage = CodePage::Cp1252;
    std::unique_ptr<DbfMemo> memo;
    QDate stamped; // the header date this table last wrote

    ~Impl()
    {
        if (fd >= 0)
            ::close(fd);
    }

    qint64 headerLength() const { return header.headerLength; }
    qint64 recordSize() const { return header.recordSize; }

    Error ioError(const QString &action, int errnum) const
    {
        return Error(QStringLiteral("Die Tabelle '%1' kann nicht %2 werden: %3.")
                         .arg(fileName, action, io::errorText(errnum)));
    }

    void requireWritable() const
    {
        if (mode == Mode::ReadOnly)
            throw Error(
                QStringLiteral("Die Tabelle '%1' ist nur zum Lesen geöffnet.").arg(fileName));
    }

    const DbfField &field(int index) const
    {
        if (index < 0 || index >= header.fields.size())
            throw Error(QStringLiteral("Die Tabelle '%1' hat kein Feld Nr. %2.")
                            .arg(fileName)
                            .arg(index + 1));
        return header.fields.at(index);
    }

    // What the file says now: the header count and the file size.
    struct FileState {
        quint32 headerCount = 0;
        qint64 size = 0;
    };

    FileState state() const
    {
        char prefix[12];
        const qint64 n = io::readAt(fd, prefix, sizeof prefix, 0);
        if (n < 0)
            throw ioError(QStringLiteral("gelesen"), errno);
        if (n < static_cast<qint64>(sizeof prefix))
            throw Error(
                QStringLiteral("Der Dateikopf der Tabelle '%1' ist unvollständig.").arg(fileName));
        if (DbfHeader::headerLengthOf(prefix) != header.headerLength ||
            DbfHeader::recordSizeOf(prefix) != header.recordSize)
            throw Error(
                QStringLiteral("Der Aufbau der Tabelle '%1' wurde von einem anderen Programm "
                               "geändert. Bitte die Tabelle neu öffnen.")
                    .arg(fileName));
        FileState s;
        s.headerCount = DbfHeader::recordCountOf(prefix);
        s.size = io::fileSize(fd);
        if (s.size < 0)
            throw ioError(QStringLiteral("gelesen"), errno);
        return s;
    }

    qint64 wholeSlots(const FileState &s) const
    {
        return s.size > headerLength() ? (s.size - headerLength()) / recordSize() : 0;
    }

    // The records the file holds. More whole slots than the header count means a writer
    // stopped (or is about to write the count) after writing its record: a reader trusts the
    // header while someone holds the append lock, otherwise the slots count, up to one that
    // starts with the end marker. Fewer slots than the count: only whole records exist.
    qint64 records(const FileState &s, bool asReader) const
    {
        const qint64 whole = wholeSlots(s);
        if (whole <= s.headerCount)
            return whole;
        if (asReader && locks.heldElsewhere(DbfLocks::kAppend))
            return s.headerCount;
        qint64 n = s.headerCount;
        const qint64 perRead = qMax<qint64>(1, kScanBytes / recordSize());
        QByteArray buffer;
        while (n < whole) {
            const qint64 k = qMin(perRead, whole - n);
            buffer.resize(k * recordSize());
            const qint64 got =
                io::readAt(fd, buffer.data(), buffer.size(), headerLength() + n * recordSize());
            if (got < 0)
                throw ioError(QStringLiteral("gelesen"), errno);
            const qint64 readRecords = got / recordSize();
            for (qint64 i = 0; i < readRecords; ++i)
                if (buffer.at(i * recordSize()) == kEndMarker)
                    return n + i;
            if (readRecords < k)
                return n + readRecords;
            n += k;
        }
        return n;
    }

    void lockOrThrow(qint64 offset, int timeoutMs, const QString &busyMessage, qint64 length = 1) const
    {
        switch (locks.lockWait(offset, timeoutMs, true, length)) {
        case DbfLocks::Result::Locked:
            return;
        case DbfLocks::Result::Busy:
            throw Error(busyMessage);
        case DbfLocks::Result::Failed:
            throw ioError(QStringLiteral("gesperrt"), errno);
        }
    }

    void lockAppend() const
    {
        lockOrThrow(DbfLocks::kAppend, kAppendWaitMs,
                    QStringLiteral("An die Tabelle '%1' kann zur Zeit nicht angefügt werden: ein "
                                   "anderer Arbeitsplatz hält die Sperre zu lange.")
                        .arg(fileName));
    }

    void writeOrThrow(const void *data, qint64 size, qint64 offset) const
    {
        if (!io::writeAt(fd, data, size, offset))
            throw ioError(QStringLiteral("geschrieben"), errno);
    }

    // Keeps the date of last update (bytes 1-3) current.
    void stampDate()
    {
        const QDate today = QDate::currentDate();
        if (stamped == today)
            return;
        char h[4];
        DbfHeader::putDate(h, today);
        writeOrThrow(h + 1, 3, 1);
        stamped = today;
    }

    void writeCount(qint64 count)
    {
        const QDate today = QDate::currentDate();
        char h[8];
        DbfHeader::putDate(h, today);
        DbfHeader::putCount(h, static_cast<quint32>(count));
        writeOrThrow(h + 1, 7, 1);
        stamped = today;
    }

    // Changes bytes of one record under its record lock. Reads the record first so that the
    // one write covering all changes carries the current bytes between them.
    void patchRecord(qint64 recno, const QVector<QPair<int, QByteArray>> &changes)
    {
        requireWritable();
        if (changes.isEmpty())
            return;
        if (recno < 0 || recno >= records(state(), true))
            throw Error(QStringLiteral("Die Tabelle '%1' hat keinen Satz Nr. %2.")
                            .arg(fileName, recordText(recno)));
        lockOrThrow(DbfLocks::kRecordBase + recno, kRecordWaitMs,
                    QStringLiteral("Der Satz Nr. %1 der Tabelle '%2' wird von einem anderen "
                                   "Arbeitsplatz bearbeitet.")
                        .arg(recordText(recno), fileName));
        DbfLockGuard guard(locks, DbfLocks::kRecordBase + recno);
        QByteArray record(recordSize(), Qt::Uninitialized);
        const qint64 at = headerLength() + recno * recordSize();
        const qint64 got = io::readAt(fd, record.data(), recordSize(), at);
        if (got < 0)
            throw ioError(QStringLiteral("gelesen"), errno);
        if (got < recordSize())
            throw Error(QStringLiteral("Die Tabelle '%1' hat keinen Satz Nr. %2.")
                            .arg(fileName, recordText(recno)));
        int first = INT_MAX;
        int end = 0;
        for (const auto &c : changes) {
            std::memcpy(record.data() + c.first, c.second.constData(),
                        static_cast<size_t>(c.second.size()));
            first = qMin(first, c.first);
            end = qMax(end, c.first + static_cast<int>(c.second.size()));
        }
        writeOrThrow(record.constData() + first, end - first, at + first);
        stampDate();
    }

    QVector<QPair<int, QByteArray>> encodeValues(const DbfTable &table,
                                                 const DbfValues &values) const
    {
        QVector<QPair<int, QByteArray>> out;
        out.reserve(values.size());
        for (const DbfValue &v : values)
            out.append({field(v.field).offset, table.encode(v.field, v.text)});
        return out;
    }

    void readHeader()
    {
        const qint64 size = io::fileSize(fd);
        if (size < 0)
            throw ioError(QStringLiteral("gelesen"), errno);
        if (size == 0)
            throw Error(
                QStringLiteral("Die Datei '%1' ist leer und keine dBASE-Tabelle.").arg(fileName));
        QByteArray bytes(DbfHeader::kPrefixSize, '\0');
        qint64 got = io::readAt(fd, bytes.data(), bytes.size(), 0);
        if (got < 0)
            throw ioError(QStringLiteral("gelesen"), errno);
        bytes.resize(got);
        if (got >= DbfHeader::kPrefixSize) {
            const int length = DbfHeader::headerLengthOf(bytes.constData());
            if (length > DbfHeader::kPrefixSize) {
                bytes.resize(length);
                got = io::readAt(fd, bytes.data(), length, 0);
                if (got < 0)
                    throw ioError(QStringLiteral("gelesen"), errno);
                bytes.resize(got);
            }
        }
        // parse() names what is wrong: version, truncated header, field types, lengths.
        header = DbfHeader::parse(bytes, fileName);
        if (header.recordSize < 2)
            throw Error(QStringLiteral("Die Tabelle '%1' ist beschädigt: Satzlänge %2.")
                            .arg(fileName)
                            .arg(header.recordSize));
    }

    void chooseCodePage()
    {
        codePage = codePageForLanguageByte(header.languageByte);
        if (header.languageByte != 0)
            return;
        const QFileInfo info(path);
        QFile cpg(DbfTable::resolve(info.path(), info.completeBaseName() + QStringLiteral(".cpg")));
        if (cpg.open(QIODevice::ReadOnly))
            codePage = codePageForCpgText(cpg.read(64));
    }

    // The header as it is on disk now.
    QByteArray headerBytes() const
    {
        QByteArray bytes(headerLength(), Qt::Uninitialized);
        const qint64 got = io::readAt(fd, bytes.data(), bytes.size(), 0);
        if (got < 0)
            throw ioError(QStringLiteral("gelesen"), errno);
        if (got < bytes.size())
            throw Error(
                QStringLiteral("Der Dateikopf der Tabelle '%1' ist unvollständig.").arg(fileName));
        return bytes;
    }

    // A header count below the whole records is what a writer left that stopped (or
    // failed) between its record and its count: written now, unless a writer is at work.
    // A failure here is left for the next writer or check --repair.
    void mendCount() noexcept
    {
        try {
            const FileState s = state();
            if (wholeSlots(s) <= s.headerCount)
                return;
            if (locks.tryLock(DbfLocks::kAppend, true) != DbfLocks::Result::Locked)
                return;
            DbfLockGuard guard(locks, DbfLocks::kAppend);
            const FileState now = state();
            const qint64 count = records(now, false);
            if (count > now.headerCount)
                writeCount(count);
        } catch (const Error &) {
        }
    }

    void rewrite(const QByteArray &newHeader,
                 const std::function<bool(const char *from, char *to)> &copy);
};

void DbfTable::Impl::rewrite(const QByteArray &newHeader,
                             const std::function<bool(const char *, char *)> &copy)
{
    requireWritable();
    const auto busy = [this] {
        return Error(QStringLiteral("Die Tabelle '%1' wird von einem anderen Arbeitsplatz benutzt "
                                    "und kann nicht exklusiv geöffnet werden.")
                         .arg(fileName));
    };
    const bool upgrade = mode != Mode::Exclusive;
    if (upgrade) {
        const DbfLocks::Result r = locks.tryLock(DbfLocks::kInUse, true);
        if (r == DbfLocks::Result::Busy)
            throw busy();
        if (r == DbfLocks::Result::Failed)
            throw ioError(QStringLiteral("gesperrt"), errno);
    }
    // Back to shared use afterwards, on whichever file the table then refers to.
    struct Downgrade {
        Impl *d;
        bool active;
        ~Downgrade()
        {
            if (active)
                d->locks.tryLock(DbfLocks::kInUse, false);
        }
    } downgrade{this, upgrade};

    const qint64 count = records(state(), false);
    const int newRecordSize = DbfHeader::recordSizeOf(newHeader.constData());
    const QFileInfo info(path);
    QByteArray tempName = TextFile::temporaryTemplate(path); // removed at start if left
    const int temp = ::mkstemp(tempName.data());
    if (temp < 0)
        throw ioError(QStringLiteral("neu geschrieben"), errno);
    bool renamed = false;
    const auto cleanup = [&] {
        if (!renamed) {
            ::close(temp);
            ::unlink(tempName.constData());
        }
    };
    try {
        // The new file is the old one for everyone: same mode, same group.
        struct stat st {};
        if (::fstat(fd, &st) == 0)
            FileModes::takeOver(temp, st, FileModes::Kind::ByFolder);
        const auto put = [&](const void *data, qint64 size, qint64 offset) {
            if (!io::writeAt(temp, data, size, offset))
                throw ioError(QStringLiteral("neu geschrieben"), errno);
        };
        const qint64 newHeaderLength = newHeader.size();
        put(newHeader.constData(), newHeaderLength, 0);

        const qint64 perRead = qMax<qint64>(1, kScanBytes / recordSize());
        QByteArray in;
        QByteArray out;
        qint64 written = 0;
        for (qint64 first = 0; first < count; first += perRead) {
            const qint64 k = qMin(perRead, count - first);
            in.resize(k * recordSize());
            const qint64 got =
                io::readAt(fd, in.data(), in.size(), headerLength() + first * recordSize());
            if (got != in.size())
                throw ioError(QStringLiteral("gelesen"), got < 0 ? errno : EIO);
            out.resize(k * newRecordSize);
            qint64 kept = 0;
            for (qint64 i = 0; i < k; ++i)
                if (copy(in.constData() + i * recordSize(), out.data() + kept * newRecordSize))
                    ++kept;
            put(out.constData(), kept * newRecordSize, newHeaderLength + written * newRecordSize);
            written += kept;
        }
        put(&kEndMarker, 1, newHeaderLength + written * newRecordSize);
        char h[8];
        const QDate today = QDate::currentDate();
        DbfHeader::putDate(h, today);
        DbfHeader::putCount(h, static_cast<quint32>(written));
        put(h + 1, 7, 1);
        if (::fsync(temp) != 0)
            throw ioError(QStringLiteral("neu geschrieben"), errno);
        // Whoever opens the new file by its name right after the rename must find it in
        // exclusive use until we are done.
        DbfLocks tempLocks(temp);
        if (tempLocks.tryLock(DbfLocks::kInUse, true) != DbfLocks::Result::Locked)
            throw busy();
        if (::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0)
            throw ioError(QStringLiteral("ersetzt"), errno);
        renamed = true;
        const int dir =
            ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        ::close(fd);
        fd = temp;
        locks.setFd(fd);
        stamped = today;
        readHeader();
    } catch (...) {
        cleanup();
        throw;
    }
}

DbfTable::DbfTable(std::unique_ptr<Impl> impl) : d(std::move(impl))
{
}
DbfTable::~DbfTable() = default;

QString DbfTable::resolve(const QString &folder, const QString &fileName)
{
    const QDir dir(folder);
    const QString direct = dir.filePath(fileName);
    if (QFileInfo::exists(direct))
        return direct;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries)
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return direct;
}

namespace {

thread_local DbfTable::WaitNotice *t_waitNotice = nullptr;
std::function<void()> &openedHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

DbfTable::WaitNotice::WaitNotice(std::function<void()> notice)
    : m_notice(std::move(notice)), m_outer(t_waitNotice)
{
    t_waitNotice = this;
}

DbfTable::WaitNotice::~WaitNotice()
{
    t_waitNotice = m_outer;
}

void DbfTable::setOpenedHook(std::function<void()> hook)
{
    openedHook() = std::move(hook);
}

std::unique_ptr<DbfTable> DbfTable::open(const QString &path, Mode mode)
{
    auto d = std::make_unique<Impl>();
    const QFileInfo given(path);
    d->path = given.exists() || given.isSymLink() ? path : resolve(given.path(), given.fileName());
    d->fileName = QFileInfo(d->path).fileName();
    d->mode = mode;
    const QByteArray native = QFile::encodeName(d->path);
    // O_NONBLOCK keeps a FIFO from blocking the open; a regular file ignores it.
    const int flags = (mode == Mode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    bool noticed = false;
    // A pack replaces the file between our open and our lock at most a few times in a row.
    for (int attempt = 0;; ++attempt) {
        if (d->fd >= 0)
            ::close(d->fd);
        d->fd = ::open(native.constData(), flags);
        if (d->fd < 0) {
            if (errno == ENOENT)
                throw Error(QStringLiteral("Die Tabelle '%1' wurde nicht gefunden (%2).")
                                .arg(d->fileName, QDir::toNativeSeparators(d->path)));
            if (errno == ELOOP)
                throw Error(QStringLiteral("'%1' ist eine Verknüpfung und keine Tabellendatei; "
                                           "Tabellen werden nur als Dateien im Datenbankordner geöffnet.")
                                .arg(d->fileName));
            throw d->ioError(QStringLiteral("geöffnet"), errno);
        }
        struct stat st {};
        if (::fstat(d->fd, &st) != 0 || !S_ISREG(st.st_mode))
            throw Error(QStringLiteral("'%1' ist keine Tabellendatei.").arg(d->fileName));
        d->locks.setFd(d->fd);
        if (openedHook())
            openedHook()();
        const bool exclusive = mode == Mode::Exclusive;
        DbfLocks::Result r = d->locks.tryLock(DbfLocks::kInUse, exclusive);
        if (r == DbfLocks::Result::Busy && !exclusive) {
            // Another workstation packs the table: wait for it rather than fail the save.
            if (!noticed && t_waitNotice && t_waitNotice->m_notice) {
                noticed = true;
                t_waitNotice->m_notice();
            }
            r = d->locks.lockWait(DbfLocks::kInUse, PackWaitMs, false);
        }
        switch (r) {
        case DbfLocks::Result::Locked:
            break;
        case DbfLocks::Result::Busy:
            if (exclusive)
                throw Error(
                    QStringLiteral("Die Tabelle '%1' wird von einem anderen Arbeitsplatz benutzt "
                                   "und kann nicht exklusiv geöffnet werden.")
                        .arg(d->fileName));
            throw Error(QStringLiteral("Die Tabelle '%1' wird von einem anderen Arbeitsplatz exklusiv "
                                       "benutzt und kann zur Zeit nicht geöffnet werden.")
                            .arg(d->fileName));
        case DbfLocks::Result::Failed:
            throw d->ioError(QStringLiteral("gesperrt"), errno);
        }
        if (io::namesOpenFile(d->fd, native)) // a pack renames a new file over the table
            break;
        if (attempt >= 100)
            throw Error(QStringLiteral("Die Tabelle '%1' wird fortwährend ersetzt und kann nicht geöffnet werden.")
                            .arg(d->fileName));
    }
    d->readHeader();
    d->chooseCodePage();
    for (const DbfField &f : d->header.fields) {
        if (f.type == 'M') {
            d->memo = DbfMemo::open(d->path, d->header.version);
            break;
        }
    }
    if (mode == Mode::Shared)
        d->mendCount(); // check --repair (exclusive) reports what it mends

    return std::unique_ptr<DbfTable>(new DbfTable(std::move(d)));
}

void DbfTable::create(const QString &path, const QVector<DbfField> &fields, quint8 languageByte)
{
    const QFileInfo info(path);
    const QString fileName = info.fileName();
    if (fields.isEmpty())
        throw Error(QStringLiteral("Die Tabelle '%1' braucht mindestens ein Feld.").arg(fileName));
    QVector<DbfField> checked = fields;
    int recordSize = 1;
    for (int i = 0; i < checked.size(); ++i) {
        DbfHeader::checkNewField(checked[i], fileName);
        for (int j = 0; j < i; ++j)
            if (checked[j].name.compare(checked[i].name, Qt::CaseInsensitive) == 0)
                throw Error(QStringLiteral("Tabelle '%1': das Feld '%2' ist doppelt.")
                                .arg(fileName, checked[i].name));
        recordSize += checked[i].length;
    }
    const qint64 headerLength =
        DbfHeader::kPrefixSize + qint64(DbfHeader::kDescriptorSize) * checked.size() + 1;
    if (recordSize > 65535 || headerLength > 65535)
        throw Error(
            QStringLiteral("Die Tabelle '%1' hat zu viele oder zu lange Felder.").arg(fileName));
    if (QFileInfo::exists(resolve(info.path(), fileName)))
        throw Error(QStringLiteral("Die Tabelle '%1' gibt es schon.").arg(fileName));

    QByteArray bytes = DbfHeader::build(checked, languageByte);
    bytes += kEndMarker;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, FileModes::PrivateFile);
    if (fd < 0)
        throw Error(QStringLiteral("Die Tabelle '%1' kann nicht angelegt werden: %2.")
                        .arg(fileName, io::errorText(errno)));
    const bool ok = ::fchmod(fd, FileModes::forNewFile(info.absolutePath())) == 0 &&
                    io::writeAt(fd, bytes.constData(), bytes.size(), 0);
    const int errnum = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(native.constData());
        throw Error(QStringLiteral("Die Tabelle '%1' kann nicht angelegt werden: %2.")
                        .arg(fileName, io::errorText(errnum)));
    }
}

QString DbfTable::path() const
{
    return d->path;
}
DbfTable::Mode DbfTable::mode() const
{
    return d->mode;
}
QString DbfTable::fileName() const
{
    return d->fileName;
}
quint8 DbfTable::version() const
{
    return d->header.version;
}
quint8 DbfTable::languageByte() const
{
    return d->header.languageByte;
}
CodePage DbfTable::codePage() const
{
    return d->codePage;
}
int DbfTable::headerLength() const
{
    return d->header.headerLength;
}
int DbfTable::recordSize() const
{
    return d->header.recordSize;
}
const QVector<DbfField> &DbfTable::fields() const
{
    return d->header.fields;
}

int DbfTable::fieldIndex(const QString &name) const
{
    const QString wanted = name.trimmed();
    for (int i = 0; i < d->header.fields.size(); ++i)
        if (d->header.fields.at(i).name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int DbfTable::fieldIndexOrThrow(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(QStringLiteral("Die Tabelle '%1' hat kein Feld '%2'.").arg(d->fileName, name));
    return i;
}

int DbfTable::recordCount() const
{
    return static_cast<int>(qMin<qint64>(d->records(d->state(), true), INT_MAX));
}

QByteArray DbfTable::readBlock(int first, int count) const
{
    QByteArray block;
    readBlock(first, count, block);
    return block;
}

int DbfTable::readBlock(int first, int count, QByteArray &buffer) const
{
    if (first < 0 || count <= 0) {
        buffer.resize(0);
        return 0;
    }
    const qint64 size = qint64(count) * d->recordSize();
    buffer.resize(size); // shrinking keeps the memory for the next block
    const qint64 got =
        io::readAt(d->fd, buffer.data(), size, d->headerLength() + first * d->recordSize());
    if (got < 0)
        throw d->ioError(QStringLiteral("gelesen"), errno);
    const qint64 whole = got / d->recordSize();
    buffer.resize(whole * d->recordSize());
    return static_cast<int>(whole);
}

DbfRecord DbfTable::read(int recno) const
{
    DbfRecord record = readBlock(recno, 1);
    if (record.isEmpty())
        throw Error(QStringLiteral("Die Tabelle '%1' hat keinen Satz Nr. %2.")
                        .arg(d->fileName, recordText(recno)));
    return record;
}

QString DbfTable::text(const char *record, int field) const
{
    const DbfField &f = d->field(field);
    if (f.type == 'M')
        return memo(record, field);
    return DbfFieldCodec::text(f, d->header.version, d->codePage, record);
}

int DbfTable::logical(const char *record, int field) const
{
    return DbfFieldCodec::logical(d->field(field), record);
}

QString DbfTable::memo(const char *record, int field) const
{
    const DbfField &f = d->field(field);
    if (!d->memo || (f.type != 'M' && f.type != 'G' && f.type != 'P' && f.type != 'B'))
        return QString();
    const char *p = record + f.offset;
    quint32 block = 0;
    if (f.length == 4) {
        block = qFromLittleEndian<quint32>(p);
    } else {
        bool ok = false;
        block = QByteArray(p, f.length).trimmed().toUInt(&ok);
        if (!ok)
            return QString();
    }
    return decode(d->codePage, d->memo->read(block));
}

QByteArray DbfTable::raw(const char *record, int field) const
{
    const DbfField &f = d->field(field);
    return QByteArray(record + f.offset, f.length);
}

QByteArray DbfTable::encode(int field, const QString &text) const
{
    return DbfFieldCodec::encode(d->field(field), d->header.version, d->codePage, text,
                                 d->fileName);
}

bool DbfTable::canStore(const QString &text) const
{
    return canEncode(d->codePage, text);
}

int DbfTable::append(const DbfValues &values)
{
    d->requireWritable();
    const qint64 size = d->recordSize();
    QByteArray record(size + 1, ' ');
    for (const DbfField &f : d->header.fields)
        DbfFieldCodec::blank(f, d->header.version, record.data());
    for (const auto &change : d->encodeValues(*this, values))
        std::memcpy(record.data() + change.first, change.second.constData(),
                    static_cast<size_t>(change.second.size()));
    record[0] = ' ';
    record[size] = kEndMarker;

    d->lockAppend();
    DbfLockGuard guard(d->locks, DbfLocks::kAppend);
    // Behind the last whole record, whatever the header says: a record that a crashed
    // writer left behind the count is kept, a torn one is overwritten.
    const Impl::FileState s = d->state();
    const qint64 recno = d->records(s, false);
    if (recno >= INT_MAX)
        throw Error(QStringLiteral("Die Tabelle '%1' ist voll.").arg(d->fileName));
    if (recno + 1 > MaxRecords || d->headerLength() + (recno + 1) * size + 1 > MaxFileBytes)
        throw Error(fullMessage(d->fileName));
    const qint64 at = d->headerLength() + recno * size;
    d->writeOrThrow(record.constData(), record.size(), at);
    // The record is stored from here on: readers count whole records behind the header's
    // count, and the next open or check --repair writes a count that failed now. So the
    // append succeeds, and its caller does not store the record a second time.
    try {
        d->writeCount(recno + 1);
    } catch (const Error &) {
    }
    // Whatever lay behind was no record (a torn one, or bytes after an end marker); a
    // failure leaves bytes that the next append or check --repair cuts.
    if (s.size > at + record.size() && ::ftruncate(d->fd, at + record.size()) != 0) {
        // Left for later: the bytes lie behind the end marker.
    }
    return static_cast<int>(recno);
}

std::optional<QString> DbfTable::roomFor(int records) const
{
    const Impl::FileState s = d->state();
    const qint64 count = qMax<qint64>(s.headerCount, d->wholeSlots(s)) + records;
    if (count > MaxRecords || d->headerLength() + count * d->recordSize() + 1 > MaxFileBytes)
        return fullMessage(d->fileName);
    return std::nullopt;
}

qint64 DbfTable::fileBytes() const
{
    const qint64 size = io::fileSize(d->fd);
    if (size < 0)
        throw d->ioError(QStringLiteral("gelesen"), errno);
    return size;
}

void DbfTable::sync()
{
    while (::fdatasync(d->fd) != 0) {
        if (errno != EINTR)
            throw d->ioError(QStringLiteral("auf den Datenträger geschrieben"), errno);
    }
}

void DbfTable::update(int recno, const DbfValues &values)
{
    d->requireWritable();
    d->patchRecord(recno, d->encodeValues(*this, values));
}

void DbfTable::setDeleted(int recno, bool deleted)
{
    d->patchRecord(recno, {{0, QByteArray(1, deleted ? '*' : ' ')}});
}

void DbfTable::setDeleted(std::vector<int> recnos)
{
    d->requireWritable();
    std::sort(recnos.begin(), recnos.end());
    recnos.erase(std::unique(recnos.begin(), recnos.end()), recnos.end());
    if (recnos.empty())
        return;
    const qint64 count = d->records(d->state(), true);
    if (recnos.front() < 0 || recnos.back() >= count)
        throw Error(QStringLiteral("Die Tabelle '%1' hat keinen Satz Nr. %2.")
                        .arg(d->fileName, recordText(recnos.front() < 0 ? recnos.front() : recnos.back())));
    const qint64 size = d->recordSize();
    const qint64 perRun = qMax<qint64>(1, kScanBytes / size);
    QByteArray block;
    for (size_t i = 0; i < recnos.size();) {
        // A run: neighbouring records, at most a block's worth.
        size_t j = i + 1;
        while (j < recnos.size() && recnos[j] == recnos[j - 1] + 1 && qint64(j - i) < perRun)
            ++j;
        const qint64 first = recnos[i], n = qint64(j - i);
        d->lockOrThrow(DbfLocks::kRecordBase + first, kRecordWaitMs,
                       QStringLiteral("Die Sätze ab Nr. %1 der Tabelle '%2' werden von einem anderen Arbeitsplatz "
                                      "bearbeitet.")
                           .arg(recordText(first), d->fileName),
                       n);
        struct Unlock {
            const DbfLocks &locks;
            qint64 offset, length;
            ~Unlock() { locks.unlock(offset, length); }
        } unlock{d->locks, DbfLocks::kRecordBase + first, n};
        // Read under the lock and written back whole: what other workstations changed in
        // these records before is kept, and nobody changes them meanwhile.
        block.resize(n * size);
        const qint64 at = d->headerLength() + first * size;
        const qint64 got = io::readAt(d->fd, block.data(), block.size(), at);
        if (got != block.size())
            throw d->ioError(QStringLiteral("gelesen"), got < 0 ? errno : EIO);
        for (qint64 k = 0; k < n; ++k)
            block[k * size] = '*';
        d->writeOrThrow(block.constData(), block.size(), at);
        i = j;
    }
    d->stampDate();
}

void DbfTable::pack()
{
    d->requireWritable();
    const QByteArray header = d->headerBytes();
    const qint64 size = d->recordSize();
    d->rewrite(header, [size](const char *from, char *to) {
        if (DbfTable::isDeleted(from))
            return false;
        std::memcpy(to, from, static_cast<size_t>(size));
        return true;
    });
}

void DbfTable::addField(const DbfField &field)
{
    d->requireWritable();
    DbfField added = field;
    DbfHeader::checkNewField(added, d->fileName);
    if (fieldIndex(added.name) >= 0)
        throw Error(QStringLiteral("Die Tabelle '%1' hat schon ein Feld '%2'.")
                        .arg(d->fileName, added.name));
    const qint64 oldSize = d->recordSize();
    if (oldSize + added.length > 65535 || d->headerLength() + DbfHeader::kDescriptorSize > 65535)
        throw Error(
            QStringLiteral("Die Tabelle '%1' hat zu viele oder zu lange Felder.").arg(d->fileName));
    added.offset = static_cast<int>(oldSize);

    const QByteArray old = d->headerBytes();
    // The new descriptor goes before the terminator; what follows it (the Visual FoxPro
    // backlink) moves along.
    const int terminator = d->header.terminatorOffset;
    QByteArray header = old.left(terminator) +
                        DbfHeader::descriptor(added, DbfHeader::isVisualFoxPro(d->header.version)) +
                        old.mid(terminator);
    DbfHeader::putHeaderLength(header.data(), static_cast<int>(header.size()));
    DbfHeader::putRecordSize(header.data(), static_cast<int>(oldSize + added.length));
    QByteArray blank(added.length + added.offset, ' ');
    DbfFieldCodec::blank(added, d->header.version, blank.data());
    const QByteArray blankValue = blank.mid(added.offset);
    d->rewrite(header, [oldSize, &blankValue](const char *from, char *to) {
        std::memcpy(to, from, static_cast<size_t>(oldSize));
        std::memcpy(to + oldSize, blankValue.constData(), static_cast<size_t>(blankValue.size()));
        return true;
    });
}

bool DbfTable::repair()
{
    d->requireWritable();
    d->lockAppend();
    DbfLockGuard guard(d->locks, DbfLocks::kAppend);
    const Impl::FileState s = d->state();
    const qint64 count = d->records(s, false);
    bool changed = false;
    if (s.headerCount != count) {
        d->writeCount(count);
        changed = true;
    }
    const qint64 end = d->headerLength() + count * d->recordSize();
    char marker = 0;
    if (s.size != end + 1 || io::readAt(d->fd, &marker, 1, end) != 1 || marker != kEndMarker) {
        d->writeOrThrow(&kEndMarker, 1, end);
        if (::ftruncate(d->fd, end + 1) != 0)
            throw d->ioError(QStringLiteral("gekürzt"), errno);
        changed = true;
    }
    return changed;
}

DbfTable::Health DbfTable::health() const
{
    const Impl::FileState s = d->state();
    Health h;
    h.headerCount = static_cast<int>(qMin<qint64>(s.headerCount, INT_MAX));
    const qint64 count = d->records(s, false);
    h.wholeRecords = static_cast<int>(qMin<qint64>(count, INT_MAX));
    const qint64 end = d->headerLength() + count * d->recordSize();
    const qint64 tail = s.size - end;
    char marker = 0;
    const bool hasMarker =
        tail >= 1 && io::readAt(d->fd, &marker, 1, end) == 1 && marker == kEndMarker;
    h.missingEndMarker = !hasMarker;
    h.tornTail = tail > (hasMarker ? 1 : 0);
    const int perRead = static_cast<int>(qMax<qint64>(1, kScanBytes / d->recordSize()));
    QByteArray block;
    for (qint64 first = 0; first < count; first += perRead) {
        const int k = static_cast<int>(qMin<qint64>(perRead, count - first));
        readBlock(static_cast<int>(first), k, block);
        for (qint64 i = 0; i < block.size(); i += d->recordSize())
            h.deleted += isDeleted(block.constData() + i) ? 1 : 0;
    }
    return h;
}

} // namespace lobrix::data

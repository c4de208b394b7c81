#pragma once
// Byte-range locks that coordinate workstations on one table file.
//
// The locked bytes lie beyond the largest file the format allows (a header of 64 KiB and
// 2^32 records of 64 KiB stay below 2^48), so the locks never fall on table data, however
// large a table another program lets grow. Linux open file description (OFD) locks are used where the kernel has
// them: they belong to the open file, not to the process, so two tables open on the same
// file in one process exclude each other like two workstations, and closing one descriptor
// does not drop the locks of another. Classic POSIX locks are the fallback.
#include <QtGlobal>

namespace lobrix::data {

class DbfLocks {
public:
    // Held shared by every open table, exclusively for exclusive use (pack, add field).
    static constexpr qint64 kInUse = qint64(1) << 48;
    // Held while a record is appended and the header count is written.
    static constexpr qint64 kAppend = kInUse + 1;
    // Record n (0-based) is locked at kRecordBase + n while it is changed.
    static constexpr qint64 kRecordBase = kInUse + 16;

    enum class Result { Locked, Busy, Failed }; // Failed: errno tells why

    explicit DbfLocks(int fd = -1) : m_fd(fd) {}
    void setFd(int fd) { m_fd = fd; }

    // Takes (or converts) the lock on one byte without waiting.
    Result tryLock(qint64 offset, bool exclusive, qint64 length = 1) const;
    // Takes an exclusive (or shared) lock, waiting up to timeoutMs for other holders.
    // `length` bytes from offset (a run of records at once).
    Result lockWait(qint64 offset, int timeoutMs, bool exclusive = true, qint64 length = 1) const;
    void unlock(qint64 offset, qint64 length = 1) const;
    // True when another open file holds a lock on the byte that an exclusive lock would
    // conflict with.
    bool heldElsewhere(qint64 offset) const;
    // The same with a third answer for a file system that cannot tell.
    enum class Holder { None, Other, Unknown };
    Holder holderElsewhere(qint64 offset) const;

private:
    int m_fd;
};

// Releases an exclusive lock taken with DbfLocks::lockWait when the scope ends.
class DbfLockGuard {
public:
    DbfLockGuard(const DbfLocks &locks, qint64 offset) : m_locks(locks), m_offset(offset) {}
    ~DbfLockGuard() { m_locks.unlock(m_offset); }
    DbfLockGuard(const DbfLockGuard &) = delete;
    DbfLockGuard &operator=(const DbfLockGuard &) = delete;

private:
    const DbfLocks &m_locks;
    qint64 m_offset;
};

} // namespace lobrix::data

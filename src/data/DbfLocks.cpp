#include "data/DbfLocks.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <thread>

namespace lobrix::data {
namespace {

// Set once the kernel (or the file system) has refused OFD locks.
std::atomic<bool> g_classicLocks{false};

int command(int ofd, int classic)
{
    return g_classicLocks.load(std::memory_order_relaxed) ? classic : ofd;
}

struct flock region(qint64 offset, short type, qint64 length = 1)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0; // must be 0 for OFD locks
    return fl;
}

// fcntl with the OFD command, switching to classic locks for good if OFD is unsupported.
int lockCall(int fd, int ofdCmd, int classicCmd, struct flock *fl)
{
    for (;;) {
        const int rc = ::fcntl(fd, command(ofdCmd, classicCmd), fl);
        if (rc == 0)
            return 0;
        if (errno == EINTR)
            continue;
        if (errno == EINVAL && !g_classicLocks.load()) {
            g_classicLocks.store(true);
            continue;
        }
        return -1;
    }
}

} // namespace

DbfLocks::Result DbfLocks::tryLock(qint64 offset, bool exclusive, qint64 length) const
{
    struct flock fl = region(offset, exclusive ? F_WRLCK : F_RDLCK, length);
    if (lockCall(m_fd, F_OFD_SETLK, F_SETLK, &fl) == 0)
        return Result::Locked;
    return (errno == EAGAIN || errno == EACCES) ? Result::Busy : Result::Failed;
}

DbfLocks::Result DbfLocks::lockWait(qint64 offset, int timeoutMs, bool exclusive, qint64 length) const
{
    // Polling with growing pauses instead of F_SETLKW keeps the wait bounded: a
    // workstation that hangs while holding a lock must not freeze all others for good.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::microseconds(50);
    for (;;) {
        const Result r = tryLock(offset, exclusive, length);
        if (r != Result::Busy || Clock::now() >= deadline)
            return r;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(5000));
    }
}

void DbfLocks::unlock(qint64 offset, qint64 length) const
{
    struct flock fl = region(offset, F_UNLCK, length);
    lockCall(m_fd, F_OFD_SETLK, F_SETLK, &fl);
}

bool DbfLocks::heldElsewhere(qint64 offset) const
{
    return holderElsewhere(offset) == Holder::Other;
}

DbfLocks::Holder DbfLocks::holderElsewhere(qint64 offset) const
{
    struct flock fl = region(offset, F_WRLCK);
    if (lockCall(m_fd, F_OFD_GETLK, F_GETLK, &fl) != 0)
        return Holder::Unknown;
    return fl.l_type != F_UNLCK ? Holder::Other : Holder::None;
}

} // namespace lobrix::data

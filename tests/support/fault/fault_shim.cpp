// Preloaded into a test workstation (LD_PRELOAD): once armed, the Nth call of the file
// functions a save uses fails with EIO, so a test can fail every step of a save in turn.
//
//   LOBRIX_FAULT_AT=N   the armed call that fails (1 = the first)
//
// The workstation arms it with lobrix_fault_arm() and asks lobrix_fault_fired() whether
// the Nth call came. Standard input, output and error never fail.
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

bool g_armed = false;
long g_calls = 0;
long g_failAt = -1;
bool g_fired = false;

bool failNow(int fd)
{
    if (!g_armed || (fd >= 0 && fd <= 2))
        return false;
    if (g_failAt < 0) {
        const char *at = std::getenv("LOBRIX_FAULT_AT");
        g_failAt = at ? std::atol(at) : 0;
    }
    if (++g_calls != g_failAt)
        return false;
    g_fired = true;
    errno = EIO;
    return true;
}

template <typename F> F next(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

void lobrix_fault_arm(int on) { g_armed = on != 0; }
int lobrix_fault_fired(void) { return g_fired ? 1 : 0; }

ssize_t pwrite(int fd, const void *buf, size_t n, off_t at)
{
    static auto real = next<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite");
    return failNow(fd) ? -1 : real(fd, buf, n, at);
}
ssize_t pwrite64(int fd, const void *buf, size_t n, off_t at)
{
    static auto real = next<ssize_t (*)(int, const void *, size_t, off_t)>("pwrite64");
    return failNow(fd) ? -1 : real(fd, buf, n, at);
}
ssize_t pread(int fd, void *buf, size_t n, off_t at)
{
    static auto real = next<ssize_t (*)(int, void *, size_t, off_t)>("pread");
    return failNow(fd) ? -1 : real(fd, buf, n, at);
}
ssize_t pread64(int fd, void *buf, size_t n, off_t at)
{
    static auto real = next<ssize_t (*)(int, void *, size_t, off_t)>("pread64");
    return failNow(fd) ? -1 : real(fd, buf, n, at);
}
ssize_t write(int fd, const void *buf, size_t n)
{
    static auto real = next<ssize_t (*)(int, const void *, size_t)>("write");
    return failNow(fd) ? -1 : real(fd, buf, n);
}
int fsync(int fd)
{
    static auto real = next<int (*)(int)>("fsync");
    return failNow(fd) ? -1 : real(fd);
}
int fdatasync(int fd)
{
    static auto real = next<int (*)(int)>("fdatasync");
    return failNow(fd) ? -1 : real(fd);
}
int ftruncate(int fd, off_t size)
{
    static auto real = next<int (*)(int, off_t)>("ftruncate");
    return failNow(fd) ? -1 : real(fd, size);
}
int ftruncate64(int fd, off_t size)
{
    static auto real = next<int (*)(int, off_t)>("ftruncate64");
    return failNow(fd) ? -1 : real(fd, size);
}
int rename(const char *from, const char *to)
{
    static auto real = next<int (*)(const char *, const char *)>("rename");
    return failNow(-1) ? -1 : real(from, to);
}
int renameat(int fromDir, const char *from, int toDir, const char *to)
{
    static auto real = next<int (*)(int, const char *, int, const char *)>("renameat");
    return failNow(-1) ? -1 : real(fromDir, from, toDir, to);
}
int fcntl(int fd, int cmd, ...)
{
    static auto real = next<int (*)(int, int, ...)>("fcntl");
    va_list ap;
    va_start(ap, cmd);
    void *arg = va_arg(ap, void *);
    va_end(ap);
    return failNow(fd) ? -1 : real(fd, cmd, arg);
}
int fcntl64(int fd, int cmd, ...)
{
    static auto real = next<int (*)(int, int, ...)>("fcntl64");
    va_list ap;
    va_start(ap, cmd);
    void *arg = va_arg(ap, void *);
    va_end(ap);
    return failNow(fd) ? -1 : real(fd, cmd, arg);
}
int open(const char *path, int flags, ...)
{
    static auto real = next<int (*)(const char *, int, ...)>("open");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = va_arg(ap, mode_t);
    va_end(ap);
    return failNow(-1) ? -1 : real(path, flags, mode);
}
int open64(const char *path, int flags, ...)
{
    static auto real = next<int (*)(const char *, int, ...)>("open64");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = va_arg(ap, mode_t);
    va_end(ap);
    return failNow(-1) ? -1 : real(path, flags, mode);
}
int openat(int dir, const char *path, int flags, ...)
{
    static auto real = next<int (*)(int, const char *, int, ...)>("openat");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = va_arg(ap, mode_t);
    va_end(ap);
    return failNow(-1) ? -1 : real(dir, path, flags, mode);
}

} // extern "C"

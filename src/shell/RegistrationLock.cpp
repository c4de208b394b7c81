#include "shell/RegistrationLock.h"

#include "common/Error.h"
#include "data/DbfIo.h"
#include "data/DbfLocks.h"
#include "data/DbfTable.h"
#include "shell/EventLog.h"
#include "common/IniFile.h"
#include "shell/SettingsKeys.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace lobrix::shell
{
namespace
{

using data::FolderLock;

constexpr qint64 ownerByte()
{
    return static_cast<qint64>(FolderLock::Resource::RegistrationOwner);
}

QString valueOf(bool flag)
{
    return flag ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

RegistrationLock::RegistrationLock(QString databaseFolder, const EventLog *log)
    : m_folder(std::move(databaseFolder)), m_log(log)
{
}

RegistrationLock::~RegistrationLock()
{
    if (m_ownerFd >= 0)
        ::close(m_ownerFd);
    if (m_probeFd >= 0)
        ::close(m_probeFd);
}

QString RegistrationLock::path() const
{
    // Looked up on every use: a folder copied from Windows may spell it GLOBAL.INI.
    return data::DbfTable::resolve(m_folder, QString::fromLatin1(keys::GlobalFile));
}

QString RegistrationLock::staleFlagLogText()
{
    return QStringLiteral("Registrierungssperre freigegeben: sie war von einem Arbeitsplatz "
                          "gesetzt, der nicht mehr läuft");
}

void RegistrationLock::writeLocked(bool locked) const
{
    IniFile global(path(), FolderLock(m_folder, FolderLock::Resource::GlobalIni).writeLock());
    keys::write(global, keys::global::Locked, locked);
}

void RegistrationLock::setRegistrationLock()
{
    if (m_ownerFd < 0) {
        const int fd = FolderLock::openLockFile(m_folder);
        if (fd < 0)
            throw Error(QStringLiteral("Die Datei '%1' konnte nicht geschrieben werden: die "
                                       "Sperrdatei '%2' kann nicht geöffnet werden (%3).")
                            .arg(QDir::toNativeSeparators(path()),
                                 QDir::toNativeSeparators(FolderLock::lockFilePath(m_folder)),
                                 data::io::errorText(errno)));
        // Shared: several workstations may have a form open at once. Nobody takes it
        // exclusively, so this never waits.
        if (data::DbfLocks(fd).tryLock(ownerByte(), false) != data::DbfLocks::Result::Locked) {
            const int error = errno;
            ::close(fd);
            throw Error(QStringLiteral("Die Sperrdatei '%1' kann nicht gesperrt werden: %2")
                            .arg(QDir::toNativeSeparators(FolderLock::lockFilePath(m_folder)),
                                 data::io::errorText(error)));
        }
        m_ownerFd = fd;
    }
    // The owner lock comes first: whoever reads the flag then finds its owner alive.
    writeLocked(true);
}

void RegistrationLock::clearRegistrationLock()
{
    // The owner lock goes last, also when the write fails: whoever reads the flag while
    // it is still 1 finds its owner alive; a flag left at 1 is then stale and cleared.
    struct Release {
        int &fd;
        ~Release()
        {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    } release{m_ownerFd};
    // The flag is cleared by the last workstation whose form closes: while another live
    // workstation still holds the owner lock, its form is open and the flag stays. Decided
    // under the lock of Global.ini; a form that opens meanwhile takes the owner lock before
    // it writes the flag under that lock, so it is either seen here or writes after us.
    const int probe = m_ownerFd >= 0 ? m_ownerFd : FolderLock::openLockFile(m_folder, false);
    struct Probe {
        int fd;
        bool own;
        ~Probe()
        {
            if (!own && fd >= 0)
                ::close(fd);
        }
    } closeProbe{probe, probe == m_ownerFd};
    IniFile global(path(), FolderLock(m_folder, FolderLock::Resource::GlobalIni).writeLock());
    global.update(QString::fromLatin1(keys::global::Locked.section), QString::fromLatin1(keys::global::Locked.key),
                  [&](const std::optional<QString> &current) -> std::optional<QString> {
                      if (current && IniFile::toWholeNumber(current, 0) == 0)
                          return std::nullopt;
                      if (probe >= 0 && heldByOther(probe))
                          return std::nullopt;
                      return valueOf(false);
                  });
}

bool RegistrationLock::heldByOther(int probeFd) const
{
    // A file system that cannot say who holds a lock counts as held: a live workstation's
    // flag must never be cleared.
    return data::DbfLocks(probeFd).holderElsewhere(ownerByte()) != data::DbfLocks::Holder::None;
}

bool RegistrationLock::registrationLocked() const
{
    if (!keys::read(IniFile(path()), keys::global::Locked))
        return false;
    int probe = m_ownerFd;
    if (probe < 0) {
        if (m_probeFd < 0)
            m_probeFd = FolderLock::openLockFile(m_folder, false);
        probe = m_probeFd;
    }
    // Without a lock file nobody can hold the flag; one that cannot be opened for another
    // reason (a read-only share) leaves the flag as it stands.
    if (probe < 0 && errno != ENOENT)
        return true;
    if (probe >= 0 && heldByOther(probe))
        return true;
    if (m_ownerFd >= 0)
        return false; // only our own form holds it
    try {
        clearStaleFlag();
    } catch (const Error &) {
        // Global.ini cannot be written here: another workstation will clear it.
    }
    return false;
}

bool RegistrationLock::staleFlag() const
{
    if (!keys::read(IniFile(path()), keys::global::Locked))
        return false;
    if (m_ownerFd >= 0)
        return false;
    const int probe = FolderLock::openLockFile(m_folder, false);
    if (probe < 0)
        return errno == ENOENT; // no lock file: nobody holds it
    const bool held = heldByOther(probe);
    ::close(probe);
    return !held;
}

bool RegistrationLock::clearStaleFlag() const
{
    const int probe = FolderLock::openLockFile(m_folder);
    if (probe < 0)
        return false;
    bool cleared = false;
    try {
        IniFile global(path(), FolderLock(m_folder, FolderLock::Resource::GlobalIni).writeLock());
        global.update(QString::fromLatin1(keys::global::Locked.section),
                      QString::fromLatin1(keys::global::Locked.key),
                      [&](const std::optional<QString> &current) -> std::optional<QString> {
                          // Read again under the lock: its owner may just have cleared it.
                          if (IniFile::toWholeNumber(current, 0) == 0 || m_ownerFd >= 0 ||
                              heldByOther(probe))
                              return std::nullopt;
                          cleared = true;
                          return valueOf(false);
                      });
    } catch (...) {
        ::close(probe);
        throw;
    }
    ::close(probe);
    if (cleared && m_log)
        m_log->writeEventLog(staleFlagLogText());
    return cleared;
}

int RegistrationLock::lastSatz() const
{
    return keys::read(IniFile(path()), keys::global::LastSatz);
}

void RegistrationLock::raiseLastSatz(int visitNumber)
{
    IniFile global(path(), FolderLock(m_folder, FolderLock::Resource::GlobalIni).writeLock());
    global.update(QString::fromLatin1(keys::global::LastSatz.section),
                  QString::fromLatin1(keys::global::LastSatz.key),
                  [&](const std::optional<QString> &current) -> std::optional<QString> {
                      if (IniFile::toWholeNumber(current, 0) >= visitNumber && current)
                          return std::nullopt;
                      return QString::number(visitNumber);
                  });
}

int RegistrationLock::nextVisitNumber(int highestStored) const
{
    return std::max(lastSatz(), highestStored) + 1;
}

} // namespace lobrix::shell

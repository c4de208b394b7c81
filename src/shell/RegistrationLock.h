#pragma once
// The registration lock shared by all workstations: [Global] Locked in Global.ini of the
// database folder, and the visit number counter LastSatz that it guards.
//
// The flag has an owner: a workstation that sets it also holds a shared lock on the
// folder's lock file (FolderLock::Resource::RegistrationOwner) until it clears it, and the
// operating system drops that lock when the workstation dies. A flag that is set while no
// live workstation holds the owner lock was left by a crash: it counts as free and is
// cleared by whoever sees it (with a line in the event log). Every change of Global.ini
// is a read-change-write under the Global.ini folder lock, so a workstation setting the
// flag never puts back an old LastSatz.
#include "data/FolderLock.h"

#include <QString>

namespace lobrix::shell
{

class EventLog;

class RegistrationLock
{
public:
    // `log`, when given, must outlive the lock; it gets the line for a stale flag cleared.
    explicit RegistrationLock(QString databaseFolder, const EventLog *log = nullptr);
    ~RegistrationLock();
    RegistrationLock(const RegistrationLock &) = delete;
    RegistrationLock &operator=(const RegistrationLock &) = delete;

    // Takes the owner lock, then writes Locked = 1. Throws lobrix::Error naming Global.ini
    // (or the lock file) when it cannot be written.
    void setRegistrationLock();
    // Writes Locked = 0 unless another live workstation still holds the owner lock (its
    // form is open: the last one out clears the flag), then gives up the owner lock (also
    // when the write fails).
    void clearRegistrationLock();
    // True while another live workstation holds the flag: what the main window shows. The
    // own open form does not count. A stale flag is cleared here and reads as free.
    bool registrationLocked() const;
    // True while this workstation holds the flag (its visit form is open).
    bool holdsRegistrationLock() const { return m_ownerFd >= 0; }

    // Locked = 1 with no live workstation holding it (seen from outside every workstation,
    // as lobrix-admin does). A folder whose lock file cannot be opened has none.
    bool staleFlag() const;
    // Clears a stale flag under the Global.ini lock; true when it was stale and is cleared.
    bool clearStaleFlag() const;

    // The visit number most recently handed out (0 when missing).
    int lastSatz() const;
    // Raises LastSatz to visitNumber; a higher value in the file stays. Throws
    // lobrix::Error when Global.ini cannot be written.
    void raiseLastSatz(int visitNumber);
    // The next visit number: one more than the larger of LastSatz and `highestStored`,
    // the highest number the visit table already holds.
    int nextVisitNumber(int highestStored) const;

    // Global.ini in the database folder, found without regard to case.
    QString path() const;

    // The event log line for a stale flag that was cleared.
    static QString staleFlagLogText();

private:
    bool heldByOther(int probeFd) const;
    void writeLocked(bool locked) const;

    QString m_folder;
    const EventLog *m_log;
    int m_ownerFd = -1;         // holds the shared owner lock while the flag is ours
    mutable int m_probeFd = -1; // asks whether others hold it while it is not
};

} // namespace lobrix::shell

#pragma once
// Makes the saves of arrivals and departures one at a time across all workstations.
//
// The registration flag in Global.ini only keeps a second arrival form from opening once
// the main windows have seen it, so two forms opened within the same half second would
// hand out the same visit number and badge. A save therefore holds this lock while it
// re-reads the visit counter and the badge and writes the visit.
//
// It is the visit-save byte of the database folder's lock file, which is never replaced,
// and the operating system drops it when a workstation dies.
#include "data/FolderLock.h"

#include <QString>

namespace lobrix::registration {

class VisitSaveLock {
public:
    static constexpr int DefaultTimeoutMs = 10000;

    // Waits up to timeoutMs for the lock. Throws lobrix::Error when the lock file cannot be
    // opened for writing or the file system refuses locks.
    explicit VisitSaveLock(const QString &databaseFolder, int timeoutMs = DefaultTimeoutMs);

    // False when another workstation held the lock for the whole wait.
    bool acquired() const { return m_guard.acquired(); }

    // What the clerk is told when the wait ran out; nothing was written.
    static QString busyMessage();

private:
    data::FolderLock::Guard m_guard;
};

} // namespace lobrix::registration

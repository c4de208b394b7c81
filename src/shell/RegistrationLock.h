#pragma once
// The registration lock shared by all workstations: [Global] Locked in Global.ini of the
// database folder, and the visit number counter LastSatz that it guards. The lock is an
// advisory flag without an owner; nothing is cached, so a change made by another
// workstation is seen by the next read.
#include <QString>

namespace lobrix::shell
{

class RegistrationLock
{
public:
    explicit RegistrationLock(QString databaseFolder);

    // Write Locked = 1 / 0. Throw lobrix::Error naming Global.ini when it cannot be written.
    void SetRegistrationLock();
    void ClearRegistrationLock();
    // Locked as it is in the file now; a missing file or key reads as free.
    bool RegistrationLocked() const;

    // The visit number most recently handed out (0 when missing).
    int lastSatz() const;
    void writeLastSatz(int visitNumber);

    // Global.ini in the database folder, found without regard to case.
    QString path() const;

private:
    QString m_folder;
};

} // namespace lobrix::shell

#pragma once
// Locks that every workstation of one database folder honours, for the shared files that
// are read, changed and written back (Global.ini, Voranmel.ini, Laender.ini, the event
// log) and for the saves of visits.
//
// They are byte-range locks on the folder's lock file "Lobrix.lck", one byte per shared
// file. That file is never written, renamed or replaced, so a lock on it protects the next
// writer, where a lock on a file that a rename replaces would protect nothing. The
// operating system drops the locks of a workstation that dies.
#include "common/WriteLock.h"

#include <QString>
#include <QtGlobal>

namespace lobrix::data {

class FolderLock {
public:
    static constexpr char FileName[] = "Lobrix.lck";
    static constexpr int DefaultTimeoutMs = 10000;

    // The byte of each shared thing. Never renumber: other workstations use the same.
    enum class Resource : int {
        GlobalIni = 0,
        VoranmelIni = 1,
        CountryList = 2,
        EventLog = 3,
        VisitSave = 4,
        // Held shared by every workstation whose visit form is open (the owner of Locked).
        RegistrationOwner = 16,
    };

    // An exclusive lock held until it is destroyed.
    class Guard {
    public:
        Guard() = default;
        Guard(Guard &&other) noexcept;
        Guard &operator=(Guard &&other) noexcept;
        ~Guard();
        Guard(const Guard &) = delete;
        Guard &operator=(const Guard &) = delete;

        bool acquired() const { return m_fd >= 0; }

    private:
        friend class FolderLock;
        void release();
        int m_fd = -1;
        qint64 m_offset = 0;
    };

    FolderLock(QString databaseFolder, Resource resource);

    // Waits up to timeoutMs. Throws lobrix::Error when the lock file cannot be opened or
    // locked, or when another workstation held the lock for the whole wait.
    Guard acquire(int timeoutMs = DefaultTimeoutMs) const;
    // The same, but a wait that runs out gives a Guard that is not acquired.
    Guard tryAcquire(int timeoutMs) const;

    // The lock file, opened for reading and writing (created when missing, unless only
    // asked about its locks); -1 with errno.
    static int openLockFile(const QString &databaseFolder, bool create = true);
    // True when the folder's lock file is still the file open as fd.
    static bool namesLockFile(int fd, const QString &databaseFolder);
    static QString lockFilePath(const QString &databaseFolder);
    static qint64 offsetOf(Resource resource) { return static_cast<qint64>(resource); }

    // The lock as a settings file's write lock (IniFile): each call acquires it.
    WriteLock writeLock(int timeoutMs = DefaultTimeoutMs) const;

    const QString &folder() const { return m_folder; }
    Resource resource() const { return m_resource; }

private:
    QString m_folder;
    Resource m_resource;
};

} // namespace lobrix::data

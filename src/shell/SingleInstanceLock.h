#pragma once
// One running copy per workstation session: a lock file "Lobrix.lock" in the user's
// runtime folder. A lock left by a crashed copy is taken over.
#include <QString>
#include <memory>

class QLockFile;

namespace lobrix::shell {

class SingleInstanceLock
{
public:
    // folder: where the lock file lives; empty = the user's runtime folder.
    explicit SingleInstanceLock(const QString &folder = QString());
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock &) = delete;
    SingleInstanceLock &operator=(const SingleInstanceLock &) = delete;

    // True when this copy now holds the lock; false when another running copy has it.
    bool tryLock();
    QString lockFilePath() const { return m_path; }

    static QString defaultFolder();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace lobrix::shell

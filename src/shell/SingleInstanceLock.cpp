#include "shell/SingleInstanceLock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace lobrix::shell {

SingleInstanceLock::SingleInstanceLock(const QString &folder)
    : m_path(
          QDir(folder.isEmpty() ? defaultFolder() : folder).filePath(QStringLiteral("Lobrix.lock")))
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_path);
    // A lock is stale only when its process is gone, never because of its age: a copy
    // may run for months at a gatehouse.
    m_lock->setStaleLockTime(0);
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::tryLock()
{
    return m_lock->isLocked() || m_lock->tryLock(0);
}

QString SingleInstanceLock::defaultFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

} // namespace lobrix::shell

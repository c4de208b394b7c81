#include "registration/VisitSaveLock.h"

#include "common/Error.h"
#include "data/DbfLocks.h"
#include "data/DbfTable.h"
#include "registration/BadgePool.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lobrix::registration {

VisitSaveLock::VisitSaveLock(const QString &databaseFolder, int timeoutMs)
{
    const QString path =
        data::DbfTable::resolve(databaseFolder, QString::fromLatin1(BadgePool::TableName));
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0)
        throw Error(QStringLiteral("Die Ausweistabelle '%1' kann nicht zum Schreiben geöffnet "
                                   "werden: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    const data::DbfLocks locks(m_fd);
    switch (locks.lockWait(LockOffset, timeoutMs)) {
    case data::DbfLocks::Result::Locked:
        m_acquired = true;
        break;
    case data::DbfLocks::Result::Busy:
        break;
    case data::DbfLocks::Result::Failed: {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        throw Error(QStringLiteral("Die Ausweistabelle '%1' kann nicht gesperrt werden: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    }
    }
}

VisitSaveLock::~VisitSaveLock()
{
    if (m_fd < 0)
        return;
    if (m_acquired)
        data::DbfLocks(m_fd).unlock(LockOffset);
    ::close(m_fd);
}

QString VisitSaveLock::busyMessage()
{
    return QStringLiteral("An einem anderen Arbeitsplatz wird gerade ein Besuch gespeichert. "
                          "Bitte versuchen Sie es in einigen Sekunden noch einmal.");
}

} // namespace lobrix::registration

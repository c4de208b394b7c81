#include "registration/VisitSaveLock.h"

namespace lobrix::registration {

VisitSaveLock::VisitSaveLock(const QString &databaseFolder, int timeoutMs)
    : m_guard(data::FolderLock(databaseFolder, data::FolderLock::Resource::VisitSave).tryAcquire(timeoutMs))
{
}

QString VisitSaveLock::busyMessage()
{
    return QStringLiteral("An einem anderen Arbeitsplatz wird gerade ein Besuch gespeichert. "
                          "Bitte versuchen Sie es in einigen Sekunden noch einmal.");
}

} // namespace lobrix::registration

#include "registration/VisitFormService.h"

#include "common/Error.h"
#include "data/DbfTable.h"
#include "registration/SaveAftermath.h"
#include "shell/EventLog.h"
#include "shell/Session.h"

namespace lobrix::registration {

VisitFormService::VisitFormService(shell::Session &session)
    : m_session(session), m_pool(session.folders().database, session.eventLog()),
      m_countries(session.folders().database)
{
}

void VisitFormService::close()
{
    m_session.registrationLock().clearRegistrationLock();
}

void VisitFormService::visitStored(SaveAftermath &after, std::unique_ptr<data::DbfTable> &visits,
                                   const QString &logLine) const
{
    after.run(QStringLiteral("er ist noch nicht sicher auf dem Datenträger"), [&] {
        visits->sync();
        visits.reset();
        stepDone("visit");
    });
    after.run(QStringLiteral("die Zeile im Ereignisprotokoll fehlt"), [&] {
        m_session.eventLog().writeEventLog(logLine);
        stepDone("visit log");
    });
}

bool VisitFormService::updateCountries(const QString &country)
{
    try {
        return m_countries.update(country);
    } catch (const Error &) {
        return false;
    }
}

} // namespace lobrix::registration

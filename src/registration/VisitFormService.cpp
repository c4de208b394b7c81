#include "registration/VisitFormService.h"

#include "common/Error.h"
#include "shell/Session.h"

namespace lobrix::registration {

VisitFormService::VisitFormService(shell::Session &session)
    : m_session(session), m_pool(session.folders().database, session.eventLog()),
      m_countries(session.folders().database)
{
}

void VisitFormService::close()
{
    m_session.registrationLock().ClearRegistrationLock();
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

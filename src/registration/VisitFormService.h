#pragma once
// What the arrival and departure services share: the session, the badge pool, the
// country list and the save lock's patience.
#include "registration/BadgePool.h"
#include "registration/CountryList.h"
#include "registration/VisitSaveLock.h"

namespace lobrix::shell {
class Session;
}

namespace lobrix::registration {

class VisitFormService {
public:
    explicit VisitFormService(shell::Session &session);

    // The form closes (any mode): clears the registration lock.
    void close();

    // How long a save waits for another workstation's save before it gives up (Busy).
    void setSaveLockTimeout(int milliseconds) { m_saveLockTimeoutMs = milliseconds; }

    BadgePool &pool() { return m_pool; }

protected:
    // The country list after a save; true when the country was added. The visit is
    // stored whatever happens to the list, so a list that cannot be written is passed over.
    bool updateCountries(const QString &country);

    shell::Session &m_session;
    BadgePool m_pool;
    CountryList m_countries;
    int m_saveLockTimeoutMs = VisitSaveLock::DefaultTimeoutMs;
};

} // namespace lobrix::registration

#pragma once
// What the arrival and departure services share: the session, the badge pool, the
// country list and the save lock's patience.
#include "registration/BadgePool.h"
#include "registration/CountryList.h"
#include "registration/VisitSaveLock.h"

#include <functional>
#include <memory>

namespace lobrix::data {
class DbfTable;
}

namespace lobrix::shell {
class Session;
}

namespace lobrix::registration {

class SaveAftermath;

class VisitFormService {
public:
    explicit VisitFormService(shell::Session &session);

    // The form closes (any mode): clears the registration lock.
    void close();

    // How long a save waits for another workstation's save before it gives up (Busy).
    void setSaveLockTimeout(int milliseconds) { m_saveLockTimeoutMs = milliseconds; }

    // Called after each write of a save with the step's name (saveSteps() of the
    // service), so a test can stop a workstation at every point of a save.
    using StepHook = std::function<void(const char *step)>;
    void setStepHook(StepHook hook) { m_stepHook = std::move(hook); }

protected:
    // The first steps once the visit's row is written: the table synced and closed, then
    // the visit's log line; failures go into `after` (the visit is stored either way).
    void visitStored(SaveAftermath &after, std::unique_ptr<data::DbfTable> &visits, const QString &logLine) const;

    // The country list after a save; true when the country was added. The visit is
    // stored whatever happens to the list, so a list that cannot be written is passed over.
    bool updateCountries(const QString &country);

    void stepDone(const char *step) const
    {
        if (m_stepHook)
            m_stepHook(step);
    }

    shell::Session &m_session;
    BadgePool m_pool;
    CountryList m_countries;
    int m_saveLockTimeoutMs = VisitSaveLock::DefaultTimeoutMs;
    StepHook m_stepHook;
};

} // namespace lobrix::registration

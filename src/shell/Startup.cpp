#include "shell/Startup.h"

#include "common/Error.h"
#include "common/TextFile.h"
#include "data/StructureUpdate.h"
#include "shell/EventLog.h"
#include "shell/Session.h"
#include "shell/SettingsKeys.h"
#include "shell/UsersFile.h"

namespace lobrix::shell {

Startup::Startup(const QString &startFolder, const Clock &clock)
    : m_session(std::make_unique<Session>(startFolder, clock))
{
    // What writes interrupted by a crash left behind.
    TextFile::removeStaleTemporaryFiles(m_session->folders().start);
    if (!m_session->folders().database.isEmpty())
        TextFile::removeStaleTemporaryFiles(m_session->folders().database);
    try {
        m_users = std::make_unique<UsersFile>(UsersFile::read(UsersFile::pathIn(m_session->folders().start)));
    } catch (const Error &) {
        m_usersMissing = true;
        // Never written: it lets the other windows be built before the program ends.
        m_users = std::make_unique<UsersFile>(UsersFile::createEmpty());
    }
}

Startup::~Startup() = default;

void Startup::updateStructure(const std::function<void(const QString &)> &tell)
{
    if (m_structureChecked)
        return;
    m_structureChecked = true;
    if (!keys::read(m_session->settings(), keys::settings::NoDBCheck))
        data::StructureUpdate::run(m_session->folders().database, tell);
}

Startup::LoginResult Startup::login(const Ask &ask, const Tell &tell)
{
    LoginCheck check(*m_users, keys::read(m_session->settings(), keys::settings::ServiceLogin));
    for (;;) {
        const std::optional<Credentials> typed = ask();
        if (!typed)
            return LoginResult::Cancelled;
        const LoginCheck::Outcome outcome = check.checkLogin(typed->name, typed->password);
        if (outcome.user) {
            m_session->setUser(*outcome.user);
            writeLog(LoginCheck::loginLogText(*outcome.user));
            return LoginResult::LoggedIn;
        }
        if (outcome.giveUp) {
            writeLog(LoginCheck::lastFailureLogText());
            tell(outcome.message, true);
            return LoginResult::Failed;
        }
        tell(outcome.message, false);
    }
}

void Startup::writeLog(const QString &text) const
{
    // A log that cannot be written does not stop the login.
    try {
        m_session->eventLog().writeEventLog(text);
    } catch (const Error &) {
    }
}

} // namespace lobrix::shell

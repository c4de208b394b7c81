#pragma once
// The program's start without its windows: the session of the start folder, the clean-up
// of what interrupted writes left, the users file, the structure update of the database
// folder and the login. The composition root makes it before the main window, which
// shows what it asks and tells.
#include "shell/LoginCheck.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace lobrix {
class Clock;
}

namespace lobrix::shell {

class Session;
class UsersFile;

class Startup {
public:
    // The session, temporary files older than an hour removed from the start and the
    // database folder, the users file read (see usersMissing()).
    Startup(const QString &startFolder, const Clock &clock);
    ~Startup();
    Startup(const Startup &) = delete;
    Startup &operator=(const Startup &) = delete;

    Session &session() { return *m_session; }
    UsersFile &users() { return *m_users; }
    // True when user.dat could not be read: the program ends after saying
    // UsersFile::NotFoundMessage (an empty users file stands in, never written).
    bool usersMissing() const { return m_usersMissing; }

    // The table structure brought up to date once per start, unless the workstation has
    // switched the check off; `tell` shows what the update reports.
    void updateStructure(const std::function<void(const QString &message)> &tell);

    struct Credentials {
        QString name;
        QString password;
    };
    // Shows the login dialog: what was typed, or none when it was cancelled.
    using Ask = std::function<std::optional<Credentials>()>;
    // A failed attempt's message; `last` when the program ends with it.
    using Tell = std::function<void(const QString &message, bool last)>;
    enum class LoginResult { LoggedIn, Cancelled, Failed };
    // Asks until a login succeeds, is cancelled or the last attempt fails; the logged-in
    // user becomes the session's; each login and the last failure is an event-log line.
    LoginResult login(const Ask &ask, const Tell &tell);

private:
    void writeLog(const QString &text) const;

    std::unique_ptr<Session> m_session;
    std::unique_ptr<UsersFile> m_users;
    bool m_usersMissing = false;
    bool m_structureChecked = false;
};

} // namespace lobrix::shell

#pragma once
// The login at program start: the built-in service account first (unless the workstation
// has switched it off), then the ten slots of the users file in order; three attempts per
// program start. The dialog around it only shows what an attempt returns; the event-log
// lines of a login come from here.
#include "shell/LoginUser.h"

#include <QString>
#include <optional>

namespace lobrix::shell
{

class UsersFile;

class LoginCheck
{
public:
    static constexpr int MaxAttempts = 3;
    static constexpr char FailedCaption[] = "Anmeldung fehlgeschlagen";

    struct Outcome {
        std::optional<LoginUser> user; // set when logged in
        bool giveUp = false;           // the last attempt failed: the program ends
        QString message;               // what to tell the user after a failure
    };

    // `users` must outlive the check.
    explicit LoginCheck(const UsersFile &users, bool serviceLogin = true)
        : m_users(users), m_serviceLogin(serviceLogin)
    {
    }

    // The event-log line of a login, and of the last failed attempt.
    static QString loginLogText(const LoginUser &user);
    static QString lastFailureLogText();

    // One press of "&OK": counts the attempt and compares name and password exactly.
    Outcome checkLogin(const QString &typedName, const QString &typedPassword);

    // The user that name and password belong to, without counting an attempt.
    std::optional<LoginUser> find(const QString &typedName, const QString &typedPassword) const;

    int attempts() const { return m_attempts; }

private:
    const UsersFile &m_users;
    bool m_serviceLogin;
    int m_attempts = 0;
};

} // namespace lobrix::shell

#pragma once
// What the whole program shares for one run: the folders, the open settings files, the
// installation options read once at start, and who is logged in. The main window owns
// it; every other window and service gets it from there.
#include "shell/EventLog.h"
#include "common/IniFile.h"
#include "shell/LoginUser.h"
#include "shell/RegistrationLock.h"

#include <QString>

#include <optional>

namespace lobrix {
class Clock;
}

namespace lobrix::shell {

struct Folders {
    QString start;     // settings.ini, user.dat, layouts, BesucherDruck.dbf, the manual
    QString database;  // the shared tables and files
    QString lists;     // report definitions
    QString images;    // photos and layout pictures
};

// The five installation options that no dialog offers; read once at start.
struct InstallationOptions {
    bool voranmeldungExt = false;
    bool zielBearbeiten = true;
    bool awnManuell = false;
    bool seitenBreitePruefen = true;
    bool immerDauerAusgeben = false;
};

class Session {
public:
    // Reads settings.ini of the start folder. A relative folder in settings.ini is taken
    // relative to the start folder, as it was when the start folder was the current one.
    Session(const QString &startFolder, const Clock &clock);
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    const Folders &folders() const { return m_folders; }
    const Clock &clock() const { return m_clock; }
    IniFile &settings() { return m_settings; }
    IniFile &global() { return m_global; }
    IniFile &voranmel() { return m_voranmel; }
    const InstallationOptions &options() const { return m_options; }

    // Folder + file name.
    QString startFile(const QString &name) const;
    QString databaseFile(const QString &name) const;

    // "Systemanmeldung" until a user of the users file logs in.
    QString currentUserName() const;
    const std::optional<LoginUser> &user() const { return m_user; }
    void setUser(const LoginUser &user) { m_user = user; }
    bool isServiceLogin() const { return !m_user || m_user->isService(); }

    const EventLog &eventLog() const { return m_eventLog; }
    RegistrationLock &registrationLock() { return m_lock; }

private:
    // settings.ini is read once for the database folder that every member needs.
    Session(const QString &startFolder, const QString &databaseFolder, const Clock &clock);

    const Clock &m_clock;
    Folders m_folders;
    IniFile m_settings;
    IniFile m_global;
    IniFile m_voranmel;
    InstallationOptions m_options;
    std::optional<LoginUser> m_user;
    EventLog m_eventLog;
    RegistrationLock m_lock;
};

} // namespace lobrix::shell

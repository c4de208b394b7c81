#pragma once
// A new installation: a workstation start folder and a shared database folder with
// every table, the badge pool and the shared settings. Used by `lobrix-admin init`, by
// scripts/run for the demo, and by the tests.
#include <QString>

class QDir;

namespace lobrix::setup {

class Installation {
public:
    struct Options {
        int badges = 100;
        bool demo = false; // a ready demo: clock shown, designer menu offered
        // The manual to put into the start folder as Hilfe/BEDIEN.PDF, where
        // "Bedien&anleitung" opens it; none when empty.
        QString manual;
        // The group that shares the database folder (its workstations' accounts); the
        // caller's primary group when empty.
        QString group;
        // join: the start folder whose users (user.dat) the new workstation takes over;
        // none when empty.
        QString usersFrom;
    };
    static constexpr char ManualFile[] = "Hilfe/BEDIEN.PDF";

    // Throws lobrix::Error when either folder already holds an installation or a file
    // cannot be written whole; nothing existing is overwritten, and a failed installation
    // removes everything it made. The database folder is shared by the group (folders
    // 02770, files 0660, all of the group), the start folder is private (0700 / 0600),
    // whatever the umask.
    static void create(const QString &startFolder, const QString &databaseFolder,
                       const Options &options);

    // A further workstation of an existing database folder: only the start folder is
    // made, pointing at it; nothing in the database folder changes (the published badge
    // copy is written only if it is missing). With usersFrom, that workstation's users are
    // copied. Throws lobrix::Error when the start folder already holds an installation, the
    // database folder holds none, or the users cannot be read.
    static void join(const QString &startFolder, const QString &databaseFolder, const Options &options);

    static QStringList defaultCountries();

private:
    static void fill(const QDir &start, const QDir &db, const Options &options);
    static void fillDatabase(const QDir &db, const Options &options);
    static void fillStart(const QDir &start, const QDir &db, const Options &options);
};

} // namespace lobrix::setup

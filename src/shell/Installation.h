#pragma once
// A new installation: a workstation start folder and a shared database folder with
// every table, the badge pool and the shared settings. Used by `lobrix-admin init`, by
// scripts/run for the demo, and by the tests.
#include <QString>

namespace lobrix::shell {

class Installation {
public:
    struct Options {
        int badges = 100;
        bool demo = false; // a ready demo: clock shown, designer menu offered
    };

    // Throws lobrix::Error when either folder already holds an installation or a file
    // cannot be written; nothing existing is overwritten.
    static void create(const QString &startFolder, const QString &databaseFolder,
                       const Options &options);

    static QStringList defaultCountries();
};

} // namespace lobrix::shell

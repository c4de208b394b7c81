#pragma once
// The two maintenance actions an administrator runs on a database folder.
#include <QString>

namespace lobrix::data {

class DatabaseMaintenance {
public:
    // "Daten separieren": moves the visits registered by the user "pfoertner" from
    // Besucher.dbf to Besucher_2.dbf, then packs Besucher.dbf. Returns the rows moved.
    // Each row is appended to Besucher_2.dbf before it is deleted from Besucher.dbf, so an
    // interruption can duplicate a row but never lose one.
    static int separateVisits(const QString &databaseFolder);

    // "Ausweise bis 5000 erweitern": appends the free badges 1001 to 5000 to Ausweis.dbf.
    // Existing rows are not checked: running it twice adds every number twice.
    static void extendBadgesTo5000(const QString &databaseFolder);
};

} // namespace lobrix::data

#pragma once
// The lists the visit form offers in every mode, read when it opens.
#include <QStringList>

namespace lobrix::registration {

class FormLists {
public:
    // The visit destinations: Name of every row of Ziele.dbf, ordered by name.
    static QStringList destinations(const QString &databaseFolder);
    // The badge layouts: the files "Ausweis*.ini" of the database folder without ".ini".
    static QStringList badgeLayouts(const QString &databaseFolder);
};

} // namespace lobrix::registration

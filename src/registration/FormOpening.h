#pragma once
// What the visit form takes and reads whenever it opens, in every mode: the registration
// lock is set, the time and date of the opening are fixed (they count until the form
// closes), and the settings and the lists of the form are read.
#include "registration/VisitFormSettings.h"

#include <QString>
#include <QStringList>

namespace lobrix::shell {
class Session;
}

namespace lobrix::registration {

class CountryList;

struct FormOpening {
    QString time; // the time of the opening: lbKommt at arrival, lbGeht at departure
    QString date; // the form's date text: lbTag and meVon at arrival, the departure date
    VisitFormSettings settings;
    QStringList countries;    // cbxLand
    QStringList destinations; // edZiel: Ziele.dbf ordered by name
    QStringList badgeLayouts; // cbxAusweisTyp: "Ausweis*.ini" of the database folder without ".ini"

    static FormOpening open(shell::Session &session, CountryList &countries);

    static QStringList readDestinations(const QString &databaseFolder);
    static QStringList readBadgeLayouts(const QString &databaseFolder);
};

} // namespace lobrix::registration

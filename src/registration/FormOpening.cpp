#include "registration/FormOpening.h"

#include "shell/Destinations.h"
#include "data/Tables.h"
#include "registration/CountryList.h"
#include "common/TimeText.h"
#include "shell/Session.h"

#include <QDir>

namespace lobrix::registration {

FormOpening FormOpening::open(shell::Session &session, CountryList &countries)
{
    session.registrationLock().setRegistrationLock();
    const QString folder = session.folders().database;
    FormOpening o;
    o.time = CurrentTimeText(session.clock());
    o.date = CurrentDateText(session.clock());
    o.settings = VisitFormSettings::read(session.settings());
    o.badgeLayouts = readBadgeLayouts(folder);
    o.destinations = readDestinations(folder);
    o.countries = countries.open();
    return o;
}

QStringList FormOpening::readDestinations(const QString &databaseFolder)
{
    return shell::Destinations(databaseFolder).list();
}

QStringList FormOpening::readBadgeLayouts(const QString &databaseFolder)
{
    QStringList out;
    const QStringList files = QDir(databaseFolder)
                                  .entryList({QStringLiteral("Ausweis*.ini")}, QDir::Files,
                                             QDir::Name | QDir::IgnoreCase);
    for (const QString &file : files)
        out << file.chopped(4);
    return out;
}

} // namespace lobrix::registration

#pragma once
// A pre-registration chosen in the pre-registration list, as the visit form takes it over.
#include "registration/VisitData.h"

#include <QString>

namespace lobrix::registration {

struct PreRegistration {
    VisitData visit;
    QString nr;         // NR of the row, remembered until the save
    QString ressourcen; // shown in edRessourcen, printed on the visitor sheet

    // The pre-registration list: those of the day bound to "?" (todayOnly) or from that
    // day on, in the order given (a fixed ORDER BY list of the window's sorts).
    static QString listStatement(bool todayOnly, const QString &order)
    {
        return QStringLiteral("Select *\nFrom Voranmel.dbf\n") +
               (todayOnly ? QStringLiteral("Where Tag = ?") : QStringLiteral("Where Tag >= ?")) +
               QStringLiteral("\nOrder by ") + order;
    }
};

} // namespace lobrix::registration

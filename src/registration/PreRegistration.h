#pragma once
// A pre-registration chosen in the pre-registration list, as the visit form takes it over.
#include "registration/VisitData.h"

#include <QString>

namespace lobrix::registration {

struct PreRegistration {
    VisitData visit;
    QString nr;         // NR of the row, remembered until the save
    QString ressourcen; // shown in edRessourcen, printed on the visitor sheet
};

} // namespace lobrix::registration

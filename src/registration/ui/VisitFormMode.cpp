#include "registration/ui/VisitFormMode.h"

namespace lobrix::registration {

const VisitFormMode &VisitFormMode::of(VisitMode mode)
{
    static const VisitFormMode arrival{VisitMode::Arrival,
                                       QColor(0, 128, 0),
                                       QStringLiteral("Besuchsbeginn erfassen"),
                                       QStringLiteral("Besuchsbeginn"),
                                       /*departureService*/ false,
                                       /*checksManualBadge*/ true,
                                       /*loadsVisitOfBadge*/ false,
                                       /*takeOverHidesInformation*/ true,
                                       /*masterDataRule*/ false,
                                       /*cancelUndoesOpening*/ true,
                                       /*savesVisit*/ true};
    static const VisitFormMode departure{VisitMode::Departure,
                                         QColor(128, 0, 0),
                                         QStringLiteral("Besuchsende erfassen"),
                                         QStringLiteral("anwesend seit"),
                                         true,
                                         false,
                                         true,
                                         false,
                                         false,
                                         false,
                                         true};
    static const VisitFormMode masterData{VisitMode::MasterData,
                                          QColor(0, 0, 255),
                                          QStringLiteral("Besucherstamm bearbeiten"),
                                          QString(),
                                          false,
                                          false,
                                          false,
                                          false,
                                          true,
                                          false,
                                          false};
    switch (mode) {
    case VisitMode::Departure:
        return departure;
    case VisitMode::MasterData:
        return masterData;
    case VisitMode::Arrival:
        break;
    }
    return arrival;
}

} // namespace lobrix::registration

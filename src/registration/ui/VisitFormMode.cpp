#include "registration/ui/VisitFormMode.h"

namespace lobrix::registration {

const VisitFormMode &VisitFormMode::of(VisitMode mode)
{
    static const VisitFormMode arrival{VisitMode::Arrival,
                                       QColor(0, 128, 0),
                                       QStringLiteral("Besuchsbeginn erfassen"),
                                       QStringLiteral("Besuchsbeginn"),
                                       /*checksManualBadge*/ true,
                                       /*looksUpPersonalNumber*/ false,
                                       /*loadsVisitOfBadge*/ false,
                                       /*takeOverHidesInformation*/ true,
                                       /*masterDataRule*/ false,
                                       /*cancelUndoesOpening*/ true,
                                       /*selectsMasterRecord*/ false};
    static const VisitFormMode departure{VisitMode::Departure,
                                         QColor(128, 0, 0),
                                         QStringLiteral("Besuchsende erfassen"),
                                         QStringLiteral("anwesend seit"),
                                         false,
                                         false,
                                         true,
                                         false,
                                         false,
                                         false,
                                         false};
    static const VisitFormMode masterData{VisitMode::MasterData,
                                          QColor(0, 0, 255),
                                          QStringLiteral("Besucherstamm bearbeiten"),
                                          QString(),
                                          false,
                                          true,
                                          false,
                                          false,
                                          true,
                                          false,
                                          true};
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

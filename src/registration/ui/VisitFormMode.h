#pragma once
// What each mode of the visit form does differently, as one table that every step of the
// form asks instead of branching on the mode. A new mode is a new row.
#include <QColor>
#include <QString>

namespace lobrix::registration {

enum class VisitMode { Arrival, Departure, MasterData };

struct VisitFormMode {
    VisitMode mode;
    // The mode panel: its colour and caption, and the label before the visit's times.
    QColor ground;
    QString caption;
    QString timesLabel;
    // The typed badge number (AWNManuell) is checked against the pool (arrival), or looked
    // up among the personal badge numbers of the master records (master data).
    bool checksManualBadge;
    bool looksUpPersonalNumber;
    // The badge list chooses a present visit, which is loaded into the form; nothing can be
    // saved before one is.
    bool loadsVisitOfBadge;
    // Taking over a master record starts with no information labels shown.
    bool takeOverHidesInformation;
    // The mandatory fields are judged by the master-data rule.
    bool masterDataRule;
    // "&Abbrechen" gives back what the opening took (the visit number).
    bool cancelUndoesOpening;
    // The picker fills the form and names the record that saving and deleting change.
    bool selectsMasterRecord;

    static const VisitFormMode &of(VisitMode mode);
};

} // namespace lobrix::registration

#pragma once
// The visit form in arrival mode, without its window: what the form shows when it opens
// (visit number, free badges, countries, destinations), the manual badge entry, and the
// save, which writes the photo row, the pre-registration mark, the visit, the master
// record, the badge and the visit counter in that order with their log lines.
//
// One service lives as long as the form; open() starts each arrival.
#include "registration/FormOpening.h"
#include "registration/VisitData.h"
#include "registration/VisitFormSettings.h"
#include "registration/VisitFormService.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace lobrix::shell {
class Session;
}

namespace lobrix::registration {

class ArrivalService : public VisitFormService {
public:
    struct Opening : FormOpening {
        QString visitNumber;      // LastSatz + 1 (lbVorgang)
        QStringList badgeEntries; // the free badges in stored order (cbxAusweis)
        int selectedBadge = -1;   // index of the first free badge; -1 when none is free
        // "Es sind keine weiteren Nummern mehr frei." when no badge is free: the form shows
        // it in a box and in the hint panel and hides the save button.
        QString noBadgeMessage;
    };

    // The manual badge entry (AWNManuell) after Enter or leaving the field.
    struct ManualBadge {
        enum class Outcome {
            Invalid,        // not a number of at least 1: message, field red, focus kept
            Unavailable,    // not among the free badges: message, field red, save disabled
            NoMasterRecord, // free, but no visitor keeps it: field red, focus kept
            MasterRecord    // free and kept by a visitor: field yellow, focus to the name
        };
        Outcome outcome = Outcome::Invalid;
        int number = 0;
        int entryIndex = -1; // the drop-down entry to select; -1 when there is none
        QString message;     // shown in a box when not empty
        // The master record carrying the number: the form is filled from it (not its
        // information fields) and "in Besucherstamm aufnehmen" is unchecked and disabled.
        std::optional<VisitData> master;
    };

    struct Input {
        VisitData visit;
        QString badgeEntry;       // the selected drop-down entry
        bool storeAsMaster = false; // "in Besucherstamm aufnehmen"
        QString preRegistration;  // NR of a pre-registration taken over; empty if none
    };

    struct Result {
        enum class Status {
            Saved,
            Refused,    // a value cannot be stored or no badge was chosen; nothing written
            BadgeTaken, // another workstation took the badge meanwhile; nothing written
            Busy        // another workstation kept saving for too long; nothing written
        };
        Status status = Status::Refused;
        QString message;     // for the clerk, when not Saved (and a print failure if Saved)
        QString visitNumber; // the number the visit was stored under
        int badge = 0;
        // BadgeTaken: the free badges now, for the clerk to choose another (the opening's
        // badge entries are updated too).
        QStringList badgeEntries;
        bool countryAdded = false;
    };

    // Prints the visitor sheet (AutoQuittung) with the data still in the form and the
    // visit number of the save. A lobrix::Error it throws is reported, the save goes on.
    using PrintVisitorSheet = std::function<void(const QString &visitNumber)>;

    explicit ArrivalService(shell::Session &session);

    // The form opens in arrival mode (FormOpening: lock, arrival time and date, lists) and
    // reads the free badges (progress while the pool is read) and the visit number.
    const Opening &open(const BadgePool::Progress &progress = {});
    const Opening &opening() const { return m_opening; }

    // "&Abbrechen": clears the lock; nothing is stored and no visit number is used.
    void cancel();

    ManualBadge checkManualBadge(const QString &text) const;

    // Saves the arrival. Errors of the tables (lobrix::Error) stop the save at the failing
    // step and reach the caller; the form then stays open.
    Result save(const Input &input, const PrintVisitorSheet &printVisitorSheet = {});

    static QString badgeTakenMessage(int number);
    // The number shown at opening was taken by another workstation's save meanwhile.
    static QString numberTakenMessage(const QString &shown, const QString &stored);
    // The writes of a save in their order, as the step hook names them.
    static const QStringList &saveSteps();

private:
    std::optional<QString> unstorable(const Input &input) const;

    Opening m_opening;
};

} // namespace lobrix::registration

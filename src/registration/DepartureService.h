#pragma once
// The visit form in departure mode, without its window: the list of the badges that are
// out with the present visit holding each, loading the visit of an entry with its
// duration, and the save, which completes the visit, marks its pre-registration as gone
// and returns the badge to the pool, with the log lines.
//
// The list is built in one pass over the visits, however many badges are out.
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

class DepartureService : public VisitFormService {
public:
    // One entry of the badge drop-down.
    struct Entry {
        int badge = 0;
        // badge + " | " + Firma + ", " + Name + ", " + Vorname, or badge + " | " alone when
        // no present visit holds the badge.
        QString text;
        int visitRecno = -1; // the first present visit holding the badge; -1 when none
        // Present visits holding the badge when the list was built. More than one is left
        // by an older program: the badge then stays out when the first of them leaves.
        int presentVisits = 0;
        QString badgeKommt;  // the pool row as it was listed
        QString badgeTag;
    };

    // The visit of a selected entry, as the form shows it.
    struct LoadedVisit {
        int entry = -1;
        int badge = 0;
        // False for a badge that is out although no present visit holds it: the form shows
        // `message`, and saving returns the badge to the pool without touching any visit.
        bool hasVisit = false;
        QString message;
        int recno = -1;
        QString vorgang;  // lbVorgang
        QString kommt;    // lbKommt
        QString tag;      // lbTag
        QString duration; // lbAnwesend; empty when the stored arrival cannot be read
        VisitData visit;  // the fields, validity, information fields
        QString photo;    // Pfad of the visit's photo; empty when there is none
        QString photoPath; // the photo in the images folder
    };

    struct Opening : FormOpening {
        QList<Entry> entries;
        // Hint panel: "Wählen Sie die Ausweis-Nummer des Besuchers aus.", or "Es sind keine
        // Besucher mehr anwesend." (then the save button is hidden); empty when the only
        // entry is loaded at once.
        QString hint;
        bool saveVisible = true;
        std::optional<LoadedVisit> loaded; // the only entry, loaded at once
    };

    struct Result {
        enum class Status {
            Saved,
            Declined, // the clerk answered "Nein" to the confirmation question
            Refused,  // a value cannot be stored; nothing written
            Gone,     // another workstation ended the visit or reissued the badge meanwhile
            Busy      // another workstation kept saving for too long; nothing written
        };
        Status status = Status::Refused;
        QString message;
        bool countryAdded = false;
    };

    // The question before a departure without the host's confirmation; true for "Ja".
    using AskYesNo = std::function<bool(const QString &caption, const QString &text)>;
    // The width of a text in the drop-down's font, in pixels.
    using MeasureText = std::function<int(const QString &text)>;

    explicit DepartureService(shell::Session &session);

    // The writes of a save in their order, as the step hook names them.
    static const QStringList &saveSteps();

    // The form opens in departure mode (FormOpening: lock, departure time and date, lists)
    // and lists the badges that are out (progress while the pool is read).
    const Opening &open(const BadgePool::Progress &progress = {});
    const Opening &opening() const { return m_opening; }

    // cbxAusweisChange: the visit of an entry. Nothing is written.
    LoadedVisit load(int entryIndex) const;

    // Saves the departure of a loaded entry with the form's (possibly corrected) fields.
    Result save(const LoadedVisit &loaded, const VisitData &edited, bool confirmed,
                const AskYesNo &ask = {});

    // An entry wider than the drop-down keeps its longest beginning that fits the width
    // less 25 pixels, followed by "..."; the badge number and its " |" are always kept.
    static QString fitEntry(const QString &text, int dropDownWidth, const MeasureText &measure);
    QStringList entryTexts(int dropDownWidth, const MeasureText &measure) const;

    static QString confirmationQuestion();
    static QString chooseBadgeHint();
    static QString noVisitorsHint();
    static QString noVisitMessage(int badge);

private:
    Opening m_opening;
};

} // namespace lobrix::registration

#pragma once
// Correcting recorded visits in Besucher.dbf by hand, without the visit form: saving the
// changed fields of one visit (its badge carried along by the saved departure time),
// deleting one visit, removing visits without a badge number, and freeing every badge
// that no present visitor holds. Every step writes its lines to the event log.
//
// No registration lock is taken (the window warns instead); what another workstation
// changed since the list was read is never overwritten: such a save writes nothing.
#include "registration/VisitColumns.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace lobrix::shell {
class EventLog;
}

namespace lobrix::records {

// What finds a visit for writing.
struct VisitKey {
    QString vorgang;
    QString ausweis;
    QString tag;
    QString kommt;
};

// A visit as the list showed it.
struct ListedVisit {
    VisitKey key;
    // Where the list found it; tried first, the key decides.
    int recno = -1;
    // The columns a save writes besides the key, as listed (column name in lower case ->
    // text); a save finds them unchanged or writes nothing.
    QHash<QString, QString> values;
};

// The fields of the window for one visit.
struct CorrectedVisit {
    // Name, Vorname, Firma, PANR, KFZ, Strasse, PLZ, Ort, Land, Telefon, Bemerkung, Ziel,
    // each with the caption of its field.
    QList<registration::ColumnValue> person;
    bool quittung = false;
    bool quittiert = false;
    QString kommt;   // edBeginn
    QString geht;    // edEnde
    QString tag;     // edDatum
    QString endDate; // edDauer: the day the visit ended
};

class VisitCorrection {
public:
    VisitCorrection(QString databaseFolder, const shell::EventLog &log);

    // The visits of a day range: every field of Besucher.dbf, von and bis bound, behind
    // the record number in a first column named RecnoColumn (no field can be named so).
    static QString listStatement();
    static constexpr char RecnoColumn[] = "lobrix_recno";
    // The columns compared with the list before a save writes (besides the key).
    static const QStringList &checkedColumns();

    enum class Outcome {
        Done,
        Refused, // a value cannot be stored; nothing written
        Gone     // another workstation changed or deleted the visit since it was listed
    };
    struct Result {
        Outcome outcome = Outcome::Done;
        QString message; // for Refused and Gone, and a pack left for later
        int count = 0;   // records deleted or badges freed
    };

    Result save(const ListedVisit &listed, const CorrectedVisit &visit) const;
    Result deleteVisit(const ListedVisit &listed) const;
    // Deletes the visits with an empty badge number and packs the table.
    Result repair() const;
    // Frees every badge that is out while no present visit holds its number.
    Result releaseBadges() const;

    static QString goneMessage(const QString &vorgang);
    static QString repairQuestion();
    static QString releaseQuestion();
    static QString deleteQuestion();
    static QString repairDoneMessage(int count);
    static QString releaseDoneMessage(int count);

private:
    // Frees the badge of that number if it still points to the visit that arrived at
    // `kommt` on `tag`; true when it was. A visit that had ended frees it only when no
    // present visit holds the number: its badge may have gone to the next visitor in the
    // same minute. Called under the save lock.
    bool freeBadgeOf(const QString &ausweis, const QString &kommt, const QString &tag, bool wasPresent) const;

    QString m_folder;
    const shell::EventLog &m_log;
};

} // namespace lobrix::records

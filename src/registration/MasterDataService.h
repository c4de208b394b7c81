#pragma once
// The visit form in master-data mode, without its window: the records of Stamm.dbf found
// by their eleven visitor fields (the table has no key), saved, created with a personal
// badge number, and deleted for good.
//
// The identity is matched with the values bound as data, so "O'Brien", quotes,
// backslashes and semicolons are found, saved and deleted like any other name.
#include "registration/FormOpening.h"
#include "registration/VisitData.h"
#include "registration/VisitFormService.h"

#include <algorithm>
#include <QString>

#include <array>
#include <optional>

namespace lobrix::shell {
class Session;
}

namespace lobrix::registration {

class MasterDataService : public VisitFormService {
public:
    // The master-data picker's list: every record, ordered by the column chosen. Only a
    // plain field name is taken (anything else orders by Name), so the choice can never
    // change the statement.
    static QString listStatement(const QString &sortColumn)
    {
        const bool plain = !sortColumn.isEmpty() && std::all_of(sortColumn.cbegin(), sortColumn.cend(), [](QChar c) {
            return (c.isLetterOrNumber() && c.unicode() < 128) || c == u'_';
        });
        return QStringLiteral("Select *\nFrom Stamm.dbf\nOrder by ") + (plain ? sortColumn : QStringLiteral("Name"));
    }

    // The eleven visitor fields of a selected record, as they were loaded.
    struct Identity {
        std::array<QString, 11> values;
        static Identity of(const VisitData &visit);
        bool operator==(const Identity &) const = default;
    };

    explicit MasterDataService(shell::Session &session);

    // The form opens: the registration lock is set, the settings and lists are read.
    const FormOpening &open();
    const FormOpening &opening() const { return m_opening; }

    // Records whose visitor fields equal the identity.
    int countMatches(const Identity &identity) const;
    // The record carrying the personal badge number, if any.
    std::optional<VisitData> findByPersonalNumber(int number) const;
    // The lowest personal badge number no record carries, or none (see BadgePool).
    std::optional<int> nextPersonalNumber() const { return m_pool.nextPersonalBadgeNumber(); }

    struct Input {
        VisitData visit;             // the fields; info[i]: box i is checked
        std::optional<Identity> selected; // the record selected last; none after "&Neu"
        std::optional<int> personalNumber; // a new record's Ausweis (manual badge entry)
    };
    struct Result {
        enum class Status { Saved, Nothing, Refused } status = Status::Nothing;
        bool appended = false; // a new record, also when the selected one no longer matched
        QString message;       // Refused: what cannot be stored
    };
    // Edits the first record matching the selection, or appends one when none matches
    // any more or a new record was started. Nothing is written when a value cannot be
    // stored. Without a selection and without a new record there is nothing to save.
    Result save(const Input &input, bool newRecord);

    struct Removal {
        bool removed = false; // a matching record was there and is deleted
        bool packed = false;  // and the file no longer holds it
        QString message;      // why it is not packed yet
    };
    // Deletes the first record matching the identity, then packs the table. While another
    // workstation has it open the record stays deleted (invisible everywhere) and the file
    // is tidied up by the next pack that succeeds.
    Removal remove(const Identity &identity);

    static QString packLaterMessage(const QString &reason);
    static QString newRecordName() { return QStringLiteral("[hier den neuen Namen eingeben]"); }

private:
    FormOpening m_opening;
};

} // namespace lobrix::registration

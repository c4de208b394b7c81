#pragma once
// Deleting old data for good: every visit (Besucher.dbf) or pre-registration
// (Voranmel.dbf) whose day lies in a range, in one pass over the table, then the table
// packed. The visits are marked deleted first; then, under the desk's save lock, the
// badges of the present ones among them go back to the pool unless another present visit
// holds them. A deletion stopped at any point (a crash, a kill) leaves every record whole
// or deleted and no present visit with a free badge; repeating it frees what it left out
// and packs.
#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace lobrix::data {
class DbfTable;
}

namespace lobrix::records {

enum class DeletionTarget { Visits, PreRegistrations };

struct DeletionResult {
    int deleted = 0;
    int badgesFreed = 0;
    // False when another workstation had the table open: the records are deleted
    // (invisible everywhere) and the file is compacted at the next pack.
    bool packed = true;
    QString packMessage;
};

class DataDeletion {
public:
    explicit DataDeletion(QString databaseFolder) : m_folder(std::move(databaseFolder)) {}

    static QString tableName(DeletionTarget target);
    // The question asked before a range is deleted.
    static QString question(DeletionTarget target, const QString &from, const QString &to);
    static QString nothingInRangeMessage() { return QStringLiteral("Keine Daten im ausgewählten Zeitraum vorhanden."); }
    // The event-log line of a deletion made in the window: what, which days, how many.
    static QString logText(DeletionTarget target, const QString &from, const QString &to, int count)
    {
        return QStringLiteral("Löschen -> %1 %2 vom %3 bis %4 gelöscht")
            .arg(count)
            .arg(target == DeletionTarget::Visits ? QStringLiteral("Besuche") : QStringLiteral("Voranmeldungen"), from, to);
    }
    static QString doneMessage(int count)
    {
        return QStringLiteral("%1 Datensätze im ausgewählten Zeitraum gelöscht.").arg(count);
    }

    // Called with the day of the record being deleted, a few times a second at most, and
    // once with an empty day when the pack begins.
    using Status = std::function<void(const QString &day)>;

    // Deletes every record whose day lies from `from` (none: from the first day on; records
    // without a day are kept) to `to`, both inclusive. Throws lobrix::Error when the table
    // cannot be opened or written; what was deleted before stays deleted.
    DeletionResult deleteRange(DeletionTarget target, std::optional<QDate> from, const QDate &to,
                               const Status &status = {}) const;

private:
    struct BadgeOfVisit {
        int number;
        QString kommt, tag;
        bool present;
    };
    // Frees the badges of deleted visits that no present visit holds; the number freed.
    int freeBadges(const data::DbfTable &visits, const std::vector<BadgeOfVisit> &deleted) const;

    QString m_folder;
};

} // namespace lobrix::records

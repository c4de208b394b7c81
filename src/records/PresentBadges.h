#pragma once
// The badges that present visits (Geht empty) of Besucher.dbf hold, read in one scan: what
// record maintenance asks before it frees a badge, so that none goes back to the pool while
// a visitor still wears it.
#include <QSet>
#include <QString>

namespace lobrix::data {
class DbfTable;
}

namespace lobrix::records {

struct PresentBadges {
    QSet<QString> texts;    // as stored, trimmed
    QSet<qint64> numbers;   // those that are numbers: "0042" holds badge 42 as well

    static PresentBadges of(const data::DbfTable &visits);
    // True when a present visit holds the badge of that text (by text or by number).
    bool holds(const QString &badge) const;
};

} // namespace lobrix::records

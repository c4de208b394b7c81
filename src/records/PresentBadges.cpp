#include "records/PresentBadges.h"

#include "data/RecordFilter.h"
#include "data/TableScan.h"
#include "data/Tables.h"

namespace lobrix::records {

PresentBadges PresentBadges::of(const data::DbfTable &visits)
{
    PresentBadges out;
    data::RecordFilter present;
    present.textEquals(visits.fields().at(visits.fieldIndexOrThrow(data::columns::Geht)), visits.codePage(), QString());
    const int ausweis = visits.fieldIndexOrThrow(data::columns::Ausweis);
    data::forEachRecord(visits, present, [&](int, const char *record) {
        const QString text = visits.text(record, ausweis).trimmed();
        out.texts.insert(text);
        bool ok = false;
        const qint64 number = text.toLongLong(&ok);
        if (ok)
            out.numbers.insert(number);
    });
    return out;
}

bool PresentBadges::holds(const QString &badge) const
{
    const QString text = badge.trimmed();
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    return texts.contains(text) || (ok && numbers.contains(number));
}

} // namespace lobrix::records

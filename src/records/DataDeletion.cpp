#include "records/DataDeletion.h"

#include "records/PresentBadges.h"
#include "records/TablePacking.h"

#include "common/Error.h"
#include "common/TimeText.h"
#include "data/RecordFilter.h"
#include "data/TableScan.h"
#include "data/Tables.h"
#include "registration/BadgePool.h"
#include "registration/VisitSaveLock.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QSet>

#include <algorithm>
#include <cstring>

#include <vector>

namespace lobrix::records {
namespace {

constexpr int StatusIntervalMs = 200;

QString trimmed(const data::DbfTable &table, const char *record, int field)
{
    return table.text(record, field).trimmed();
}

} // namespace

QString DataDeletion::tableName(DeletionTarget target)
{
    return QString::fromLatin1(target == DeletionTarget::Visits ? data::tables::Besucher : data::tables::Voranmel);
}

QString DataDeletion::question(DeletionTarget target, const QString &from, const QString &to)
{
    return target == DeletionTarget::Visits
               ? QStringLiteral("Wollen Sie die Besucherdaten vom %1 bis %2 wirklich unwiderruflich löschen ?").arg(from, to)
               : QStringLiteral("Wollen Sie die Daten der Voranmeldungen vom %1 bis %2 wirklich unwiderruflich löschen ?")
                     .arg(from, to);
}

DeletionResult DataDeletion::deleteRange(DeletionTarget target, std::optional<QDate> from, const QDate &to,
                                         const Status &status) const
{
    const QString name = tableName(target);
    auto table = data::DbfTable::open(data::DbfTable::resolve(m_folder, name));
    const int tag = table->fieldIndexOrThrow(data::columns::Tag);
    data::RecordFilter range;
    const data::DbfField &dayField = table->fields().at(tag);
    if (from)
        range.date(dayField, data::RecordFilter::Op::Ge, DateText(*from).toLatin1());
    else
        range.date(dayField, data::RecordFilter::Op::Gt, QByteArray()); // a day at all
    range.date(dayField, data::RecordFilter::Op::Le, DateText(to).toLatin1());

    const bool visits = target == DeletionTarget::Visits;
    const int ausweis = visits ? table->fieldIndexOrThrow(data::columns::Ausweis) : -1;
    const int geht = visits ? table->fieldIndexOrThrow(data::columns::Geht) : -1;
    const int kommt = visits ? table->fieldIndexOrThrow(data::columns::Kommt) : -1;
    struct Found {
        int recno;
        QString day;
    };
    std::vector<Found> found;
    // The badges of the range's visits: freed once the visits are gone. Deleted records of
    // the range count too: a deletion stopped after marking them left their badges out,
    // and repeating it frees them.
    std::vector<BadgeOfVisit> badges;
    int alreadyDeleted = 0;
    {
        const int count = table->recordCount();
        const qsizetype size = table->recordSize();
        const int perBlock = std::max(1, int(data::ScanBlockBytes / std::max<qsizetype>(size, 1)));
        QByteArray block;
        QByteArray undeleted(size, ' ');
        for (int first = 0; first < count; first += perBlock) {
            const int got = table->readBlock(first, std::min(perBlock, count - first), block);
            for (int i = 0; i < got; ++i) {
                const char *record = block.constData() + i * size;
                const bool deleted = data::DbfTable::isDeleted(record);
                alreadyDeleted += deleted ? 1 : 0;
                if (deleted) {
                    std::memcpy(undeleted.data() + 1, record + 1, size_t(size - 1));
                    record = undeleted.constData();
                }
                if (!range.passes(record))
                    continue;
                if (!deleted)
                    found.push_back({first + i, trimmed(*table, record, tag)});
                bool isNumber = false;
                const int number = visits ? trimmed(*table, record, ausweis).toInt(&isNumber) : 0;
                if (isNumber)
                    badges.push_back({number, trimmed(*table, record, kommt), trimmed(*table, record, tag),
                                      trimmed(*table, record, geht).isEmpty()});
            }
            if (got == 0)
                break;
        }
    }

    DeletionResult result;
    if (found.empty() && alreadyDeleted == 0)
        return result;

    // A block of records at a time, the status between blocks.
    constexpr size_t PerStep = 4096;
    QElapsedTimer shown;
    for (size_t i = 0; i < found.size(); i += PerStep) {
        if (status && (!shown.isValid() || shown.elapsed() >= StatusIntervalMs)) {
            status(found[i].day);
            shown.restart();
        }
        std::vector<int> step;
        for (size_t k = i; k < std::min(found.size(), i + PerStep); ++k)
            step.push_back(found[k].recno);
        table->setDeleted(std::move(step));
        result.deleted += int(std::min(found.size(), i + PerStep) - i);
    }
    if (!found.empty())
        table->sync();
    if (!badges.empty())
        result.badgesFreed = freeBadges(*table, badges);

    if (status)
        status(QString());
    // Also when nothing new was deleted: records that an earlier run marked and could not
    // pack are compacted now.
    const PackOutcome pack = packTable(*table);
    result.packed = pack.packed;
    result.packMessage = pack.message;
    return result;
}

int DataDeletion::freeBadges(const data::DbfTable &visits, const std::vector<BadgeOfVisit> &deleted) const
{
    // Under the desk's save lock: no arrival takes a badge and no departure returns one
    // while the present visits and the pool are read and the badges freed.
    const registration::VisitSaveLock saveLock(m_folder);
    if (!saveLock.acquired())
        throw Error(registration::VisitSaveLock::busyMessage());
    QHash<int, QList<const BadgeOfVisit *>> byNumber;
    for (const BadgeOfVisit &b : deleted)
        byNumber[b.number] << &b;
    const PresentBadges held = PresentBadges::of(visits);
    auto pool = data::openTable(m_folder, data::tables::Ausweis);
    const int poolNumber = pool->fieldIndexOrThrow(data::columns::Ausweis);
    const int poolKommt = pool->fieldIndexOrThrow(data::columns::Kommt);
    const int poolTag = pool->fieldIndexOrThrow(data::columns::Tag);
    std::vector<int> release;
    QSet<int> seen;
    data::forEachRecord(*pool, [&](int recno, const char *record) {
        // By number: "0042" and "42" are the same badge; the first row of a number is the
        // one the desk's lookup finds.
        bool isNumber = false;
        const int number = trimmed(*pool, record, poolNumber).toInt(&isNumber);
        if (!isNumber || seen.contains(number))
            return;
        seen.insert(number);
        const auto visitsOfBadge = byNumber.constFind(number);
        if (visitsOfBadge == byNumber.constEnd() || held.numbers.contains(number))
            return;
        const QString rowKommt = trimmed(*pool, record, poolKommt);
        const QString rowTag = trimmed(*pool, record, poolTag);
        if (rowKommt == QLatin1String(registration::BadgePool::FreeMarker))
            return;
        // A present visit held its badge; a finished one only if the badge still points
        // to it (left out by an older program).
        for (const BadgeOfVisit *b : *visitsOfBadge) {
            if (b->present || (b->kommt == rowKommt && b->tag == rowTag)) {
                release.push_back(recno);
                return;
            }
        }
    });
    for (int recno : release)
        pool->update(recno, {{poolKommt, QString::fromLatin1(registration::BadgePool::FreeMarker)}, {poolTag, QString()}});
    if (!release.empty())
        pool->sync();
    return int(release.size());
}

} // namespace lobrix::records

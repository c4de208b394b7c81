#include "records/DataDeletion.h"

#include "records/TablePacking.h"

#include "common/Error.h"
#include "common/TimeText.h"
#include "data/RecordFilter.h"
#include "data/TableScan.h"
#include "data/Tables.h"
#include "registration/BadgePool.h"

#include <QElapsedTimer>
#include <QHash>

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
    const int tag = table->fieldIndexOrThrow(QStringLiteral("Tag"));
    data::RecordFilter range;
    const data::DbfField &dayField = table->fields().at(tag);
    if (from)
        range.date(dayField, data::RecordFilter::Op::Ge, DateText(*from).toLatin1());
    else
        range.date(dayField, data::RecordFilter::Op::Gt, QByteArray()); // a day at all
    range.date(dayField, data::RecordFilter::Op::Le, DateText(to).toLatin1());

    struct Found {
        int recno;
        QString day, badge, kommt;
    };
    std::vector<Found> found;
    const bool visits = target == DeletionTarget::Visits;
    const int ausweis = visits ? table->fieldIndexOrThrow(QStringLiteral("Ausweis")) : -1;
    const int kommt = visits ? table->fieldIndexOrThrow(QStringLiteral("Kommt")) : -1;
    data::forEachRecord(*table, range, [&](int recno, const char *record) {
        Found f{recno, trimmed(*table, record, tag), {}, {}};
        if (visits) {
            f.badge = trimmed(*table, record, ausweis);
            f.kommt = trimmed(*table, record, kommt);
        }
        found.push_back(std::move(f));
    });

    DeletionResult result;
    if (found.empty())
        return result;

    // The pool read once; a badge is checked again on disk just before it is freed.
    std::unique_ptr<data::DbfTable> pool;
    QHash<QString, int> badgeRow;
    int poolNumber = -1, poolKommt = -1, poolTag = -1;
    if (visits) {
        pool = data::DbfTable::open(data::DbfTable::resolve(m_folder, QString::fromLatin1(data::tables::Ausweis)));
        poolNumber = pool->fieldIndexOrThrow(QStringLiteral("Ausweis"));
        poolKommt = pool->fieldIndexOrThrow(QStringLiteral("Kommt"));
        poolTag = pool->fieldIndexOrThrow(QStringLiteral("Tag"));
        data::forEachRecord(*pool, [&](int recno, const char *record) {
            const QString number = trimmed(*pool, record, poolNumber);
            if (!badgeRow.contains(number))
                badgeRow.insert(number, recno); // the first row of a number, as the lookup finds it
        });
    }

    QElapsedTimer shown;
    for (const Found &f : found) {
        if (status && (!shown.isValid() || shown.elapsed() >= StatusIntervalMs)) {
            status(f.day);
            shown.restart();
        }
        if (visits) {
            // By number: "0042" and "42" are the same badge, as the unquoted lookup reads it.
            bool isNumber = false;
            const int number = f.badge.toInt(&isNumber);
            const auto row = isNumber ? badgeRow.constFind(QString::number(number)) : badgeRow.constEnd();
            if (row != badgeRow.constEnd()) {
                const data::DbfRecord badge = pool->read(*row);
                if (trimmed(*pool, badge.constData(), poolKommt) == f.kommt &&
                    trimmed(*pool, badge.constData(), poolTag) == f.day) {
                    pool->update(*row, {{poolKommt, QString::fromLatin1(registration::BadgePool::FreeMarker)},
                                        {poolTag, QString()}});
                    ++result.badgesFreed;
                }
            }
        }
        table->setDeleted(f.recno);
        ++result.deleted;
    }

    if (status)
        status(QString());
    const PackOutcome pack = packTable(*table);
    result.packed = pack.packed;
    result.packMessage = pack.message;
    return result;
}

} // namespace lobrix::records

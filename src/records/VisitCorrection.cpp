#include "records/VisitCorrection.h"

#include "common/Error.h"
#include "common/TimeText.h"
#include "data/RecordFilter.h"
#include "data/TableScan.h"
#include "data/Tables.h"
#include "records/PresentBadges.h"
#include "records/TablePacking.h"
#include "registration/BadgePool.h"
#include "registration/VisitSaveLock.h"
#include "shell/EventLog.h"

#include <QRegularExpression>
#include <QSet>

#include <optional>

namespace lobrix::records {
namespace {

using data::DbfTable;
using data::RecordFilter;
namespace columns = data::columns;

constexpr char kFree[] = "25:00";

QString yesNo(bool v) { return registration::VisitColumns::yesNo(v); }

void textCondition(RecordFilter &filter, const DbfTable &table, QLatin1String column, const QString &text)
{
    filter.textEquals(table.fields().at(table.fieldIndexOrThrow(column)), table.codePage(), text);
}

RecordFilter keyFilter(const DbfTable &table, const VisitKey &key)
{
    RecordFilter filter;
    textCondition(filter, table, columns::Vorgang, key.vorgang);
    textCondition(filter, table, columns::Ausweis, key.ausweis);
    textCondition(filter, table, columns::Kommt, key.kommt);
    filter.date(table.fields().at(table.fieldIndexOrThrow(columns::Tag)), RecordFilter::Op::Eq, key.tag.toLatin1());
    return filter;
}

int firstMatch(const DbfTable &table, const RecordFilter &filter, int hint = -1)
{
    // The record where the list saw the visit spares reading the whole table.
    if (hint >= 0 && hint < table.recordCount() && filter.passes(table.read(hint).constData()))
        return hint;
    int found = -1;
    data::forEachRecord(table, filter, [&](int recno, const char *) {
        if (found < 0)
            found = recno;
    });
    return found;
}

// "8:05" and "08:05"; nothing else is a time of day.
bool isTimeOfDay(const QString &text)
{
    static const QRegularExpression time(QStringLiteral("^([01]?\\d|2[0-3]):[0-5]\\d$"));
    return time.match(text).hasMatch();
}

QString notATimeMessage(const QString &text, const QString &caption)
{
    return QStringLiteral("'%1' im Feld '%2' ist keine gültige Uhrzeit (SS:MM).").arg(text, caption);
}

// The pool's lookup "Ausweis = n": the number, however the visit stores it.
RecordFilter badgeFilter(const DbfTable &pool, const QString &ausweis, bool *isNumber)
{
    RecordFilter filter;
    const double number = ausweis.trimmed().toDouble(isNumber);
    filter.number(pool.fields().at(pool.fieldIndexOrThrow(columns::Ausweis)), RecordFilter::Op::Eq, number);
    return filter;
}

VisitCorrection::Result refused(const QString &message)
{
    return {VisitCorrection::Outcome::Refused, message, 0};
}

// Every change of a badge here runs under the lock of the desk's saves, which read the
// pool and take a badge under it: a badge freed between an arrival's look and its save
// would go to two visitors.
class SaveLockScope {
public:
    explicit SaveLockScope(const QString &folder) : m_lock(folder) {}
    bool acquired() const { return m_lock.acquired(); }
    static VisitCorrection::Result busy() { return refused(registration::VisitSaveLock::busyMessage()); }

private:
    registration::VisitSaveLock m_lock;
};

} // namespace

VisitCorrection::VisitCorrection(QString databaseFolder, const shell::EventLog &log)
    : m_folder(std::move(databaseFolder)), m_log(log)
{
}

QString VisitCorrection::listStatement()
{
    return QStringLiteral("Select rowid AS %1, * From Besucher.dbf Where Tag >= ? AND Tag <= ?")
        .arg(QLatin1String(RecnoColumn));
}

const QStringList &VisitCorrection::checkedColumns()
{
    static const QStringList names{
        QStringLiteral("name"),     QStringLiteral("vorname"),   QStringLiteral("firma"),
        QStringLiteral("panr"),     QStringLiteral("kfz"),       QStringLiteral("strasse"),
        QStringLiteral("plz"),      QStringLiteral("ort"),       QStringLiteral("land"),
        QStringLiteral("telefon"),  QStringLiteral("bemerkung"), QStringLiteral("ziel"),
        QStringLiteral("quittung"), QStringLiteral("quittiert"), QStringLiteral("geht"),
        QStringLiteral("anwesend")};
    return names;
}

QString VisitCorrection::goneMessage(const QString &vorgang)
{
    return QStringLiteral("Der Besuch Vorgang-Nr. %1 wurde inzwischen an einem anderen Arbeitsplatz geändert oder "
                          "gelöscht. Es wurde nichts gespeichert; die Liste zeigt jetzt den aktuellen Stand.")
        .arg(vorgang);
}

QString VisitCorrection::deleteQuestion()
{
    return QStringLiteral("Wollen Sie den ausgewählten Datensatz wirklich unwiderruflich löschen?");
}

QString VisitCorrection::repairQuestion()
{
    return QStringLiteral("Achtung!\nDiese Funktion entfernt Datensätze ohne gültige Ausweisnummer.\n"
                          "Sie ist nur nach Rücksprache mit Talvo GmbH durchzuführen!\n\nWollen Sie fortfahren?");
}

QString VisitCorrection::releaseQuestion()
{
    return QStringLiteral("Achtung!\nDiese Funktion gibt alle abwesenden Ausweisnummern wieder frei.\n"
                          "Sie ist nur nach Rücksprache mit Talvo GmbH durchzuführen!\n\nWollen Sie fortfahren?");
}

QString VisitCorrection::repairDoneMessage(int count)
{
    return QStringLiteral("Reparatur fertig. Es wurden %1 ungültige Datensätze gelöscht.").arg(count);
}

QString VisitCorrection::releaseDoneMessage(int count)
{
    return QStringLiteral("Freigabe fertig. Es wurde(n) %1 Ausweis(e) freigegeben.").arg(count);
}

VisitCorrection::Result VisitCorrection::save(const ListedVisit &listed, const CorrectedVisit &visit) const
{
    // Everything is checked before anything is written.
    if (!isTimeOfDay(visit.kommt))
        return refused(notATimeMessage(visit.kommt, QStringLiteral("Besuchsbeginn")));
    QString anwesend;
    if (!visit.geht.isEmpty()) {
        if (!isTimeOfDay(visit.geht))
            return refused(notATimeMessage(visit.geht, QStringLiteral("Besuchsende")));
        if (visit.endDate.isEmpty())
            return refused(QStringLiteral("Bitte wählen Sie im Kalender das Datum des Besuchsendes aus."));
        try {
            anwesend = VisitDuration(visit.kommt, visit.tag, visit.geht, visit.endDate);
        } catch (const Error &e) {
            return refused(e.message());
        }
    }

    const SaveLockScope saveLock(m_folder);
    if (!saveLock.acquired())
        return SaveLockScope::busy();
    auto table = data::openTable(m_folder, data::tables::Besucher);
    if (const auto message = registration::VisitColumns::unstorable(*table, visit.person))
        return refused(*message);
    const VisitKey &key = listed.key;
    const int recno = firstMatch(*table, keyFilter(*table, key), listed.recno);
    if (recno < 0)
        return {Outcome::Gone, goneMessage(key.vorgang), 0};
    {
        const data::DbfRecord stored = table->read(recno);
        for (const QString &column : checkedColumns()) {
            const int f = table->fieldIndex(column);
            if (f >= 0 && table->text(stored.constData(), f).trimmed() != listed.values.value(column).trimmed())
                return {Outcome::Gone, goneMessage(key.vorgang), 0};
        }
    }

    QList<registration::ColumnValue> values = visit.person;
    values << registration::ColumnValue{columns::Quittung, yesNo(visit.quittung), {}}
           << registration::ColumnValue{columns::Quittiert, yesNo(visit.quittiert), {}}
           << registration::ColumnValue{columns::Kommt, visit.kommt, {}}
           << registration::ColumnValue{columns::Geht, visit.geht, {}}
           << registration::ColumnValue{columns::Tag, visit.tag, {}}
           << registration::ColumnValue{columns::Anwesend, anwesend, {}};
    table->update(recno, registration::VisitColumns::encode(*table, values));
    m_log.writeEventLog(QStringLiteral("Editieren -> Datensatz in Besuchertabelle Vorgang-Nr.%1 geändert.")
                            .arg(key.vorgang));

    // The badge follows the saved departure: a finished visit gives it back, a present
    // one takes it again if it is free.
    bool isNumber = false;
    key.ausweis.trimmed().toDouble(&isNumber);
    if (!isNumber)
        return {}; // a visit without a badge number has no badge to carry along
    if (!visit.geht.isEmpty()) {
        freeBadgeOf(key.ausweis, key.kommt, key.tag, listed.values.value(QStringLiteral("geht")).trimmed().isEmpty());
        m_log.writeEventLog(QStringLiteral("Editieren -> Ausweis %1 in Ausweistabelle frei gegeben: Kommt 25:00")
                                .arg(key.ausweis));
    } else {
        auto pool = data::openTable(m_folder, data::tables::Ausweis);
        const int badge = firstMatch(*pool, badgeFilter(*pool, key.ausweis, &isNumber));
        const int poolTag = pool->fieldIndexOrThrow(columns::Tag);
        if (badge >= 0 && pool->text(pool->read(badge).constData(), poolTag).trimmed().isEmpty())
            pool->update(badge, {{pool->fieldIndexOrThrow(columns::Kommt), visit.kommt}, {poolTag, visit.tag}});
        m_log.writeEventLog(QStringLiteral("Editieren -> Ausweis %1 in Ausweistabelle belegt: Kommt %2")
                                .arg(key.ausweis, visit.kommt));
    }
    return {};
}

bool VisitCorrection::freeBadgeOf(const QString &ausweis, const QString &kommt, const QString &tag,
                                  bool wasPresent) const
{
    auto pool = data::openTable(m_folder, data::tables::Ausweis);
    bool isNumber = false;
    const RecordFilter byNumber = badgeFilter(*pool, ausweis, &isNumber);
    if (!isNumber)
        return false;
    const int badge = firstMatch(*pool, byNumber);
    if (badge < 0)
        return false;
    const int poolKommt = pool->fieldIndexOrThrow(columns::Kommt);
    const int poolTag = pool->fieldIndexOrThrow(columns::Tag);
    const data::DbfRecord row = pool->read(badge);
    if (pool->text(row.constData(), poolKommt).trimmed() != kommt.trimmed() ||
        pool->text(row.constData(), poolTag).trimmed() != tag.trimmed())
        return false;
    if (!wasPresent &&
        PresentBadges::of(*data::openTable(m_folder, data::tables::Besucher, DbfTable::Mode::ReadOnly)).holds(ausweis))
        return false;
    pool->update(badge, {{poolKommt, QString::fromLatin1(kFree)}, {poolTag, QString()}});
    pool->sync();
    return true;
}

VisitCorrection::Result VisitCorrection::deleteVisit(const ListedVisit &listed) const
{
    const VisitKey &key = listed.key;
    std::optional<SaveLockScope> saveLock(std::in_place, m_folder);
    if (!saveLock->acquired())
        return SaveLockScope::busy();
    auto table = data::openTable(m_folder, data::tables::Besucher);
    const int recno = firstMatch(*table, keyFilter(*table, key), listed.recno);
    if (recno < 0)
        return {Outcome::Gone, goneMessage(key.vorgang), 0};
    // The visit first, then its badge: a deletion stopped between the two steps leaves a
    // badge out without a visit (which "Ausweise freigeben" and the departure list mend),
    // never a present visitor with a free badge.
    const bool wasPresent =
        table->text(table->read(recno).constData(), table->fieldIndexOrThrow(columns::Geht)).trimmed().isEmpty();
    table->setDeleted(recno);
    table->sync();
    const bool freed = freeBadgeOf(key.ausweis, key.kommt, key.tag, wasPresent);
    m_log.writeEventLog(QStringLiteral("Editieren -> Löschen eines Datensatzes Ausweis %1 in Besuchertabelle\tVorgang %2")
                            .arg(key.ausweis, key.vorgang));
    if (freed)
        m_log.writeEventLog(QStringLiteral("Editieren -> Löschen eines Datensatzes und Ausweis %1 in Ausweistabelle frei "
                                           "gegeben: Kommt 25:00")
                                .arg(key.ausweis));
    saveLock.reset(); // the pack may take a while; saves wait for it on their own
    const PackOutcome pack = packTable(*table);
    return {Outcome::Done, pack.message, 1};
}

VisitCorrection::Result VisitCorrection::repair() const
{
    std::optional<SaveLockScope> saveLock(std::in_place, m_folder);
    if (!saveLock->acquired())
        return SaveLockScope::busy();
    auto table = data::openTable(m_folder, data::tables::Besucher);
    RecordFilter withoutBadge;
    textCondition(withoutBadge, *table, columns::Ausweis, QString());
    std::vector<int> found;
    data::forEachRecord(*table, withoutBadge, [&](int recno, const char *) { found.push_back(recno); });
    table->setDeleted(found);
    saveLock.reset();
    const PackOutcome pack = found.empty() ? PackOutcome{} : packTable(*table);
    const int n = int(found.size());
    m_log.writeEventLog(QStringLiteral("Editieren -> %1 ungültige Datensätze in Besuchertabelle gelöscht.").arg(n));
    return {Outcome::Done, pack.packed ? repairDoneMessage(n) : repairDoneMessage(n) + u'\n' + pack.message, n};
}

VisitCorrection::Result VisitCorrection::releaseBadges() const
{
    // Both scans and the release under the save lock: an arrival saved between the scan of
    // the present visits and the scan of the pool would lose its badge.
    const SaveLockScope saveLock(m_folder);
    if (!saveLock.acquired())
        return SaveLockScope::busy();
    // The numbers present visitors hold, read once.
    const PresentBadges held = PresentBadges::of(*data::openTable(m_folder, data::tables::Besucher));
    auto pool = data::openTable(m_folder, data::tables::Ausweis);
    const int number = pool->fieldIndexOrThrow(columns::Ausweis);
    const int kommt = pool->fieldIndexOrThrow(columns::Kommt);
    const int tag = pool->fieldIndexOrThrow(columns::Tag);
    std::vector<int> release;
    data::forEachRecord(*pool, [&](int recno, const char *record) {
        const bool holder = held.holds(pool->text(record, number));
        const bool free = pool->text(record, kommt).trimmed() == QLatin1String(kFree) &&
                          pool->text(record, tag).trimmed().isEmpty();
        if (!holder && !free)
            release.push_back(recno);
    });
    for (int recno : release)
        pool->update(recno, {{kommt, QString::fromLatin1(kFree)}, {tag, QString()}});
    if (!release.empty())
        pool->sync();
    const int n = int(release.size());
    m_log.writeEventLog(QStringLiteral("Editieren -> %1 Ausweise in Ausweistabelle frei gegeben: Kommt 25:00").arg(n));
    return {Outcome::Done, releaseDoneMessage(n), n};
}

} // namespace lobrix::records

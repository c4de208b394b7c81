#include "registration/BadgePool.h"

#include "data/DbfTable.h"
#include "data/TableScan.h"
#include "shell/EventLog.h"
#include "data/Tables.h"

#include <QSet>

#include <cmath>

namespace lobrix::registration {

using data::DbfTable;

namespace {

// A stored number as a whole number; 0 when the field holds none.
int wholeNumber(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value < 1 || value > 2147483647.0 || value != std::floor(value))
        return 0;
    return static_cast<int>(value);
}

// The badge number of a stored record, read from its bytes without decoding the row: the
// pool is scanned at every arrival and departure.
int storedNumber(const data::DbfTable &table, const char *record, int field)
{
    const data::DbfField &f = table.fields().at(field);
    const char *p = record + f.offset;
    const char *end = p + f.length;
    while (p < end && *p == ' ')
        ++p;
    while (end > p && (end[-1] == ' ' || end[-1] == '\0'))
        --end;
    qint64 value = 0;
    for (const char *c = p; c < end; ++c) {
        if (*c < '0' || *c > '9' || value > 2147483647)
            return wholeNumber(table.text(record, field)); // "12.0", a sign, binary fields
        value = value * 10 + (*c - '0');
    }
    return p == end || value > 2147483647 ? 0 : static_cast<int>(value);
}

} // namespace

BadgePool::BadgePool(QString databaseFolder, const shell::EventLog &log)
    : m_folder(std::move(databaseFolder)), m_log(log)
{
}

QString BadgePool::progressText(int done, int total)
{
    const qint64 percent = total > 0 ? static_cast<qint64>(done) * 100 / total : 0;
    return QStringLiteral(" %1%  Moment bitte ...").arg(percent);
}

QList<BadgeRow> BadgePool::rows(const Progress &progress) const
{
    const auto table = data::openTable(m_folder, data::tables::Ausweis, DbfTable::Mode::ReadOnly);
    const int fNumber = table->fieldIndexOrThrow(data::columns::Ausweis);
    const int fKommt = table->fieldIndexOrThrow(data::columns::Kommt);
    const int fTag = table->fieldIndexOrThrow(data::columns::Tag);
    const int total = table->recordCount();
    QList<BadgeRow> out;
    out.reserve(total);
    qint64 shownPercent = -1;
    int shownDone = -1;
    const auto report = [&](int done) {
        if (!progress || total == 0 || done == shownDone)
            return;
        const qint64 percent = static_cast<qint64>(done) * 100 / total;
        if (percent != shownPercent || done == total) {
            shownPercent = percent;
            shownDone = done;
            progress(done, total);
        }
    };
    report(0);
    data::forEachRecord(*table, [&](int recno, const char *record) {
        BadgeRow row;
        row.recno = recno;
        row.number = storedNumber(*table, record, fNumber);
        row.kommt = table->text(record, fKommt);
        row.tag = table->text(record, fTag);
        if (row.number > 0)
            out.append(row);
        report(recno + 1);
    });
    report(total);
    return out;
}

QList<int> BadgePool::listFreeBadges(const Progress &progress) const
{
    QList<int> out;
    for (const BadgeRow &row : rows(progress)) {
        if (!isBadgeOut(row))
            out.append(row.number);
    }
    return out;
}

std::optional<int> BadgePool::firstFreeBadge() const
{
    const QList<int> free = listFreeBadges();
    if (free.isEmpty())
        return std::nullopt;
    return free.first();
}

bool BadgePool::isBadgeOut(const BadgeRow &row)
{
    return row.kommt != QLatin1String(FreeMarker);
}

std::optional<BadgeRow> BadgePool::find(int number) const
{
    const auto table = data::openTable(m_folder, data::tables::Ausweis, DbfTable::Mode::ReadOnly);
    const int fNumber = table->fieldIndexOrThrow(data::columns::Ausweis);
    std::optional<BadgeRow> found;
    data::forEachRecord(*table, [&](int recno, const char *record) {
        if (found || storedNumber(*table, record, fNumber) != number)
            return;
        found = BadgeRow{recno, number, table->text(record, table->fieldIndexOrThrow(data::columns::Kommt)),
                         table->text(record, table->fieldIndexOrThrow(data::columns::Tag))};
    });
    return found;
}

bool BadgePool::setRow(int number, const QString &kommt, const QString &tag) const
{
    const auto table = data::openTable(m_folder, data::tables::Ausweis, DbfTable::Mode::Shared);
    const int fNumber = table->fieldIndexOrThrow(data::columns::Ausweis);
    const int fKommt = table->fieldIndexOrThrow(data::columns::Kommt);
    const int fTag = table->fieldIndexOrThrow(data::columns::Tag);
    int found = -1;
    data::forEachRecord(*table, [&](int recno, const char *record) {
        if (found < 0 && storedNumber(*table, record, fNumber) == number)
            found = recno;
    });
    if (found < 0)
        return false;
    table->update(found, {{fKommt, kommt}, {fTag, tag}});
    // A badge that a power cut hands back to the pool would go to a second visitor.
    table->sync();
    return true;
}

bool BadgePool::occupyRow(int number, const QString &arrivalTime, const QString &arrivalDate) const
{
    return setRow(number, arrivalTime, arrivalDate);
}

bool BadgePool::releaseRow(int number) const
{
    return setRow(number, QString::fromLatin1(FreeMarker), QString());
}

QString BadgePool::occupyLogText(int number, const QString &arrivalTime, const QString &visitNumber)
{
    return QStringLiteral("Besucher KOMMT -> Ausweis %1 in Ausweistabelle belegt: Kommt %2\tVorgang: %3")
        .arg(QString::number(number), arrivalTime, visitNumber);
}

QString BadgePool::releaseLogText(int number, const QString &visitNumber)
{
    return QStringLiteral("Besucher GEHT -> Ausweis %1 in Ausweistabelle frei gegeben: Kommt 25:00"
                          "\tVorgang: %2")
        .arg(QString::number(number), visitNumber);
}

bool BadgePool::logged(const QString &line, QString *deferredLog) const
{
    if (deferredLog)
        *deferredLog = line;
    else
        m_log.writeEventLog(line);
    return true;
}

bool BadgePool::occupyBadge(int number, const QString &arrivalTime, const QString &arrivalDate,
                            const QString &visitNumber, QString *deferredLog) const
{
    return occupyRow(number, arrivalTime, arrivalDate) &&
           logged(occupyLogText(number, arrivalTime, visitNumber), deferredLog);
}

bool BadgePool::releaseBadge(int number, const QString &visitNumber, QString *deferredLog) const
{
    return releaseRow(number) && logged(releaseLogText(number, visitNumber), deferredLog);
}

QString BadgePool::badgeOfListEntry(const QString &entry)
{
    const qsizetype bar = entry.indexOf(QStringLiteral(" |"));
    return bar < 0 ? entry : entry.left(bar);
}

std::optional<int> BadgePool::readManualBadgeNumber(const QString &text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok || number < 1)
        return std::nullopt;
    return number;
}

QString BadgePool::manualBadgeText(int number)
{
    return QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
}

namespace {

QSet<int> personalNumbers(const QString &folder)
{
    const auto table = data::openTable(folder, data::tables::Stamm, DbfTable::Mode::ReadOnly);
    const int fNumber = table->fieldIndexOrThrow(data::columns::Ausweis);
    QSet<int> used;
    data::forEachRecord(*table, [&](int, const char *record) {
        if (const int n = storedNumber(*table, record, fNumber); n > 0)
            used.insert(n);
    });
    return used;
}

} // namespace

std::optional<int> BadgePool::nextPersonalBadgeNumber() const
{
    // One pass over the master data instead of one search per candidate number.
    const QSet<int> used = personalNumbers(m_folder);
    for (int i = 1; i <= PersonalNumberLimit; ++i) {
        if (!used.contains(i))
            return i;
    }
    return std::nullopt;
}

bool BadgePool::isPersonalBadgeNumber(int number) const
{
    return personalNumbers(m_folder).contains(number);
}

QString BadgePool::invalidManualNumberMessage()
{
    return QStringLiteral("Ausweisnummer ungültig. Bitte geben Sie eine neue Ausweisnummer ein.");
}

QString BadgePool::unavailableBadgeMessage(int number)
{
    return QStringLiteral("Ausweis-Nr. '%1' ist ungültig oder ist bereits anwesend.").arg(number);
}

QString BadgePool::noFreeBadgeMessage()
{
    return QStringLiteral("Es sind keine weiteren Nummern mehr frei.");
}

QString BadgePool::noPersonalNumberMessage()
{
    return QStringLiteral("Neuanlage nicht möglich. Es sind keine Ausweisnummern mehr frei.");
}

} // namespace lobrix::registration

#include "registration/ArrivalService.h"

#include "common/Error.h"
#include "common/ImageFile.h"
#include "data/DbfTable.h"
#include "data/RecordFilter.h"
#include "data/TableScan.h"
#include "registration/SaveAftermath.h"
#include "registration/ValidityDates.h"
#include "registration/VisitColumns.h"
#include "registration/VisitSaveLock.h"
#include "shell/Session.h"
#include "data/Tables.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace lobrix::registration {

using data::DbfTable;

namespace {

// The first record whose numeric field equals `number`; -1 when there is none.
int findByNumber(const DbfTable &table, const QString &column, double number)
{
    data::RecordFilter filter;
    filter.number(table.fields().at(table.fieldIndexOrThrow(column)), data::RecordFilter::Op::Eq, number);
    int found = -1;
    data::forEachRecord(table, filter, [&](int recno, const char *) {
        if (found < 0)
            found = recno;
    });
    return found;
}

// The highest visit number among the last records of the visit table: the last record
// appended holds the newest number, a few more cover a record changed by hand since.
int highestStoredVisitNumber(const DbfTable &visits)
{
    constexpr int Tail = 16;
    const int field = visits.fieldIndexOrThrow(data::columns::Vorgang);
    const int count = visits.recordCount();
    int highest = 0;
    for (int recno = std::max(0, count - Tail); recno < count; ++recno) {
        bool ok = false;
        const double value = visits.text(visits.read(recno).constData(), field).toDouble(&ok);
        if (ok && value > highest && value < std::numeric_limits<int>::max())
            highest = static_cast<int>(value);
    }
    return highest;
}

ColumnValue programValue(const QString &column, const QString &text)
{
    return {column, text, {}};
}

QStringList entriesOf(const QList<int> &badges)
{
    QStringList out;
    out.reserve(badges.size());
    for (int badge : badges)
        out << QString::number(badge);
    return out;
}

QList<ColumnValue> masterValues(const ArrivalService::Input &input, const VisitFormSettings &s)
{
    QList<ColumnValue> out = VisitColumns::person(input.visit, s);
    out << programValue(data::columns::Quittung, VisitColumns::yesNo(s.quittung))
        << ColumnValue{data::columns::GueltigVon, input.visit.gueltigVon,
                       QStringLiteral("Ausweis gültig von")}
        << ColumnValue{data::columns::GueltigBis, input.visit.gueltigBis, QStringLiteral("bis")};
    if (!input.visit.photo.isEmpty())
        out << ColumnValue{data::columns::Foto, input.visit.photo, QStringLiteral("Foto")};
    return out;
}

} // namespace

ArrivalService::ArrivalService(shell::Session &session) : VisitFormService(session) {}

const ArrivalService::Opening &ArrivalService::open(const BadgePool::Progress &progress)
{
    Opening o;
    static_cast<FormOpening &>(o) = FormOpening::open(m_session, m_countries);
    o.badgeEntries = entriesOf(m_pool.listFreeBadges(progress));
    if (o.badgeEntries.isEmpty())
        o.noBadgeMessage = BadgePool::noFreeBadgeMessage();
    else
        o.selectedBadge = 0; // the first free badge in stored order
    {
        const auto visits = data::openTable(m_session.folders().database, data::tables::Besucher, DbfTable::Mode::ReadOnly);
        o.visitNumber = QString::number(
            m_session.registrationLock().nextVisitNumber(highestStoredVisitNumber(*visits)));
    }
    m_opening = o;
    return m_opening;
}

void ArrivalService::cancel()
{
    m_session.registrationLock().clearRegistrationLock();
}

ArrivalService::ManualBadge ArrivalService::checkManualBadge(const QString &text) const
{
    ManualBadge out;
    const std::optional<int> number = BadgePool::readManualBadgeNumber(text);
    if (!number) {
        out.message = BadgePool::invalidManualNumberMessage();
        return out;
    }
    out.number = *number;
    {
        const auto stamm = data::openTable(m_session.folders().database, data::tables::Stamm, DbfTable::Mode::ReadOnly);
        const int recno = findByNumber(*stamm, data::columns::Ausweis, *number);
        if (recno >= 0)
            out.master = VisitColumns::read(*stamm, stamm->read(recno).constData());
    }
    // The drop-down holds the numbers without leading zeros: "0012" is entry "12".
    out.entryIndex = static_cast<int>(m_opening.badgeEntries.indexOf(QString::number(*number)));
    if (out.entryIndex < 0) {
        out.outcome = ManualBadge::Outcome::Unavailable;
        out.message = BadgePool::unavailableBadgeMessage(*number);
    } else {
        out.outcome = out.master ? ManualBadge::Outcome::MasterRecord
                                 : ManualBadge::Outcome::NoMasterRecord;
    }
    return out;
}

const QStringList &ArrivalService::saveSteps()
{
    static const QStringList steps{
        QStringLiteral("counter"), QStringLiteral("badge"),     QStringLiteral("photo"),
        QStringLiteral("preregistration"), QStringLiteral("visit"), QStringLiteral("visit log"),
        QStringLiteral("master"),  QStringLiteral("badge log"), QStringLiteral("flag")};
    return steps;
}

QString ArrivalService::numberTakenMessage(const QString &shown, const QString &stored)
{
    return QStringLiteral("Die Vorgangsnummer %1 wurde inzwischen an einem anderen Arbeitsplatz vergeben. Der "
                          "Besuch wurde unter der Vorgangsnummer %2 gespeichert.")
        .arg(shown, stored);
}

QString ArrivalService::badgeTakenMessage(int number)
{
    return QStringLiteral("Der Ausweis Nr. '%1' wurde inzwischen an einem anderen Arbeitsplatz "
                          "ausgegeben. Bitte wählen Sie einen anderen Ausweis aus.")
        .arg(number);
}

std::optional<QString> ArrivalService::unstorable(const Input &input) const
{
    const QString folder = m_session.folders().database;
    const VisitFormSettings &s = m_opening.settings;
    if (const auto problem = ValidityDates::check(input.visit.gueltigVon, input.visit.gueltigBis))
        return problem->message;
    {
        const auto visits = data::openTable(folder, data::tables::Besucher, DbfTable::Mode::ReadOnly);
        QList<ColumnValue> values = VisitColumns::visitFields(input.visit, s);
        values << ColumnValue{data::columns::Nutzer, m_session.currentUserName(),
                              QStringLiteral("Benutzer")};
        if (auto message = VisitColumns::unstorable(*visits, values))
            return message;
    }
    if (!input.visit.photo.isEmpty()) {
        // The name is joined to the images folder wherever the photo is shown again.
        if (!ImageFile::isPlainName(input.visit.photo))
            return QStringLiteral("Der Name des Fotos '%1' ist kein einfacher Dateiname; Fotos liegen im "
                                  "Bilderordner und werden ohne Pfad gespeichert.")
                .arg(input.visit.photo);
        const auto photos = data::openTable(folder, data::tables::Fotos, DbfTable::Mode::ReadOnly);
        if (auto message = VisitColumns::unstorable(
                *photos, {{data::columns::Pfad, input.visit.photo, QStringLiteral("Foto")}}))
            return message;
    }
    if (input.storeAsMaster) {
        const auto stamm = data::openTable(folder, data::tables::Stamm, DbfTable::Mode::ReadOnly);
        if (auto message = VisitColumns::unstorable(*stamm, masterValues(input, s)))
            return message;
    }
    // The country goes into Laender.ini, a Windows text file, after the save.
    return VisitColumns::unstorableInWindowsText(
        {data::columns::Land, input.visit.land, QStringLiteral("Land")});
}

ArrivalService::Result ArrivalService::save(const Input &input, const PrintVisitorSheet &printVisitorSheet)
{
    Result result;
    const QString folder = m_session.folders().database;
    const VisitFormSettings &s = m_opening.settings;

    // The badge of the selected entry, checked before anything is read from the tables.
    const QString entry = BadgePool::badgeOfListEntry(input.badgeEntry).trimmed();
    bool ok = false;
    const int badge = entry.toInt(&ok);
    if (entry.isEmpty() && !m_opening.noBadgeMessage.isEmpty()) {
        result.message = m_opening.noBadgeMessage;
        return result;
    }
    if (!ok || badge < 1) {
        result.message = QStringLiteral("Ausweis-Nr. '%1' ist ungültig oder ist bereits anwesend.").arg(entry);
        return result;
    }
    result.badge = badge;

    // Nothing is written while any value cannot be stored whole.
    if (auto message = unstorable(input)) {
        result.message = *message;
        return result;
    }

    // Several forms may have opened at once: the counter and the badge are read again
    // under the save lock, and the visit is stored before the lock is released.
    std::optional<VisitSaveLock> saveLock;
    saveLock.emplace(folder, m_saveLockTimeoutMs);
    if (!saveLock->acquired()) {
        result.status = Result::Status::Busy;
        result.message = VisitSaveLock::busyMessage();
        return result;
    }
    const std::optional<BadgeRow> badgeRow = m_pool.find(badge);
    if (!badgeRow || BadgePool::isBadgeOut(*badgeRow)) {
        result.status = Result::Status::BadgeTaken;
        result.message = badgeRow ? badgeTakenMessage(badge) : BadgePool::unavailableBadgeMessage(badge);
        m_opening.badgeEntries = entriesOf(m_pool.listFreeBadges());
        m_opening.selectedBadge = m_opening.badgeEntries.isEmpty() ? -1 : 0;
        if (m_opening.badgeEntries.isEmpty())
            result.message += u'\n' + BadgePool::noFreeBadgeMessage();
        result.badgeEntries = m_opening.badgeEntries;
        return result;
    }
    // Another arrival saved since this form opened: take the next number. It is one more
    // than the counter and than any number stored, so a save that died after storing its
    // visit but before raising the counter never has its number handed out again.
    auto visits = data::openTable(folder, data::tables::Besucher);
    const int number = m_session.registrationLock().nextVisitNumber(highestStoredVisitNumber(*visits));
    const QString visitNumber = QString::number(number);
    result.visitNumber = visitNumber;

    // Every row is built and checked against its table before the first write.
    std::unique_ptr<DbfTable> photos, preRegistrations, stamm;
    data::DbfValues photoRow, preRegistrationRow, visitRow, masterRow;
    int preRegistrationRecno = -1;
    if (!input.visit.photo.isEmpty()) {
        photos = data::openTable(folder, data::tables::Fotos);
        photoRow = VisitColumns::encode(
            *photos, {{data::columns::Pfad, input.visit.photo, QStringLiteral("Foto")},
                      programValue(data::columns::Nummer, visitNumber), programValue(data::columns::Typ, QStringLiteral("3"))});
    }
    // The mark of the pre-registration never stops the visit: Voranmel.dbf belongs to
    // another application, which may hold it. A mark that cannot be made is reported.
    QString markProblem;
    if (!input.preRegistration.isEmpty()) {
        try {
            preRegistrations = data::openTable(folder, data::tables::Voranmel);
            const double nr = input.preRegistration.trimmed().toDouble(&ok);
            if (ok)
                preRegistrationRecno = findByNumber(*preRegistrations, data::columns::Nr, nr);
            preRegistrationRow = VisitColumns::encode(
                *preRegistrations, {programValue(data::columns::Vorgang, visitNumber),
                                    programValue(data::columns::Anwesend, QStringLiteral("T"))});
        } catch (const Error &e) {
            preRegistrations.reset();
            markProblem = e.message();
        }
    }
    {
        QList<ColumnValue> values{programValue(data::columns::Vorgang, visitNumber),
                                  programValue(data::columns::Ausweis, QString::number(badge))};
        values << VisitColumns::visitFields(input.visit, s) << VisitColumns::info(input.visit);
        values << programValue(data::columns::Quittung, VisitColumns::yesNo(s.quittung))
               << programValue(data::columns::Kommt, m_opening.time) << programValue(data::columns::Tag, m_opening.date)
               << ColumnValue{data::columns::Nutzer, m_session.currentUserName(),
                              QStringLiteral("Benutzer")};
        visitRow = VisitColumns::encode(*visits, values);
    }
    if (input.storeAsMaster) {
        stamm = data::openTable(folder, data::tables::Stamm);
        masterRow = VisitColumns::encode(*stamm, masterValues(input, s));
    }

    // A table that cannot take one more record refuses the save before the badge and the
    // number are used.
    for (const DbfTable *table : {visits.get(), photos.get(), stamm.get()}) {
        if (!table)
            continue;
        if (const auto full = table->roomFor(1)) {
            result.status = Result::Status::Refused;
            result.message = *full;
            return result;
        }
    }

    // The order makes a save that dies at any step safe for the next one: the counter is
    // raised before any row carries the number, and the badge is out before any visit
    // holds it. A badge out without a present visit is what the departure form mends.
    m_session.registrationLock().raiseLastSatz(number);
    stepDone("counter");
    QString badgeLog; // written after the visit's own line
    m_pool.occupyBadge(badge, m_opening.time, m_opening.date, visitNumber, &badgeLog);
    stepDone("badge");

    const shell::EventLog &log = m_session.eventLog();
    // The photo row comes before the visit, so a visit never names a photo without its row.
    if (photos) {
        photos->append(photoRow);
        photos->sync();
        photos.reset();
        stepDone("photo");
    }
    // The pre-registration taken over.
    if (preRegistrations) {
        try {
            if (preRegistrationRecno >= 0)
                preRegistrations->update(preRegistrationRecno, preRegistrationRow);
        } catch (const Error &e) {
            markProblem = e.message();
        }
        preRegistrations.reset();
        stepDone("preregistration");
    }
    // The visit. From here on the visit is stored: a step that fails after it is reported
    // with the save's success, so that the clerk does not register the visitor again.
    visits->append(visitRow);
    SaveAftermath after;
    visitStored(after, visits,
                QStringLiteral("Besucher KOMMT -> Ausweis %1 in Besuchertabelle gespeichert: Kommt %2\tVorgang: %3")
                    .arg(QString::number(badge), m_opening.time, visitNumber));
    if (stamm) {
        after.run(QStringLiteral("der Besucherstamm wurde nicht ergänzt"), [&] {
            stamm->append(masterRow);
            stamm->sync();
            stamm.reset();
            stepDone("master");
        });
    }
    // The badge's log line and the registration lock.
    after.run(QStringLiteral("die Zeile zum Ausweis im Ereignisprotokoll fehlt"), [&] {
        if (!badgeLog.isEmpty())
            log.writeEventLog(badgeLog);
        stepDone("badge log");
    });
    after.run(QStringLiteral("die Registrierungssperre wurde nicht aufgehoben"), [&] {
        m_session.registrationLock().clearRegistrationLock();
        stepDone("flag");
    });
    result.status = Result::Status::Saved;
    result.message = after.message();
    // The form showed another number: the clerk is told the one that was stored (and is
    // printed), before anything else.
    if (!m_opening.visitNumber.isEmpty() && m_opening.visitNumber != visitNumber) {
        const QString moved = numberTakenMessage(m_opening.visitNumber, visitNumber);
        result.message = result.message.isEmpty() ? moved : moved + u'\n' + result.message;
    }
    m_opening.visitNumber = visitNumber;
    saveLock.reset();

    // The visitor sheet, once the visit is stored and other workstations may save again
    // (printing may take a while). A failed print does not undo the save.
    if (s.autoQuittung && printVisitorSheet) {
        try {
            printVisitorSheet(visitNumber);
        } catch (const Error &e) {
            result.message = result.message.isEmpty() ? e.message() : result.message + u'\n' + e.message();
        }
    }
    if (!markProblem.isEmpty()) {
        const QString mark = QStringLiteral("Der Besuch ist gespeichert, die Voranmeldung konnte "
                                            "aber nicht als anwesend markiert werden: %1")
                                 .arg(markProblem);
        result.message = result.message.isEmpty() ? mark : result.message + u'\n' + mark;
    }

    // The country list last: the visit is stored whatever happens to it.
    result.countryAdded = updateCountries(input.visit.land);
    return result;
}

} // namespace lobrix::registration

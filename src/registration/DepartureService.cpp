#include "registration/DepartureService.h"

#include "common/Error.h"
#include "common/ImageFile.h"
#include "data/DbfCursor.h"
#include "data/DbfTable.h"
#include "registration/FormOpening.h"
#include "data/TableScan.h"
#include "common/TimeText.h"
#include "registration/ValidityDates.h"
#include "registration/VisitColumns.h"
#include "registration/SaveAftermath.h"
#include "registration/VisitSaveLock.h"
#include "shell/Session.h"
#include "data/Tables.h"

#include <QDir>
#include <QHash>

namespace lobrix::registration {

using data::DbfTable;

namespace {

// Stored bytes of a text field, right-trimmed as the table reads them.
QByteArrayView storedText(const char *record, const data::DbfField &field)
{
    qsizetype length = field.length;
    const char *p = record + field.offset;
    while (length > 0 && (p[length - 1] == ' ' || p[length - 1] == '\0'))
        --length;
    return QByteArrayView(p, length);
}

// Present visits: an empty Geht.
data::RecordFilter presentVisits(const DbfTable &table)
{
    data::RecordFilter filter;
    filter.textEquals(table.fields().at(table.fieldIndexOrThrow(data::columns::Geht)), {});
    return filter;
}

// The first present visit holding the badge whose Vorgang is `vorgang` (any Vorgang when
// empty); -1 when there is none.
int findPresentVisit(const DbfTable &table, int badge, const QString &vorgang, int hint = -1)
{
    data::RecordFilter filter = presentVisits(table);
    filter.textEquals(table.fields().at(table.fieldIndexOrThrow(data::columns::Ausweis)),
                      QByteArray::number(badge));
    const int fVorgang = table.fieldIndexOrThrow(data::columns::Vorgang);
    const auto matches = [&](const char *record) {
        return filter.passes(record) && (vorgang.isEmpty() || table.text(record, fVorgang) == vorgang);
    };
    // The row found when the list was built, unless the table changed since.
    if (hint >= 0 && hint < table.recordCount() && matches(table.read(hint).constData()))
        return hint;
    int found = -1;
    data::forEachRecord(table, filter, [&](int recno, const char *record) {
        if (found < 0 && matches(record))
            found = recno;
    });
    return found;
}

QString entryText(int badge, const QString &firma, const QString &name, const QString &vorname)
{
    return QString::number(badge) + QStringLiteral(" | ") + firma + QStringLiteral(", ") + name +
           QStringLiteral(", ") + vorname;
}

} // namespace

DepartureService::DepartureService(shell::Session &session) : VisitFormService(session) {}

const QStringList &DepartureService::saveSteps()
{
    static const QStringList steps{QStringLiteral("preregistration"), QStringLiteral("visit"),
                                   QStringLiteral("visit log"), QStringLiteral("badge"),
                                   QStringLiteral("badge log")};
    return steps;
}

QString DepartureService::confirmationQuestion()
{
    return QStringLiteral("Es wurde keine Bestätigung des Besuches eingetragen, obwohl eine "
                          "Besuchsbestätigung angefordert wurde.\nWollen Sie die Eingaben trotzdem "
                          "speichern ?");
}

QString DepartureService::chooseBadgeHint()
{
    return QStringLiteral("Wählen Sie die Ausweis-Nummer des Besuchers aus.");
}

QString DepartureService::noVisitorsHint()
{
    return QStringLiteral("Es sind keine Besucher mehr anwesend.");
}

QString DepartureService::noVisitMessage(int badge)
{
    return QStringLiteral("Der Ausweis Nr. '%1' ist ausgegeben, aber kein anwesender Besucher hält "
                          "ihn. Beim Speichern wird der Ausweis zurückgegeben; kein Besuch wird "
                          "geändert.")
        .arg(badge);
}

const DepartureService::Opening &DepartureService::open(const BadgePool::Progress &progress)
{
    const QString folder = m_session.folders().database;
    Opening o;
    static_cast<FormOpening &>(o) = FormOpening::open(m_session, m_countries);

    // The badges that are out, in stored order.
    QHash<QByteArray, QList<int>> entriesOfBadge; // badge number text -> entries
    for (const BadgeRow &row : m_pool.rows(progress)) {
        if (!BadgePool::isBadgeOut(row))
            continue;
        Entry e;
        e.badge = row.number;
        e.text = QString::number(row.number) + QStringLiteral(" | ");
        e.badgeKommt = row.kommt;
        e.badgeTag = row.tag;
        entriesOfBadge[QByteArray::number(row.number)].append(static_cast<int>(o.entries.size()));
        o.entries.append(e);
    }

    // One pass over the visits finds the first present visit of every out badge.
    if (!entriesOfBadge.isEmpty()) {
        const auto visits = data::openTable(folder, data::tables::Besucher, DbfTable::Mode::ReadOnly);
        const data::DbfField &ausweis =
            visits->fields().at(visits->fieldIndexOrThrow(data::columns::Ausweis));
        const int fFirma = visits->fieldIndexOrThrow(data::columns::Firma);
        const int fName = visits->fieldIndexOrThrow(data::columns::Name);
        const int fVorname = visits->fieldIndexOrThrow(data::columns::Vorname);
        data::forEachRecord(*visits, presentVisits(*visits), [&](int recno, const char *record) {
            const auto it = entriesOfBadge.find(storedText(record, ausweis).toByteArray());
            if (it == entriesOfBadge.end())
                return;
            for (int index : std::as_const(*it)) {
                Entry &e = o.entries[index];
                if (e.presentVisits++ > 0)
                    continue; // the first present visit counts
                e.visitRecno = recno;
                e.text = entryText(e.badge, visits->text(record, fFirma), visits->text(record, fName),
                                   visits->text(record, fVorname));
            }
        });
    }

    if (o.entries.isEmpty()) {
        o.hint = noVisitorsHint();
        o.saveVisible = false;
    } else if (o.entries.size() > 1) {
        o.hint = chooseBadgeHint();
    }
    m_opening = o;
    if (m_opening.entries.size() == 1)
        m_opening.loaded = load(0);
    return m_opening;
}

DepartureService::LoadedVisit DepartureService::load(int entryIndex) const
{
    if (entryIndex < 0 || entryIndex >= m_opening.entries.size())
        throw Error(QStringLiteral("Kein Eintrag Nr. %1 in der Ausweisliste.").arg(entryIndex));
    const Entry &entry = m_opening.entries.at(entryIndex);
    LoadedVisit out;
    out.entry = entryIndex;
    out.badge = entry.badge;
    const QString folder = m_session.folders().database;
    const auto visits = data::openTable(folder, data::tables::Besucher, DbfTable::Mode::ReadOnly);
    out.recno = findPresentVisit(*visits, entry.badge, {}, entry.visitRecno);
    if (out.recno < 0) {
        out.message = noVisitMessage(entry.badge);
        return out;
    }
    const data::DbfRecord record = visits->read(out.recno);
    out.hasVisit = true;
    out.visit = VisitColumns::read(*visits, record.constData());
    out.vorgang = VisitColumns::text(*visits, record.constData(), data::columns::Vorgang);
    out.kommt = VisitColumns::text(*visits, record.constData(), data::columns::Kommt);
    out.tag = VisitColumns::text(*visits, record.constData(), data::columns::Tag);
    try {
        out.duration = VisitDuration(out.kommt, out.tag, m_opening.time, m_opening.date);
    } catch (const Error &) {
        // A damaged arrival time or date: the visit can still end, without a duration.
    }

    data::DbfCursor photos(folder, QString::fromLatin1(data::tables::Fotos), DbfTable::Mode::ReadOnly);
    photos.whereText(data::columns::Typ, QStringLiteral("3"));
    photos.whereText(data::columns::Nummer, out.vorgang);
    if (photos.first()) {
        out.photo = photos.value(data::columns::Pfad);
        const QString plain = ImageFile::plainName(out.photo);
        out.photoPath = plain.isEmpty() ? QString() : QDir(m_session.folders().images).filePath(plain);
    }
    return out;
}

DepartureService::Result DepartureService::save(const LoadedVisit &loaded, const VisitData &edited,
                                                bool confirmed, const AskYesNo &ask)
{
    Result result;
    const QString folder = m_session.folders().database;
    const VisitFormSettings &s = m_opening.settings;
    if (loaded.entry < 0 || loaded.entry >= m_opening.entries.size())
        throw Error(QStringLiteral("Kein Eintrag Nr. %1 in der Ausweisliste.").arg(loaded.entry));
    const Entry &entry = m_opening.entries.at(loaded.entry);
    if (entry.badge != loaded.badge)
        throw Error(QStringLiteral("Der Eintrag Nr. %1 der Ausweisliste gehört nicht zum Ausweis %2.")
                        .arg(loaded.entry)
                        .arg(loaded.badge));

    if (!loaded.hasVisit) {
        // A badge out without a present visit goes back to the pool, unless another
        // workstation has changed it since the list was built.
        VisitSaveLock saveLock(folder, m_saveLockTimeoutMs);
        if (!saveLock.acquired()) {
            result.status = Result::Status::Busy;
            result.message = VisitSaveLock::busyMessage();
            return result;
        }
        const std::optional<BadgeRow> row = m_pool.find(entry.badge);
        if (!row || !BadgePool::isBadgeOut(*row) || row->kommt != entry.badgeKommt ||
            row->tag != entry.badgeTag) {
            result.status = Result::Status::Gone;
            result.message = QStringLiteral("Der Ausweis Nr. '%1' wurde inzwischen an einem anderen "
                                            "Arbeitsplatz zurückgegeben oder neu ausgegeben.")
                                 .arg(entry.badge);
            return result;
        }
        m_pool.releaseBadge(entry.badge, QString());
        result.status = Result::Status::Saved;
        return result;
    }

    // Values that cannot be stored whole stop the save before anything is written.
    QList<ColumnValue> fields = VisitColumns::visitFields(edited, s);
    {
        const auto visits = data::openTable(folder, data::tables::Besucher, DbfTable::Mode::ReadOnly);
        std::optional<QString> message;
        if (const auto problem = ValidityDates::check(edited.gueltigVon, edited.gueltigBis))
            message = problem->message;
        if (!message)
            message = VisitColumns::unstorable(*visits, fields);
        if (!message)
            message = VisitColumns::unstorableInWindowsText(
                {data::columns::Land, edited.land, QStringLiteral("Land")});
        if (message) {
            result.message = *message;
            return result;
        }
    }

    // The host's confirmation, asked before the lock: a question must not hold up the
    // other workstations' saves.
    const bool confirmedVisit = s.quittung && confirmed;
    if (s.quittung && !confirmed && !(ask && ask(QStringLiteral("Achtung"), confirmationQuestion()))) {
        result.status = Result::Status::Declined;
        return result;
    }

    {
        VisitSaveLock saveLock(folder, m_saveLockTimeoutMs);
        if (!saveLock.acquired()) {
            result.status = Result::Status::Busy;
            result.message = VisitSaveLock::busyMessage();
            return result;
        }
        // The visit, read again under the lock: another workstation may have ended it meanwhile.
        auto visits = data::openTable(folder, data::tables::Besucher);
        const int recno = findPresentVisit(*visits, entry.badge, loaded.vorgang, loaded.recno);
        if (recno < 0) {
            result.status = Result::Status::Gone;
            result.message = QStringLiteral("Der Besuch Nr. '%1' wurde inzwischen an einem anderen "
                                            "Arbeitsplatz beendet.")
                                 .arg(loaded.vorgang);
            return result;
        }
        fields << ColumnValue{data::columns::Geht, m_opening.time, {}}
               << ColumnValue{data::columns::Quittiert, VisitColumns::yesNo(confirmedVisit), {}}
               << ColumnValue{data::columns::Anwesend, loaded.duration, {}};
        const data::DbfValues visitRow = VisitColumns::encode(*visits, fields);

        // The pre-registration is no longer present. Voranmel.dbf belongs to another
        // application, which may hold it: a mark that cannot be made is reported and the
        // visit is completed all the same.
        QString markProblem;
        try {
            auto preRegistrations = data::openTable(folder, data::tables::Voranmel);
            int preRegistration = -1;
            const int fPreVorgang = preRegistrations->fieldIndexOrThrow(data::columns::Vorgang);
            data::forEachRecord(*preRegistrations, [&](int r, const char *record) {
                if (preRegistration < 0 && preRegistrations->text(record, fPreVorgang) == loaded.vorgang)
                    preRegistration = r;
            });
            if (preRegistration >= 0) {
                preRegistrations->update(preRegistration,
                                         VisitColumns::encode(*preRegistrations,
                                                              {{data::columns::Anwesend, QStringLiteral("F"), {}},
                                                               {data::columns::Vorgang, loaded.vorgang, {}}}));
                stepDone("preregistration");
            }
        } catch (const Error &e) {
            markProblem = e.message();
        }
        if (!markProblem.isEmpty())
            result.message = QStringLiteral("Der Besuch ist beendet, die Voranmeldung konnte aber "
                                            "nicht als beendet markiert werden: %1")
                                 .arg(markProblem);
        // The visit ends here. What fails after it is reported with the success, so the
        // clerk does not end the visit a second time.
        visits->update(recno, visitRow);
        SaveAftermath after;
        visitStored(after, visits,
                    QStringLiteral("Besucher GEHT -> Ausweis %1 in Besuchertabelle gespeichert: Kommt %2\tVorgang: %3")
                        .arg(QString::number(entry.badge), loaded.kommt, loaded.vorgang));
        // The badge goes back to the pool, unless another present visit held it too when
        // the list was built (left so by an older program): it stays out for that visitor.
        // No visit can take an out badge meanwhile, so the count read then is enough; if
        // the other one leaves first, the badge is out without a visit, which the list
        // offers to return. A release that fails leaves the same, mended the same way.
        after.run(QStringLiteral("der Ausweis wurde nicht zurückgegeben"), [&] {
            QString badgeLog;
            if (entry.presentVisits <= 1 && m_pool.releaseBadge(entry.badge, loaded.vorgang, &badgeLog)) {
                stepDone("badge");
                m_session.eventLog().writeEventLog(badgeLog);
                stepDone("badge log");
            }
        });
        if (after.failed())
            result.message = result.message.isEmpty() ? after.message() : result.message + u'\n' + after.message();
    }
    result.status = Result::Status::Saved;

    // The country list last: the visit has ended whatever happens to it.
    result.countryAdded = updateCountries(edited.land);
    return result;
}

QString DepartureService::fitEntry(const QString &text, int dropDownWidth, const MeasureText &measure)
{
    if (measure(text) <= dropDownWidth)
        return text;
    const int room = dropDownWidth - 25;
    const qsizetype bar = text.indexOf(QStringLiteral(" |"));
    const qsizetype keep = bar < 0 ? 0 : bar + 2;
    const auto fits = [&](qsizetype n) { return measure(text.left(n)) <= room; };
    // Widths grow with the length: the longest fitting beginning by bisection.
    qsizetype low = keep, high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (fits(mid))
            low = mid;
        else
            high = mid - 1;
    }
    if (low > keep && text.at(low - 1).isHighSurrogate())
        --low;
    return text.left(low) + QStringLiteral("...");
}

QStringList DepartureService::entryTexts(int dropDownWidth, const MeasureText &measure) const
{
    QStringList out;
    for (const Entry &e : m_opening.entries)
        out << fitEntry(e.text, dropDownWidth, measure);
    return out;
}

} // namespace lobrix::registration

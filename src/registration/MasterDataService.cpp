#include "registration/MasterDataService.h"

#include "common/Error.h"
#include "data/DbfCursor.h"
#include "data/RecordFilter.h"
#include "data/TableScan.h"
#include "data/Tables.h"
#include "registration/VisitColumns.h"
#include "shell/Session.h"

#include <memory>

namespace lobrix::registration {
namespace {

using data::DbfTable;

// The identity's columns, in the order of Identity::values.
const std::array<QLatin1String, 11> kIdentityColumns = {
    data::columns::Name,    data::columns::Vorname, data::columns::Firma,   data::columns::Panr,
    data::columns::Kfz,     data::columns::Strasse, data::columns::Plz,     data::columns::Ort,
    data::columns::Land,    data::columns::Telefon, data::columns::Bemerkung};

std::unique_ptr<data::DbfCursor> identityCursor(const QString &folder,
                                                const MasterDataService::Identity &identity,
                                                DbfTable::Mode mode)
{
    auto cursor = std::make_unique<data::DbfCursor>(folder, QString::fromLatin1(data::tables::Stamm), mode);
    for (size_t i = 0; i < kIdentityColumns.size(); ++i)
        cursor->whereText(kIdentityColumns[i], identity.values[i]);
    return cursor;
}

} // namespace

MasterDataService::Identity MasterDataService::Identity::of(const VisitData &v)
{
    return {{v.name, v.vorname, v.firma, v.panr, v.kfz, v.strasse, v.plz, v.ort, v.land,
             v.telefon, v.bemerkung}};
}

MasterDataService::MasterDataService(shell::Session &session) : VisitFormService(session) {}

const FormOpening &MasterDataService::open()
{
    m_opening = FormOpening::open(m_session, m_countries);
    return m_opening;
}

int MasterDataService::countMatches(const Identity &identity) const
{
    return identityCursor(m_session.folders().database, identity, DbfTable::Mode::ReadOnly)->count();
}

std::optional<VisitData> MasterDataService::findByPersonalNumber(int number) const
{
    const auto stamm =
        data::openTable(m_session.folders().database, data::tables::Stamm, DbfTable::Mode::ReadOnly);
    data::RecordFilter filter;
    filter.number(stamm->fields().at(stamm->fieldIndexOrThrow(data::columns::Ausweis)),
                  data::RecordFilter::Op::Eq, number);
    std::optional<VisitData> found;
    data::forEachRecord(*stamm, filter, [&](int, const char *record) {
        if (!found)
            found = VisitColumns::read(*stamm, record);
    });
    return found;
}

MasterDataService::Result MasterDataService::save(const Input &input, bool newRecord)
{
    Result result;
    if (!newRecord && !input.selected)
        return result; // nothing selected, nothing started
    const VisitFormSettings &s = m_opening.settings;
    QList<ColumnValue> values = VisitColumns::person(input.visit, s);
    values << VisitColumns::info(input.visit)
           << ColumnValue{data::columns::Quittung, VisitColumns::yesNo(s.quittung), {}}
           << ColumnValue{data::columns::GueltigVon, input.visit.gueltigVon,
                          QStringLiteral("Ausweis gültig von")}
           << ColumnValue{data::columns::GueltigBis, input.visit.gueltigBis, QStringLiteral("bis")};
    if (!input.visit.photo.isEmpty()) // an existing photo is kept otherwise
        values << ColumnValue{data::columns::Foto, input.visit.photo, QStringLiteral("Foto")};
    if (newRecord && input.personalNumber)
        values << ColumnValue{data::columns::Ausweis, QString::number(*input.personalNumber), {}};

    const QString folder = m_session.folders().database;
    auto stamm = data::openTable(folder, data::tables::Stamm);
    if (auto message = VisitColumns::unstorable(*stamm, values)) {
        result.status = Result::Status::Refused;
        result.message = *message;
        return result;
    }
    if (auto message = VisitColumns::unstorableInWindowsText(
            {data::columns::Land, input.visit.land, QStringLiteral("Land")})) {
        result.status = Result::Status::Refused;
        result.message = *message;
        return result;
    }
    const data::DbfValues row = VisitColumns::encode(*stamm, values);
    int recno = -1;
    if (!newRecord) {
        const auto match = identityCursor(folder, *input.selected, DbfTable::Mode::ReadOnly);
        if (match->first())
            recno = match->recno();
    }
    if (recno >= 0) {
        stamm->update(recno, row);
    } else {
        stamm->append(row);
        result.appended = true;
    }
    stamm.reset();
    result.status = Result::Status::Saved;
    updateCountries(input.visit.land);
    return result;
}

QString MasterDataService::packLaterMessage(const QString &reason)
{
    return QStringLiteral("Die Besucherdaten sind gelöscht. Die Datei Stamm.dbf kann zur Zeit "
                          "nicht aufgeräumt werden (%1); das geschieht beim nächsten Löschen.")
        .arg(reason);
}

MasterDataService::Removal MasterDataService::remove(const Identity &identity)
{
    Removal out;
    const QString folder = m_session.folders().database;
    {
        const auto match = identityCursor(folder, identity, DbfTable::Mode::Shared);
        if (!match->first())
            return out;
        match->deleteRecord();
        out.removed = true;
    }
    try {
        auto stamm = data::openTable(folder, data::tables::Stamm, DbfTable::Mode::Exclusive);
        stamm->pack();
        out.packed = true;
    } catch (const Error &e) {
        // Another workstation has the table open: the record stays deleted, so it is
        // invisible everywhere, until a later pack removes it.
        out.message = packLaterMessage(e.message());
    }
    return out;
}

} // namespace lobrix::registration

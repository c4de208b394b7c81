#include "layouts/PrintTable.h"

#include "common/Error.h"
#include "data/DbfCursor.h"
#include "data/DefaultStructure.h"
#include "layouts/LayoutFields.h"
#include "layouts/PrintedVisit.h"
#include "registration/BadgePool.h"
#include "registration/VisitColumns.h"
#include "data/Tables.h"

#include <QFileInfo>

namespace lobrix::layouts {
namespace {

using registration::ColumnValue;
using registration::VisitColumns;

// Columns whose texts the clerk typed: cut to the column like a save cuts them.
const char *const kTyped[][2] = {
    {"Name", fields::Name},
    {"Vorname", fields::Vorname},
    {"Firma", fields::Firma},
    {"PANR", fields::PANR},
    {"KFZ", fields::KFZ},
    {"Strasse", fields::Strasse},
    {"PLZ", fields::PLZ},
    {"Ort", fields::ORT},
    {"Land", fields::LAND},
    {"Telefon", fields::Telefon},
    {"Bemerkung", fields::Bemerkung},
    {"Ziel", fields::ZIEL},
};

QList<ColumnValue> columnValues(const PrintedVisit &visit)
{
    const auto value = [&](const char *key) {
        return visit.values.value(QString::fromLatin1(key));
    };
    // Values the program makes must fit their column whole.
    const auto made = [](const QString &column, const QString &text) {
        return ColumnValue{column, text, {}};
    };
    const auto typed = [](const QString &column, const QString &text, const QString &label) {
        return ColumnValue{column, text, label};
    };
    QList<ColumnValue> out;
    out << made(data::columns::Vorgang, value(fields::VORGANG))
        << made(data::columns::Ausweis,
                registration::BadgePool::badgeOfListEntry(value(fields::Ausweis)));
    for (const auto &[column, key] : kTyped)
        out << typed(QString::fromLatin1(column), value(key), QString::fromLatin1(column));
    for (int i = 0; i < 4; ++i)
        out << made(QStringLiteral("Info%1").arg(i + 1), VisitColumns::yesNo(visit.infoStored[i]));
    out << made(data::columns::Quittung, value(fields::QUITTUNG))
        << made(data::columns::Kommt, value(fields::Kommt)) << made(data::columns::Geht, {})
        << made(data::columns::Anwesend, {})
        << made(data::columns::Quittiert, QStringLiteral("nein"))
        << made(data::columns::Tag, visit.formDate)
        << typed(data::columns::Nutzer, value(fields::NUTZER), QStringLiteral("Nutzer"))
        << typed(data::columns::GueltigVon, value(fields::GUELTIGVON),
                 QStringLiteral("Ausweis gültig von"))
        << typed(data::columns::GueltigBis, value(fields::GUELTIGBIS), QStringLiteral("bis"));
    return out;
}

} // namespace

void PrintTable::FillPrintTable(const QString &startFolder, const PrintedVisit &visit)
{
    const QString fileName = QString::fromLatin1(data::DefaultStructure::kPrintTable);
    const QString path = data::DbfTable::resolve(startFolder, fileName);
    // The table only stages values for the documents; a workstation that lost it gets a
    // new one rather than a print that cannot happen.
    if (!QFileInfo::exists(path))
        data::DbfTable::create(path, data::DefaultStructure::printTableFields());

    data::DbfCursor cursor(startFolder, fileName);
    data::DbfTable &table = cursor.table();
    QList<ColumnValue> values;
    for (const ColumnValue &v : columnValues(visit))
        if (table.fieldIndex(v.column) >= 0)
            values.append(v);
    if (const auto message = VisitColumns::unstorable(table, values))
        throw Error(*message);
    const data::DbfValues encoded = VisitColumns::encode(table, values);

    if (!cursor.first())
        cursor.append();
    for (const data::DbfValue &v : encoded)
        cursor.setValue(table.fields().at(v.field).name, v.text);
    cursor.post();
}

} // namespace lobrix::layouts

#pragma once
// How the values of the visit form map onto the columns of the tables that store them,
// and the checks that run before any of them is written: every value must be storable in
// the table's code page (nothing is ever stored half or with "?" in place of a letter).
#include "data/DbfTable.h"
#include "registration/VisitData.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace lobrix::registration {

struct VisitFormSettings;

// One value for one column, with the caption of the form field it comes from.
struct ColumnValue {
    QString column;
    QString text;
    QString label; // empty for values the program makes itself
};

class VisitColumns {
public:
    static QString yesNo(bool value) { return value ? QStringLiteral("ja") : QStringLiteral("nein"); }

    // Name, Vorname, Firma, PANR, KFZ, Strasse, PLZ, Ort, Land, Telefon, Bemerkung.
    static QList<ColumnValue> person(const VisitData &visit, const VisitFormSettings &captions);
    // The person, Ziel, GUELTIGVON and GUELTIGBIS: what the form edits in a visit row.
    static QList<ColumnValue> visitFields(const VisitData &visit, const VisitFormSettings &captions);
    static QList<ColumnValue> info(const VisitData &visit);

    // The message naming the form field whose text the table cannot store, if any.
    static std::optional<QString> unstorable(const data::DbfTable &table,
                                             const QList<ColumnValue> &values);
    // The same for a text file in Windows-1252 (Laender.ini).
    static std::optional<QString> unstorableInWindowsText(const ColumnValue &value);
    static QString unstorableMessage(const QString &character, const QString &label);

    // The values as the table stores them. A typed text (one with a label) longer than its
    // column is cut to the column's width, as the dBASE engine did; everything else that
    // does not fit (an unknown column, a visit or badge number too wide for its column)
    // throws lobrix::Error naming the column.
    static data::DbfValues encode(const data::DbfTable &table, const QList<ColumnValue> &values);

    // The form's fields from a visit, master-data or pre-registration row; columns that
    // the table lacks stay empty.
    static VisitData read(const data::DbfTable &table, const char *record);
    // The same from any row: `value` gives a column's text ("" when there is none).
    static VisitData read(const std::function<QString(const QString &column)> &value);
    // A field of a row by column name; empty when the table lacks the column.
    static QString text(const data::DbfTable &table, const char *record, const QString &column);
};

} // namespace lobrix::registration

#include "registration/VisitColumns.h"

#include "common/CodePage.h"
#include "common/Error.h"
#include "registration/VisitFormSettings.h"
#include "data/Tables.h"

namespace lobrix::registration {

namespace {

ColumnValue value(const QString &column, const QString &text, const QString &label)
{
    return {column, text, label};
}

// The first character (a whole surrogate pair counts as one) that `fits` refuses.
template <typename Fits> std::optional<QString> firstRefused(const QString &text, Fits fits)
{
    if (fits(text))
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QString character = text.mid(i, length);
        if (!fits(character))
            return character;
        i += length - 1;
    }
    return text; // not reached: some character must have been refused
}

} // namespace

QList<ColumnValue> VisitColumns::person(const VisitData &v, const VisitFormSettings &captions)
{
    return {value(data::columns::Name, v.name, QStringLiteral("Name")),
            value(data::columns::Vorname, v.vorname, QStringLiteral("Vorname")),
            value(data::columns::Firma, v.firma, QStringLiteral("Firma")),
            value(data::columns::Panr, v.panr, QStringLiteral("PA-Nr.")),
            value(data::columns::Kfz, v.kfz, QStringLiteral("Kfz-Kz.")),
            value(data::columns::Strasse, v.strasse, QStringLiteral("Strasse")),
            value(data::columns::Plz, v.plz, QStringLiteral("PLZ")),
            value(data::columns::Ort, v.ort, QStringLiteral("Ort")),
            value(data::columns::Land, v.land, QStringLiteral("Land")),
            value(data::columns::Telefon, v.telefon, QStringLiteral("Telefon")),
            value(data::columns::Bemerkung, v.bemerkung, captions.bemerkCaption)};
}

QList<ColumnValue> VisitColumns::visitFields(const VisitData &v, const VisitFormSettings &captions)
{
    QList<ColumnValue> out = person(v, captions);
    out << value(data::columns::Ziel, v.ziel, captions.zielCaption)
        << value(data::columns::GueltigVon, v.gueltigVon, QStringLiteral("Ausweis gültig von"))
        << value(data::columns::GueltigBis, v.gueltigBis, QStringLiteral("bis"));
    return out;
}

QList<ColumnValue> VisitColumns::info(const VisitData &v)
{
    QList<ColumnValue> out;
    for (int i = 0; i < 4; ++i)
        out << ColumnValue{QStringLiteral("Info%1").arg(i + 1), yesNo(v.info[i]), {}};
    return out;
}

QString VisitColumns::unstorableMessage(const QString &character, const QString &label)
{
    return QStringLiteral("Das Zeichen '%1' im Feld '%2' kann in der Datenbank nicht gespeichert "
                          "werden. Bitte ersetzen Sie es, zum Beispiel durch einen Buchstaben "
                          "ohne Akzent.")
        .arg(character, label);
}

std::optional<QString> VisitColumns::unstorable(const data::DbfTable &table,
                                                const QList<ColumnValue> &values)
{
    for (const ColumnValue &v : values) {
        if (const auto refused =
                firstRefused(v.text, [&](const QString &t) { return table.canStore(t); }))
            return unstorableMessage(*refused, v.label.isEmpty() ? v.column : v.label);
    }
    return std::nullopt;
}

std::optional<QString> VisitColumns::unstorableInWindowsText(const ColumnValue &v)
{
    if (const auto refused =
            firstRefused(v.text, [](const QString &t) { return canEncode(CodePage::Cp1252, t); }))
        return unstorableMessage(*refused, v.label.isEmpty() ? v.column : v.label);
    return std::nullopt;
}

data::DbfValues VisitColumns::encode(const data::DbfTable &table, const QList<ColumnValue> &values)
{
    data::DbfValues out;
    out.reserve(values.size());
    for (const ColumnValue &v : values) {
        const int index = table.fieldIndexOrThrow(v.column);
        const data::DbfField &field = table.fields().at(index);
        // Typed texts are cut like the engine did (single-byte code pages: one character is
        // one byte); numbers and keys the program makes must fit whole.
        const bool typed = !v.label.isEmpty() && field.type == 'C';
        const QString text = typed ? v.text.left(field.length) : v.text;
        table.encode(index, text); // throws naming the field when it does not fit
        out.append({index, text});
    }
    return out;
}

QString VisitColumns::text(const data::DbfTable &table, const char *record, const QString &column)
{
    const int index = table.fieldIndex(column);
    return index < 0 ? QString() : table.text(record, index);
}

VisitData VisitColumns::read(const data::DbfTable &table, const char *record)
{
    return read([&](const QString &column) { return text(table, record, column); });
}

VisitData VisitColumns::read(const std::function<QString(const QString &column)> &value)
{
    const auto t = [&](const char *column) { return value(QString::fromLatin1(column)); };
    VisitData v;
    v.name = t("Name");
    v.vorname = t("Vorname");
    v.firma = t("Firma");
    v.panr = t("PANR");
    v.kfz = t("KFZ");
    v.strasse = t("Strasse");
    v.plz = t("PLZ");
    v.ort = t("Ort");
    v.land = t("Land");
    v.telefon = t("Telefon");
    v.bemerkung = t("Bemerkung");
    v.ziel = t("Ziel");
    v.gueltigVon = t("GUELTIGVON");
    v.gueltigBis = t("GUELTIGBIS");
    for (int i = 0; i < 4; ++i)
        v.info[i] = value(QStringLiteral("Info%1").arg(i + 1)) == u"ja";
    v.photo = t("FOTO");
    return v;
}

} // namespace lobrix::registration

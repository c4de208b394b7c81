#include "records/ReportSqlBuilder.h"

#include "common/Error.h"

namespace lobrix::records {
namespace {

constexpr std::array<const char *, 7> kSqlOperators = {"=", ">", ">=", "<", "<=", "<>", "="};

QString u8(const char *s) { return QString::fromUtf8(s); }

int codeOf(const QStringList &lines, int line, int limit)
{
    bool ok = false;
    const int code = lines.at(line).trimmed().toInt(&ok);
    if (!ok || code < -1 || code >= limit)
        throw Error(QStringLiteral("Die Aufbaudatei des Berichts ist beschädigt: Zeile %1 (\"%2\") ist "
                                   "keine gültige Auswahl.")
                        .arg(line + 1)
                        .arg(lines.at(line)));
    return code;
}

bool flagOf(const QStringList &lines, int line)
{
    bool ok = false;
    return lines.at(line).trimmed().toInt(&ok) != 0 && ok;
}

QString flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

} // namespace

const std::array<ReportField, FieldCount> &reportFields()
{
    static const std::array<ReportField, FieldCount> fields = {{
        {"Tag des Besuchs", "chk15", "Tag des Besuchs", ", Tag", "Tag", ValueInput::Date},
        {"Beginn", "chk16", "Beginn", ", Kommt AS Beginn", "Kommt", ValueInput::Time},
        {"Ende", "chk17", "Ende", ", Geht AS Ende", "Geht", ValueInput::Time},
        {"Ausweis-Nr.", "chk1", "Ausweis Nr.", ", Ausweis AS Ausw", "Ausw", ValueInput::Text},
        {"Name", "chk2", "Name, Vorname", ", Name||', '||Vorname AS Name", "Name", ValueInput::Text},
        {"PA-Nr.", "chk4", "PA-Nr.", ", PANR AS PA_Nr", "PANR", ValueInput::Text},
        {"Firma", "chk5", "Firma", ", Firma", "Firma", ValueInput::Text},
        {"Strasse", "chk6", "Strasse", ", Strasse", "Strasse", ValueInput::Text},
        {"PLZ", "chk7", "PLZ", ", PLZ", "PLZ", ValueInput::Text},
        {"Ort", "chk8", "Ort", ", Ort", "ORT", ValueInput::Text},
        {"Land", "chk20", "Land", ", Land", "LAND", ValueInput::Text},
        {"Telefon", "chk9", "Telefon", ", Telefon", "Telefon", ValueInput::Text},
        {"Kfz-Kz.", "chk10", "Kfz-Kz.", ", KFZ", "KFZ", ValueInput::Text},
        {"Bemerkungen", "chk11", "Bemerkungen", ", Bemerkung", "Bemerkung", ValueInput::Text},
        {"Besuchsziel", "chk12", "Besuchsziel", ", ZIEL", "ZIEL", ValueInput::Text},
        {"Besuchsbestätigung", "chk13", "Besuchsbestätigung", ", QUITTUNG AS Bestätigung", "QUITTUNG", ValueInput::Text},
        {"Besuch bestätigt", "chk14", "Besuch bestätigt", ", QUITTIERT AS bestätigt", "QUITTIERT", ValueInput::Time},
        {"Dauer", "chk18", "Dauer", ", Anwesend AS Dauer", "ANWESEND", ValueInput::Text},
        {"Nutzer", "chk19", "Nutzer", ", Nutzer", "NUTZER", ValueInput::Text},
        {"Vorgangs-Nr.", nullptr, nullptr, nullptr, "VORGANG", ValueInput::Text},
    }};
    return fields;
}

const std::array<int, DisplayCheckCount> &displayOrder()
{
    static const std::array<int, DisplayCheckCount> order = {3, 4, 5, 6, 7, 8, 9, 11, 12, 13,
                                                             14, 15, 16, 0, 1, 2, 17, 18, 10};
    return order;
}

int displayIndexOf(int fieldCode)
{
    const auto &order = displayOrder();
    for (int i = 0; i < DisplayCheckCount; ++i)
        if (order[size_t(i)] == fieldCode)
            return i;
    return -1;
}

const std::array<const char *, 7> &operatorTexts()
{
    static const std::array<const char *, 7> texts = {"ist gleich", "grösser als", "grösser gleich als",
                                                      "kleiner als", "kleiner gleich als", "vorhanden",
                                                      "nicht vorhanden"};
    return texts;
}

QStringList ReportDefinition::sqlLines() const
{
    QString select = QStringLiteral("Select Vorgang");
    for (int i = 0; i < DisplayCheckCount; ++i)
        if (shown[size_t(i)])
            select += u8(reportFields()[size_t(displayOrder()[size_t(i)])].selectItem);

    QString where;
    bool any = false;
    for (int n = 0; n < ConditionCount; ++n) {
        const ReportCondition &c = conditions[size_t(n)];
        if (c.field < 0)
            continue;
        if (!any)
            where = QStringLiteral("WHERE");
        any = true;
        const QString column = u8(reportFields()[size_t(c.field)].column);
        const QString op = u8(kSqlOperators[size_t(c.op < 0 ? 0 : c.op)]);
        QString value = c.value;
        const bool presence = value == u"vorhanden" || value == u"nicht vorhanden";
        if ((column == u"QUITTUNG" || column == u"QUITTIERT") && presence)
            value = QStringLiteral("nein");
        if (value == u"  :  " || value == u"vorhanden" || value == u"nicht vorhanden")
            value.clear();
        // A typed apostrophe is part of the value, never the end of the literal.
        value.replace(u'\'', QStringLiteral("''"));
        where += (n == 0 ? QStringLiteral(" ") : QStringLiteral(" AND ")) + column + u' ' + op +
                 QStringLiteral(" '") + value + u'\'';
    }
    if (where.startsWith(QLatin1String("WHERE AND")))
        where = QStringLiteral("WHERE ") + where.mid(10);

    QString order;
    for (int k = 0; k < SortKeyCount; ++k) {
        const ReportSortKey &s = sortKeys[size_t(k)];
        if (s.field < 0)
            continue;
        if (k > 0)
            order += QStringLiteral(", ");
        order += u8(reportFields()[size_t(s.field)].column);
        if (s.descending)
            order += QStringLiteral(" DESC");
    }
    if (order.startsWith(u','))
        order = order.mid(2);
    if (!order.isEmpty())
        order = QStringLiteral("ORDER BY ") + order;
    return {select, QStringLiteral("From Besucher.dbf"), where, order};
}

QStringList ReportDefinition::stateLines() const
{
    QStringList lines;
    for (const bool s : shown)
        lines << flag(s);
    for (const ReportCondition &c : conditions)
        lines << QString::number(c.field) << QString::number(c.op) << c.value;
    for (const ReportSortKey &s : sortKeys)
        lines << QString::number(s.field) << flag(s.ascending) << flag(s.descending);
    return lines;
}

ReportDefinition ReportDefinition::fromStateLines(const QStringList &lines)
{
    if (lines.size() < StateLineCount)
        throw Error(QStringLiteral("Die Aufbaudatei des Berichts ist unvollständig: sie hat %1 Zeilen, "
                                   "nötig sind %2.")
                        .arg(lines.size())
                        .arg(StateLineCount));
    ReportDefinition d;
    for (int i = 0; i < DisplayCheckCount; ++i)
        d.shown[size_t(i)] = flagOf(lines, i);
    for (int n = 0; n < ConditionCount; ++n) {
        const int base = DisplayCheckCount + 3 * n;
        d.conditions[size_t(n)] = {codeOf(lines, base, FieldCount), codeOf(lines, base + 1, 7),
                                   lines.at(base + 2)};
    }
    for (int k = 0; k < SortKeyCount; ++k) {
        const int base = DisplayCheckCount + 3 * ConditionCount + 3 * k;
        d.sortKeys[size_t(k)] = {codeOf(lines, base, FieldCount), flagOf(lines, base + 1),
                                 flagOf(lines, base + 2)};
    }
    return d;
}

} // namespace lobrix::records

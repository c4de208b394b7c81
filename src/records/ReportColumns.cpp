#include "records/ReportColumns.h"

#include "records/VisitEndDate.h"

#include <QStringList>

namespace lobrix::records {
namespace {

using A = ColumnAlign;

struct Row {
    QStringList titles;
    TitleRule rule;
};

const std::vector<Row> &table()
{
    static const std::vector<Row> rows = {
        {{"VORGANG", "Vorgang"}, {{}, {}, A::Centre, QStringLiteral("Vorgang")}},
        {{"AUSW", "Ausw"}, {40, {}, A::Centre, QStringLiteral("Ausw")}},
        {{"TAG", "Tag"}, {70, A::Centre, A::Centre, QStringLiteral("Tag")}},
        {{"BEGINN", "Beginn"}, {50, A::Centre, A::Centre, QStringLiteral("Beginn")}},
        {{"ENDE", "Ende"}, {50, A::Centre, A::Centre, QStringLiteral("Ende")}},
        {{"DAUER", "Dauer"}, {80, A::Right, A::Centre, QStringLiteral("Dauer")}},
        {{"PLZ", "Plz"}, {60, A::Right, A::Centre, QStringLiteral("PLZ")}},
        {{"BESTAETIGU", "Bestaetigu", QStringLiteral("BESTÄTIGUN"), QStringLiteral("Bestätigun")},
         {75, A::Centre, A::Centre, QStringLiteral("Bestätigung")}},
        {{"BESTAETIGT", "Bestaetigt", QStringLiteral("BESTÄTIGT"), QStringLiteral("Bestätigt")},
         {70, A::Centre, A::Centre, QStringLiteral("Bestätigt")}},
        {{"KFZ", "Kfz"}, {70, {}, {}, {}}},
        {{"NAME", "Name"}, {150, {}, {}, QStringLiteral("Name")}},
        {{"FIRMA", "Firma"}, {160, {}, {}, QStringLiteral("Firma")}},
        {{"STRASSE"}, {{}, {}, {}, QStringLiteral("Strasse")}},
        {{"ORT"}, {{}, {}, {}, QStringLiteral("Ort")}},
        {{"LAND"}, {{}, {}, {}, QStringLiteral("Land")}},
        {{"PA_NR"}, {{}, {}, {}, QStringLiteral("PA_NR")}},
        {{"TELEFON"}, {{}, {}, {}, QStringLiteral("Telefon")}},
        {{"ZIEL"}, {{}, {}, {}, QStringLiteral("Ziel")}},
        {{"BEMERKUNG"}, {{}, {}, {}, QStringLiteral("Bemerkung")}},
        {{"NUTZER"}, {{}, {}, {}, QStringLiteral("Nutzer")}},
    };
    return rows;
}

bool isConfirmationField(const QString &name)
{
    return name == QStringLiteral("BESTÄTIGUN") || name == u"BESTAETIGU";
}

bool isDurationField(const QString &name) { return name == u"DAUER" || name == u"Dauer"; }

// "bis " + end date, or nothing when the visit ended on its own day.
std::optional<QString> laterEnd(const QString &duration, const FieldLookup &row, bool alwaysDuration)
{
    const auto day = row(QStringLiteral("Tag"));
    if (!day || alwaysDuration)
        return std::nullopt;
    QString end = *day;
    if (!duration.isEmpty()) {
        const auto begin = row(QStringLiteral("Beginn"));
        const auto finish = row(QStringLiteral("Ende"));
        if (!begin || !finish)
            return std::nullopt;
        const auto computed = VisitEndDate(*day, duration, *begin, *finish);
        if (!computed)
            return std::nullopt;
        end = *computed;
    }
    if (end == *day)
        return std::nullopt;
    return QStringLiteral("bis ") + end;
}

} // namespace

std::optional<TitleRule> titleRule(const QString &title)
{
    for (const Row &r : table())
        if (r.titles.contains(title))
            return r.rule;
    return std::nullopt;
}

bool isFixedWidthTitle(const QString &title)
{
    static const QStringList fixed = {"AUSW", "Ausw", "TAG", "Tag", "BEGINN", "Beginn", "ENDE", "Ende",
                                      "DAUER", "Dauer", "PLZ", "Plz", "KFZ", "Kfz",
                                      QStringLiteral("BESTÄTIGUNG"), QStringLiteral("Bestätigung"),
                                      QStringLiteral("BESTÄTIGT"), QStringLiteral("Bestätigt")};
    return fixed.contains(title);
}

ColumnAlign printAlignment(const QString &title)
{
    static const QStringList centred = {"BEGINN", "Beginn", "ENDE", "Ende", "TAG", "Tag", "DATUM", "Datum",
                                        QStringLiteral("BESTÄTIGUNG"), QStringLiteral("Bestätigung"),
                                        QStringLiteral("BESTÄTIGT"), QStringLiteral("Bestätigt")};
    static const QStringList right = {"DAUER", "Dauer", "NUMMER", "Nummer"};
    if (centred.contains(title))
        return ColumnAlign::Centre;
    if (right.contains(title))
        return ColumnAlign::Right;
    return ColumnAlign::Left;
}

QString shownCellText(const QString &fieldName, const QString &value, const FieldLookup &row,
                      bool alwaysDuration)
{
    if (isConfirmationField(fieldName)) {
        if (value == u"ja")
            return QStringLiteral("erfordert");
        if (value == u"nein")
            return QString();
    }
    if (isDurationField(fieldName))
        if (const auto end = laterEnd(value, row, alwaysDuration))
            return *end;
    return value;
}

bool isCentredReplacement(const QString &fieldName, const QString &value, const FieldLookup &row,
                          bool alwaysDuration)
{
    if (isConfirmationField(fieldName))
        return value == u"ja";
    return isDurationField(fieldName) && laterEnd(value, row, alwaysDuration).has_value();
}

int ReportPageMath::pages(int records) const
{
    const int perPage = std::max(1, dataLinesPerPage());
    if (records <= perPage)
        return 1;
    return (records + perPage - 1) / perPage;
}

} // namespace lobrix::records

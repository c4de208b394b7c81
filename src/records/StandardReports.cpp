#include "records/StandardReports.h"

#include "records/ReportFolder.h"
#include "records/ReportSqlBuilder.h"

namespace lobrix::records {
namespace {

// Field codes of the builder.
enum Code { Tag = 0, Beginn = 1, Ende = 2, Ausweis = 3, Name = 4, Firma = 6, Ziel = 14, Dauer = 17 };

void show(ReportDefinition &d, std::initializer_list<int> codes)
{
    for (const int code : codes)
        d.shown[size_t(displayIndexOf(code))] = true;
}

ReportDefinition ofDay(const QString &word)
{
    ReportDefinition d;
    show(d, {Ausweis, Name, Firma, Ziel, Tag, Beginn, Ende, Dauer});
    d.conditions[0] = {Tag, 0, word};
    d.sortKeys[0] = {Beginn, true, false};
    return d;
}

} // namespace

void StandardReports::install(const ReportFolder &folder)
{
    ReportDefinition present;
    show(present, {Ausweis, Name, Firma, Ziel, Tag, Beginn, Ende});
    present.conditions[0] = {Ende, OperatorAbsent, QStringLiteral("nicht vorhanden")};
    present.sortKeys[0] = {Name, true, false};
    folder.write(QString::fromUtf8(Present), present.sqlLines(), present.stateLines());

    const ReportDefinition today = ofDay(QStringLiteral("heute"));
    folder.write(QString::fromUtf8(Today), today.sqlLines(), today.stateLines());
    const ReportDefinition yesterday = ofDay(QStringLiteral("gestern"));
    folder.write(QString::fromUtf8(Yesterday), yesterday.sqlLines(), yesterday.stateLines());
}

} // namespace lobrix::records

#include "records/ReportExport.h"

#include "common/Error.h"
#include "data/SqlEngine.h"
#include "data/SqlText.h"
#include "records/ReportColumns.h"
#include "records/ReportFolder.h"
#include "records/ReportQuery.h"

namespace lobrix::records {
namespace {


QString csvField(const QString &raw)
{
    const QString value = exportedCell(raw);
    if (!value.contains(u';') && !value.contains(u'"') && !value.contains(u'\n') && !value.contains(u'\r'))
        return value;
    return u'"' + QString(value).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString tabField(const QString &raw)
{
    // One record per line, one field per TAB, whatever the values hold.
    QString value = exportedCell(raw);
    return value.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
}

} // namespace

QString exportedCell(const QString &value)
{
    // A spreadsheet program takes a cell that begins with one of these for a formula and
    // runs it (CSV injection); an apostrophe in front makes it text, as the OWASP guidance says.
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    return !value.isEmpty() && formulaStarts.contains(value.front()) ? u'\'' + value : value;
}

QString reportTitle(const QString &deliveredName)
{
    const auto rule = titleRule(deliveredName);
    return rule && rule->newTitle ? *rule->newTitle : deliveredName;
}

ReportTable runReport(data::SqlEngine &engine, const ReportFolder &folder, const QString &name,
                      const QString &currentDate, bool alwaysDuration)
{
    return runLines(engine, substituteDates(folder.readQuery(name), currentDate), alwaysDuration);
}

ReportTable runLines(data::SqlEngine &engine, const QStringList &lines, bool alwaysDuration)
{
    data::SqlQuery query = engine.query(statementOf(lines));
    ReportTable table;
    const int columns = query.columnCount();
    for (int c = 0; c < columns; ++c) {
        table.fieldNames << query.dbaseColumnName(c);
        table.titles << reportTitle(table.fieldNames.last());
    }
    QStringList values;
    const FieldLookup row = [&](const QString &field) -> std::optional<QString> {
        const int c = query.columnIndex(field);
        if (c < 0)
            return std::nullopt;
        return values.at(c);
    };
    qint64 bytes = 0;
    try {
        while (query.next()) {
            values.clear();
            for (int c = 0; c < columns; ++c)
                values << query.text(c);
            QStringList shown;
            for (int c = 0; c < columns; ++c) {
                shown << shownCellText(table.fieldNames.at(c), values.at(c), row, alwaysDuration);
                bytes += shown.last().size() * qint64(sizeof(QChar)) + 32; // text and its header
            }
            table.rows.push_back(std::move(shown));
            if (bytes > data::StatementBudget::MaxResultBytes) {
                table.stopped = data::StatementBudget::resultTooLargeMessage(qsizetype(table.rows.size()));
                break;
            }
        }
    } catch (const Error &e) {
        table.stopped = e.message();
    }
    return table;
}

QString exportLogText(const QString &report, int rows, const QString &file)
{
    return QStringLiteral("Export -> Bericht '%1': %2 Zeilen nach %3").arg(report).arg(rows).arg(file);
}

QByteArray tabText(const ReportTable &table)
{
    QStringList lines;
    QStringList head;
    for (const QString &t : table.titles)
        head << tabField(t);
    lines << head.join(u'\t');
    for (const QStringList &r : table.rows) {
        QStringList fields;
        for (const QString &v : r)
            fields << tabField(v);
        lines << fields.join(u'\t');
    }
    return (lines.join(u'\n') + u'\n').toUtf8();
}

QByteArray csvText(const ReportTable &table)
{
    QString text;
    const auto line = [&text](const QStringList &fields) {
        QStringList quoted;
        for (const QString &f : fields)
            quoted << csvField(f);
        text += quoted.join(u';') + QStringLiteral("\r\n");
    };
    line(table.titles);
    for (const QStringList &r : table.rows)
        line(r);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace lobrix::records

#pragma once
// A stored report run to its end and written out: TAB lines for a terminal, or CSV as
// spreadsheet programs in German offices open it (UTF-8 with BOM, ";" between fields,
// quotes where a field needs them, CR LF).
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace lobrix::data {
class SqlEngine;
}

namespace lobrix::records {

class ReportFolder;

struct ReportTable {
    QStringList titles;     // as the grid heads its columns
    QStringList fieldNames; // as delivered (upper case, at most ten characters)
    std::vector<QStringList> rows; // as the grid shows the cells
    // Why reading stopped before the end (the time or memory bound, a failing table); the
    // rows read until then stay. Empty when every row was read.
    QString stopped;
};

// Reads the report's query file, replaces the date placeholders for `currentDate`
// (DD.MM.YYYY) and runs it on `engine` (read-only for reports). Throws lobrix::Error when
// the file cannot be read or the engine refuses the statement.
ReportTable runReport(data::SqlEngine &engine, const ReportFolder &folder, const QString &name,
                      const QString &currentDate, bool alwaysDuration);

// The lines as they run (placeholders already replaced), every row read, up to the
// statement's time bound and StatementBudget::MaxResultBytes.
ReportTable runLines(data::SqlEngine &engine, const QStringList &lines, bool alwaysDuration);

// The grid's title for a delivered column name (the title table, else the name).
QString reportTitle(const QString &deliveredName);

// A cell as the exports write it: one that a spreadsheet would take for a formula (it
// begins with = + - @, a tab or a carriage return) gets an apostrophe in front. The grid
// and the stored data keep the text as typed.
QString exportedCell(const QString &value);

// The event-log line of an export: which report, how many rows, where to.
QString exportLogText(const QString &report, int rows, const QString &file);

QByteArray tabText(const ReportTable &table);
QByteArray csvText(const ReportTable &table);

} // namespace lobrix::records

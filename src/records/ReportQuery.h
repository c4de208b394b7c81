#pragma once
// A stored report's query as it runs: the date placeholders of its WHERE lines replaced.
#include <QString>
#include <QStringList>

namespace lobrix::records {

// A line whose first five characters are "Where", "WHERE" or "where".
bool isWhereLine(const QString &line);

// The query lines with 'heute' / 'gestern' (quotes included; also capitalised or in
// capitals) replaced by the quoted current date and the day before it, in WHERE lines
// only. With several WHERE lines the text of the last one stands in all of them, as the
// stored reports have always run. `currentDate` is DD.MM.YYYY.
QStringList substituteDates(QStringList lines, const QString &currentDate);

// The statement of the lines (one line after the other).
QString statementOf(const QStringList &lines);

} // namespace lobrix::records

#pragma once
// The day on which a visit ended, from what a report row holds: the visit day, the stored
// duration and the begin and end times. The reports show "bis " + that day for visits
// that ran past midnight; record correction shows the same.
#include <QString>

#include <optional>

namespace lobrix::records {

// Durations and times are read as "[H...]H:MM" with "." grouping allowed in the duration
// ("1.234:05"). When one of the three cannot be read the duration counts as 0 (the times
// read before it count). Nothing when the visit day is not a date.
std::optional<QString> VisitEndDate(const QString &visitDay, const QString &duration,
                                    const QString &beginTime, const QString &endTime);

} // namespace lobrix::records

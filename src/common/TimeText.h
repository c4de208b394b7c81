#pragma once
// The text forms in which the times, dates and durations of visits travel and are stored:
// time of day "HH:MM", date "DD.MM.YYYY", duration "[-]H:MM" with the hours grouped by "."
// every three digits ("1.234:05"). A malformed operand throws lobrix::Error naming the text,
// so no value computed from it can reach a table.
#include <QString>

class QDate;

namespace lobrix {

class Clock;

// The current time of day as HH:MM; the seconds are cut off, never rounded.
QString CurrentTimeText(const Clock &clock);
// The current time of day as HH:MM:SS (event log lines).
QString CurrentTimeWithSecondsText(const Clock &clock);
// The current date as DD.MM.YYYY.
QString CurrentDateText(const Clock &clock);

// A date as DD.MM.YYYY.
QString DateText(const QDate &date);
// Reads a DD.MM.YYYY text; anything else (or an impossible date) throws.
QDate DateFromText(const QString &text);

// Reads a duration operand: "[-]H:MM", hours possibly grouped by ".", a time text counts too.
qint64 DurationMinutes(const QString &text);
QString FormatDuration(qint64 minutes);
QString AddDurations(const QString &first, const QString &second);
// Whole days from one date text to the other (toDate minus fromDate).
qint64 DaysBetween(const QString &fromDate, const QString &toDate);
// The stored duration of a visit, from its arrival and departure time and date texts.
QString VisitDuration(const QString &arrivalTime, const QString &arrivalDate,
                      const QString &departureTime, const QString &departureDate);

} // namespace lobrix

#include "common/TimeText.h"

#include "common/Clock.h"
#include "common/Error.h"

#include <QDate>

namespace lobrix {

namespace {

// Beyond this the minutes of two operands could no longer be added safely; no visit lasts
// anywhere near that long, so such a text can only come from a damaged record.
constexpr qint64 MaxHours = 1'000'000'000'000LL;

[[noreturn]] void throwBadDuration(const QString &text)
{
    throw Error(QStringLiteral("Ungültige Zeitangabe: '%1'").arg(text));
}

[[noreturn]] void throwBadDate(const QString &text)
{
    throw Error(QStringLiteral("Ungültige Datumsangabe: '%1'").arg(text));
}

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

QString CurrentTimeWithSecondsText(const Clock &clock)
{
    return clock.now().time().toString(QStringLiteral("HH:mm:ss"));
}

QString CurrentTimeText(const Clock &clock)
{
    // Cutting the text (rather than rounding the time) keeps 08:59:59 at 08:59.
    return CurrentTimeWithSecondsText(clock).left(5);
}

QString CurrentDateText(const Clock &clock)
{
    return DateText(clock.now().date());
}

QString DateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QDate DateFromText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() != 10 || t[2] != QLatin1Char('.') || t[5] != QLatin1Char('.'))
        throwBadDate(text);
    const QStringView v(t);
    if (!allDigits(v.mid(0, 2)) || !allDigits(v.mid(3, 2)) || !allDigits(v.mid(6, 4)))
        throwBadDate(text);
    const QDate date(v.mid(6, 4).toInt(), v.mid(3, 2).toInt(), v.mid(0, 2).toInt());
    if (!date.isValid())
        throwBadDate(text);
    return date;
}

qint64 DurationMinutes(const QString &text)
{
    // Stored fields may arrive padded; the form itself has no blanks.
    const QString t = text.trimmed();
    if (t.size() < 4)
        throwBadDuration(text);
    // The grouping dots that FormatDuration writes sit in the hour part only; the third
    // character from the end separates hours from minutes and is deliberately not examined.
    QString hourText = t.left(t.size() - 3);
    hourText.remove(QLatin1Char('.'));
    const QStringView minuteText = QStringView(t).right(2);
    const bool negative = hourText.startsWith(QLatin1Char('-'));
    const QStringView hourDigits = QStringView(hourText).mid(negative ? 1 : 0);
    if (!allDigits(hourDigits) || !allDigits(minuteText))
        throwBadDuration(text);
    bool ok = false;
    const qint64 hours = hourDigits.toLongLong(&ok);
    if (!ok || hours > MaxHours)
        throwBadDuration(text);
    const qint64 minutes = minuteText.toInt();
    // "-08:30" is -(8 h 30 min): the minutes take the sign of the hours.
    return negative ? -(60 * hours + minutes) : 60 * hours + minutes;
}

QString FormatDuration(qint64 minutes)
{
    // Work on the unsigned magnitude so that even the most negative value has one.
    const quint64 magnitude =
        minutes < 0 ? quint64(0) - static_cast<quint64>(minutes) : static_cast<quint64>(minutes);
    const QString hours = QString::number(magnitude / 60);
    QString grouped;
    for (qsizetype i = 0; i < hours.size(); ++i) {
        if (i > 0 && (hours.size() - i) % 3 == 0)
            grouped += QLatin1Char('.');
        grouped += hours[i];
    }
    return (minutes < 0 ? QStringLiteral("-") : QString()) + grouped + QLatin1Char(':') +
           QStringLiteral("%1").arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

QString AddDurations(const QString &first, const QString &second)
{
    return FormatDuration(DurationMinutes(first) + DurationMinutes(second));
}

qint64 DaysBetween(const QString &fromDate, const QString &toDate)
{
    return DateFromText(fromDate).daysTo(DateFromText(toDate));
}

QString VisitDuration(const QString &arrivalTime, const QString &arrivalDate,
                      const QString &departureTime, const QString &departureDate)
{
    // Read the arrival time on its own first so that an error names the stored text, not
    // the negated operand built from it; a signed arrival time is no time of day.
    const QString arrival = arrivalTime.trimmed();
    if (arrival.startsWith(QLatin1Char('-')))
        throwBadDuration(arrivalTime);
    DurationMinutes(arrivalTime);

    const QString sameDay = AddDurations(departureTime, QLatin1Char('-') + arrival);
    const qint64 days = DaysBetween(arrivalDate, departureDate);
    return AddDurations(QString::number(24 * days) + QStringLiteral(":00"), sameDay);
}

} // namespace lobrix

#include "records/VisitEndDate.h"

#include <QDate>

namespace lobrix::records {
namespace {

// Hours before the last three characters, minutes in the last two: 26:30 -> 1590.
std::optional<int> minutesOf(const QString &text)
{
    if (text.size() < 4)
        return std::nullopt;
    bool hoursOk = false, minutesOk = false;
    const int hours = text.left(text.size() - 3).toInt(&hoursOk);
    const int minutes = text.right(2).toInt(&minutesOk);
    if (!hoursOk || !minutesOk)
        return std::nullopt;
    return hours * 60 + minutes;
}

} // namespace

std::optional<QString> VisitEndDate(const QString &visitDay, const QString &duration,
                                    const QString &beginTime, const QString &endTime)
{
    const QDate day = QDate::fromString(visitDay, QStringLiteral("dd.MM.yyyy"));
    if (!day.isValid())
        return std::nullopt;
    int durationMinutes = 0, begin = 0, end = 0;
    // In this order; the first that cannot be read stops the others.
    if (const auto d = minutesOf(QString(duration).remove(u'.'))) {
        durationMinutes = *d;
        if (const auto b = minutesOf(beginTime)) {
            begin = *b;
            if (const auto e = minutesOf(endTime))
                end = *e;
            else
                durationMinutes = 0;
        } else {
            durationMinutes = 0;
        }
    }
    const int days = durationMinutes / 1440 + (end < begin ? 1 : 0);
    return day.addDays(days).toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace lobrix::records

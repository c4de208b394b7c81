#include "registration/ValidityDates.h"

#include <QDate>

namespace lobrix::registration {
namespace {

QDate dateOf(const QString &text)
{
    return QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
}

QString notADate(const QString &caption, const QString &text)
{
    return QStringLiteral("'%1' bei \"%2\" ist kein gültiges Datum. Bitte geben Sie das Datum als "
                          "TT.MM.JJJJ ein, zum Beispiel 24.12.2026.")
        .arg(text, caption);
}

} // namespace

std::optional<ValidityDates::Problem> ValidityDates::check(const QString &von, const QString &bis)
{
    const QString from = von.trimmed(), to = bis.trimmed();
    const QDate fromDate = dateOf(from), toDate = dateOf(to);
    if (!from.isEmpty() && !fromDate.isValid())
        return Problem{Field::Von, notADate(QStringLiteral("Ausweis gültig von"), from)};
    if (!to.isEmpty() && !toDate.isValid())
        return Problem{Field::Bis, notADate(QStringLiteral("bis"), to)};
    if (fromDate.isValid() && toDate.isValid() && toDate < fromDate)
        return Problem{Field::Bis, QStringLiteral("Der Ausweis kann nicht bis %1 gültig sein, wenn er "
                                                  "erst ab %2 gilt.")
                                       .arg(to, from)};
    return std::nullopt;
}

} // namespace lobrix::registration

#pragma once
// The badge's validity period of a visit ("Ausweis gültig von" ... "bis"): each date is
// empty or a real calendar date DD.MM.YYYY, and "bis" is not before "von".
#include <QString>

#include <optional>

namespace lobrix::registration {

class ValidityDates {
public:
    enum class Field { Von, Bis };
    struct Problem {
        Field field;     // the field to put the focus on
        QString message; // for the clerk
    };

    // None when the period can be stored. Blanks count as empty.
    static std::optional<Problem> check(const QString &von, const QString &bis);
};

} // namespace lobrix::registration

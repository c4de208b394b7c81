#include "layouts/VisitValues.h"

#include "layouts/LayoutFields.h"

namespace lobrix::layouts {

QString VisitValues::printedText(LayoutFamily family, const QString &fieldKey) const
{
    if (!LayoutFields::isPrinted(family, fieldKey) || fieldKey == QLatin1String(fields::FOTO))
        return {};
    if (family == LayoutFamily::Badge && fieldKey == QLatin1String(fields::Name)) {
        const QString firstName = value(QString::fromLatin1(fields::Vorname));
        const QString name = value(fieldKey);
        return firstName.isEmpty() ? name : name + QStringLiteral(", ") + firstName;
    }
    return value(fieldKey);
}

} // namespace lobrix::layouts

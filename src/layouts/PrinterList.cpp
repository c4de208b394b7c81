#include "layouts/PrinterList.h"

#include "common/Error.h"

namespace lobrix::layouts {

QString PrinterList::at(int position) const
{
    const QString nothingPrinted = QStringLiteral(" Es wurde nichts gedruckt.");
    if (position == -1) {
        if (m_default.isEmpty())
            throw Error(QStringLiteral("Es ist kein Standarddrucker eingerichtet.") +
                        nothingPrinted);
        return m_default;
    }
    if (m_names.isEmpty())
        throw Error(QStringLiteral("Es ist kein Drucker eingerichtet.") + nothingPrinted);
    if (position < -1 || position >= m_names.size())
        throw Error(QStringLiteral("Der eingestellte Drucker Nr. %1 ist nicht vorhanden; "
                                   "eingerichtet sind die Drucker Nr. 0 bis %2 (-1 ist der "
                                   "Standarddrucker). Bitte wählen Sie in den Einstellungen "
                                   "einen Drucker aus.")
                        .arg(position)
                        .arg(m_names.size() - 1) +
                    nothingPrinted);
    return m_names.at(position);
}

} // namespace lobrix::layouts

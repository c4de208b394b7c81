#pragma once
// The system's printers by position, as settings.ini names them ([Options] Printer1 and
// Printer2): 0 is the first printer of the list, -1 the system's default printer.
#include <QString>
#include <QStringList>

namespace lobrix::layouts {

class PrinterList
{
public:
    PrinterList(QStringList names, QString defaultName)
        : m_names(std::move(names)), m_default(std::move(defaultName))
    {
    }

    const QStringList &names() const { return m_names; }
    const QString &defaultName() const { return m_default; }

    // The name of the printer at `position`. A position that names no printer (below -1,
    // beyond the list, or -1 without a default printer) throws lobrix::Error with a
    // message for the clerk: the print must not go to some other printer instead.
    QString at(int position) const;

private:
    QStringList m_names;
    QString m_default;
};

} // namespace lobrix::layouts

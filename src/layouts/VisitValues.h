#pragma once
// The values of the visit that a layout prints, as the visit form shows them at the
// moment of printing: one text per field key (see fields:: in LayoutFields.h) and the
// photo as the form displays it. The form fills "QUITTUNG" with "ja"/"nein" and each
// "InfoN" with the option's caption when it is ticked, otherwise leaves it empty.
#include "layouts/LayoutFamily.h"

#include <QHash>
#include <QImage>
#include <QString>

namespace lobrix::layouts {

class VisitValues
{
public:
    void set(const QString &fieldKey, const QString &text) { m_values.insert(fieldKey, text); }
    QString value(const QString &fieldKey) const { return m_values.value(fieldKey); }

    void setPhoto(const QImage &photo) { m_photo = photo; }
    const QImage &photo() const { return m_photo; }
    bool hasPhoto() const
    {
        return !m_photo.isNull() && m_photo.width() > 0 && m_photo.height() > 0;
    }

    // The text a text item bound to `fieldKey` prints. The badge prints "Name" as
    // surname, ", " and first name (the first name only when there is one); a key the
    // family does not print (unknown keys, "FOTO", "Vorname" and "Ressourcen" on a
    // badge) prints nothing.
    QString printedText(LayoutFamily family, const QString &fieldKey) const;

private:
    QHash<QString, QString> m_values;
    QImage m_photo;
};

} // namespace lobrix::layouts

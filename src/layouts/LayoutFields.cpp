#include "layouts/LayoutFields.h"

#include <QList>

namespace lobrix::layouts {
namespace {

struct Field {
    const char *key;
    const char *badgeEntry; // nullptr: the badge designer does not offer it
    const char *sheetEntry;
};

// In the order of the designers' lists.
constexpr Field kFields[] = {
    {fields::Tag, "Tag des Besuchs", "Tag des Besuchs"},
    {fields::Kommt, "Beginn", "Beginn"},
    {fields::Ausweis, "Ausweis-Nr.", "Ausweis-Nr."},
    {fields::Name, "Name, Vorname", "Name"},
    {fields::Vorname, nullptr, "Vorname"},
    {fields::PANR, "PA-Nr.", "PA-Nr."},
    {fields::Firma, "Firma", "Firma"},
    {fields::Strasse, "Strasse", "Strasse"},
    {fields::PLZ, "PLZ", "PLZ"},
    {fields::ORT, "Ort", "Ort"},
    {fields::LAND, "Land", "Land"},
    {fields::Telefon, "Telefon", "Telefon"},
    {fields::KFZ, "Kfz-Kz.", "Kfz-Kz."},
    {fields::Bemerkung, "Bemerkungen", "Bemerkungen"},
    {fields::ZIEL, "Besuchsziel", "Besuchsziel"},
    {fields::QUITTUNG, "Besuchsbestätigung", "Besuchsbestätigung"},
    {fields::NUTZER, "Nutzer", "Nutzer"},
    {fields::GUELTIGVON, "Gültig von", "Gültig von"},
    {fields::GUELTIGBIS, "Gültig bis", "Gültig bis"},
    {fields::VORGANG, "Vorgangs-Nr.", "Vorgangs-Nr."},
    {fields::FOTO, "Foto", "Foto"},
    {fields::Info1, "Info1", "Info1"},
    {fields::Info2, "Info2", "Info2"},
    {fields::Info3, "Info3", "Info3"},
    {fields::Info4, "Info4", "Info4"},
    {fields::Ressourcen, nullptr, "Ressourcen"},
};

const char *entryOf(const Field &field, LayoutFamily family)
{
    return family == LayoutFamily::Badge ? field.badgeEntry : field.sheetEntry;
}

// The fields the family offers, in list order.
QList<const Field *> offered(LayoutFamily family)
{
    QList<const Field *> list;
    for (const Field &field : kFields)
        if (entryOf(field, family))
            list.append(&field);
    return list;
}

} // namespace

QStringList LayoutFields::entryNames(LayoutFamily family)
{
    QStringList names;
    for (const Field *field : offered(family))
        names.append(QString::fromUtf8(entryOf(*field, family)));
    return names;
}

QString LayoutFields::fieldKey(LayoutFamily family, int index)
{
    const QList<const Field *> list = offered(family);
    if (index < 0 || index >= list.size())
        return {};
    return QString::fromLatin1(list.at(index)->key);
}

int LayoutFields::indexOf(LayoutFamily family, const QString &fieldKey)
{
    const QList<const Field *> list = offered(family);
    for (qsizetype i = 0; i < list.size(); ++i)
        if (fieldKey == QLatin1String(list.at(i)->key))
            return static_cast<int>(i);
    return -1;
}

bool LayoutFields::isPrinted(LayoutFamily family, const QString &fieldKey)
{
    return indexOf(family, fieldKey) >= 0;
}

QString LayoutFields::boundCaption(LayoutFamily family, int index)
{
    const QStringList names = entryNames(family);
    if (index < 0 || index >= names.size())
        return {};
    return u'[' + names.at(index) + u']';
}

} // namespace lobrix::layouts

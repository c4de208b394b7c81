#pragma once
// The field keys that layout items bind to, and the field lists of the two designers.
// An item stores the key (`Feld`) and the position of the entry in its designer's list
// (`FeldIndex`), so one key has different indexes in the two families.
#include "layouts/LayoutFamily.h"

#include <QString>
#include <QStringList>

namespace lobrix::layouts {

namespace fields {
inline constexpr char Tag[] = "Tag";
inline constexpr char Kommt[] = "Kommt";
inline constexpr char Ausweis[] = "Ausweis";
inline constexpr char Name[] = "Name";
inline constexpr char Vorname[] = "Vorname";
inline constexpr char PANR[] = "PANR";
inline constexpr char Firma[] = "Firma";
inline constexpr char Strasse[] = "Strasse";
inline constexpr char PLZ[] = "PLZ";
inline constexpr char ORT[] = "ORT";
inline constexpr char LAND[] = "LAND";
inline constexpr char Telefon[] = "Telefon";
inline constexpr char KFZ[] = "KFZ";
inline constexpr char Bemerkung[] = "Bemerkung";
inline constexpr char ZIEL[] = "ZIEL";
inline constexpr char QUITTUNG[] = "QUITTUNG";
inline constexpr char NUTZER[] = "NUTZER";
inline constexpr char GUELTIGVON[] = "GUELTIGVON";
inline constexpr char GUELTIGBIS[] = "GUELTIGBIS";
inline constexpr char VORGANG[] = "VORGANG";
inline constexpr char FOTO[] = "FOTO";
inline constexpr char Info1[] = "Info1";
inline constexpr char Info2[] = "Info2";
inline constexpr char Info3[] = "Info3";
inline constexpr char Info4[] = "Info4";
inline constexpr char Ressourcen[] = "Ressourcen";
} // namespace fields

class LayoutFields
{
public:
    // The entry names of the designer's field list (`cbxFeld1`), in their order.
    static QStringList entryNames(LayoutFamily family);
    // The field key of the entry at `index`; empty for -1 or a position beyond the list.
    static QString fieldKey(LayoutFamily family, int index);
    // The position of the key's entry in the family's list, -1 when it has none.
    static int indexOf(LayoutFamily family, const QString &fieldKey);
    // Whether the family prints a value for this key (case matters, as in the files).
    static bool isPrinted(LayoutFamily family, const QString &fieldKey);
    // The caption a bound text item shows in the designer: the entry name in brackets.
    static QString boundCaption(LayoutFamily family, int index);
};

} // namespace lobrix::layouts

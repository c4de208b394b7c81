#pragma once
// Section and key names of layout files, spelled as existing installations wrote them.
#include "layouts/LayoutFamily.h"

#include <QString>

namespace lobrix::layouts::keys {

inline constexpr char Orientation[] = "Orientation";
inline constexpr char poPortrait[] = "poPortrait";

// Height of "H" in Arial 10 pt on the designer's screen; badge texts scale by it.
inline constexpr char FontScale[] = "FontScale";
inline constexpr char FontScaleHeight[] = "Height";
inline constexpr int DefaultFontScaleHeight = 16;

// Raster step of the visitor sheet designer; no printer reads it.
inline constexpr char Raster[] = "Raster";
inline constexpr char Abstand[] = "Abstand";
inline constexpr int DefaultRasterAbstand = 4;

// Keys of both item kinds.
inline constexpr char Visible[] = "Visible";
inline constexpr char Left[] = "Left";
inline constexpr char Top[] = "Top";
inline constexpr char Feld[] = "Feld";
inline constexpr char FeldIndex[] = "FeldIndex";

// Picture items.
inline constexpr char Width[] = "Width";
inline constexpr char Height[] = "Height";
inline constexpr char Pfad[] = "Pfad";
inline constexpr char Relation[] = "Relation";

// Text items.
inline constexpr char FontName[] = "FontName";
inline constexpr char FontSize[] = "FontSize";
inline constexpr char FontColor[] = "FontColor";
inline constexpr char Bold[] = "Bold";
inline constexpr char Italic[] = "Italic";
inline constexpr char Underline[] = "Underline";
inline constexpr char StrikeOut[] = "StrikeOut";
inline constexpr char Caption[] = "Caption";

// "Label7", "Picture12".
inline QString itemSection(ItemKind kind, int slot)
{
    return (kind == ItemKind::Label ? QStringLiteral("Label") : QStringLiteral("Picture")) +
           QString::number(slot);
}

} // namespace lobrix::layouts::keys

#pragma once
// The two kinds of layout files. They share one format and differ in their coordinate
// space and in how many item slots a reader looks at.
#include <QSize>

namespace lobrix::layouts {

enum class LayoutFamily { Badge, VisitorSheet };

// Text items live in [LabelN], picture items in [PictureN].
enum class ItemKind { Label, Picture };

// Slots 1 to slotCount of each kind; readers never look beyond.
constexpr int slotCount(LayoutFamily family)
{
    return family == LayoutFamily::Badge ? 20 : 200;
}

// The card or page in layout units. The sheet's short side is 1000 / sqrt(2) cut to an
// integer: 707, not 708.
constexpr QSize layoutExtent(LayoutFamily family, bool portrait)
{
    const QSize landscape = family == LayoutFamily::Badge ? QSize(510, 320) : QSize(1000, 707);
    return portrait ? landscape.transposed() : landscape;
}

} // namespace lobrix::layouts

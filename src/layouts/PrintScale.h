#pragma once
// Printer dots per layout unit, one factor per axis, held as single-precision floats as
// the printers always did, so positions land on the same dots. Coordinates are truncated
// toward zero, never rounded.
#include "common/Numbers.h"

#include <QSize>

namespace lobrix::layouts {

struct Layout;
struct LayoutRenderOptions;

struct PrintScale {
    // The inch in centimetres, as the single-precision constant.
    static constexpr float CmPerInch = 2.54f;

    float sx = 1.0f;
    float sy = 1.0f;

    // `dpi` is the printer's vertical resolution; it serves both axes.
    static PrintScale visitorSheet(bool portrait, int dpi);
    static PrintScale badge(bool portrait, int ausweisBreiteMm, int ausweisHoeheMm, int dpi);
    static PrintScale forLayout(const Layout &layout, const LayoutRenderOptions &options, int dpi);

    // The badge's full extent in dots (d × edge / 2.54, truncated), for its outline.
    static QSize cardExtent(bool portrait, int ausweisBreiteMm, int ausweisHoeheMm, int dpi);

    int x(double layoutValue) const { return truncatedToInt(layoutValue * sx); }
    int y(double layoutValue) const { return truncatedToInt(layoutValue * sy); }
};

} // namespace lobrix::layouts

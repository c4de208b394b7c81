#include "layouts/PrintScale.h"

#include "layouts/Layout.h"
#include "layouts/LayoutRenderOptions.h"

namespace lobrix::layouts {
namespace {

// Dots for `cm` centimetres spread over `units` layout units.
float factor(int dpi, double cm, int units)
{
    return static_cast<float>(dpi * cm / double(PrintScale::CmPerInch) / units);
}

} // namespace

PrintScale PrintScale::visitorSheet(bool portrait, int dpi)
{
    const float shortSide = factor(dpi, 20, 707);
    const float longSide = factor(dpi, 29, 1000);
    return portrait ? PrintScale{shortSide, longSide} : PrintScale{longSide, shortSide};
}

PrintScale PrintScale::badge(bool portrait, int ausweisBreiteMm, int ausweisHoeheMm, int dpi)
{
    const float shortSide = factor(dpi, ausweisBreiteMm * 0.1, 320);
    const float longSide = factor(dpi, ausweisHoeheMm * 0.1, 510);
    return portrait ? PrintScale{shortSide, longSide} : PrintScale{longSide, shortSide};
}

PrintScale PrintScale::forLayout(const Layout &layout, const LayoutRenderOptions &options, int dpi)
{
    if (layout.family == LayoutFamily::VisitorSheet)
        return visitorSheet(layout.portrait, dpi);
    return badge(layout.portrait, options.ausweisBreiteMm, options.ausweisHoeheMm, dpi);
}

QSize PrintScale::cardExtent(bool portrait, int ausweisBreiteMm, int ausweisHoeheMm, int dpi)
{
    const auto dots = [dpi](int mm) {
        return truncatedToInt(dpi * (mm * 0.1) / double(CmPerInch));
    };
    const QSize landscape(dots(ausweisHoeheMm), dots(ausweisBreiteMm));
    return portrait ? landscape.transposed() : landscape;
}

} // namespace lobrix::layouts

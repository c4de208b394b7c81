#pragma once
// A whole layout as the printers read it: orientation, font scale and the items in use,
// each list ordered by slot.
#include "layouts/LayoutFamily.h"
#include "layouts/LayoutKeys.h"
#include "layouts/LayoutLabel.h"
#include "layouts/LayoutPicture.h"

#include <QList>

namespace lobrix::layouts {

struct Layout {
    LayoutFamily family = LayoutFamily::Badge;
    bool portrait = false;
    int fontScaleHeight = keys::DefaultFontScaleHeight;
    int rasterAbstand = keys::DefaultRasterAbstand;
    QList<LayoutPicture> pictures;
    QList<LayoutLabel> labels;

    QSize extent() const { return layoutExtent(family, portrait); }

    bool operator==(const Layout &) const = default;
};

} // namespace lobrix::layouts

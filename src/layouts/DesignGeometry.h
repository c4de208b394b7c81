#pragma once
// Where a layout lies on a designer's canvas: the card or page (layout units times the
// zoom) centred on the canvas, a layout point shown at its zoomed position plus the
// offsets, a canvas point read back with truncation. A snapping step (0: none) rounds
// canvas positions to the nearest multiple of the effective step (step times zoom,
// truncated; an effective step below 1 does not snap).
#include "layouts/LayoutFamily.h"

#include <QPoint>
#include <QSize>

namespace lobrix::layouts {

struct DesignGeometry {
    LayoutFamily family = LayoutFamily::Badge;
    bool portrait = false;
    QSize canvas{574, 528};
    double zoom = 1.0;
    int step = 0;

    // The card or page on the canvas, in pixels.
    QSize area() const
    {
        const QSize e = layoutExtent(family, portrait);
        return QSize(int(e.width() * zoom), int(e.height() * zoom));
    }
    // The card: half the canvas less half the card; the page: half of what is left.
    QPoint offset() const
    {
        const QSize a = area();
        if (family == LayoutFamily::Badge)
            return QPoint(canvas.width() / 2 - a.width() / 2, canvas.height() / 2 - a.height() / 2);
        return QPoint((canvas.width() - a.width()) / 2, (canvas.height() - a.height()) / 2);
    }
    // A canvas point on the raster, each coordinate measured from the canvas origin.
    QPoint snap(const QPoint &p) const { return QPoint(snap(p.x()), snap(p.y())); }
    QPoint toCanvas(const QPoint &layout) const
    {
        return QPoint(int(layout.x() * zoom), int(layout.y() * zoom)) + offset();
    }
    QPoint toLayout(const QPoint &canvasPoint) const
    {
        const QPoint p = canvasPoint - offset();
        return QPoint(int(p.x() / zoom), int(p.y() / zoom));
    }
    int effectiveStep() const { return int(step * zoom); }
    // A canvas coordinate on the raster: the nearest multiple of the effective step, a
    // remainder of exactly half going down.
    int snap(int value) const
    {
        const int s = effectiveStep();
        if (s < 1)
            return value;
        const int below = value >= 0 ? value / s * s : -((-value + s - 1) / s * s);
        return value - below <= s - (value - below) ? below : below + s; // a tie goes down
    }
};

} // namespace lobrix::layouts

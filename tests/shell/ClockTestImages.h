#pragma once
// Pixel probes for the clock tests: where a point of the dial lies, and which colours a
// rendered clock shows around it.
#include "shell/ClockFace.h"

#include <QImage>
#include <QRect>
#include <QtMath>

namespace lobrix::test
{

inline const QColor Ink(255, 0, 0);        // the clock colour the tests choose
inline const QColor Ground(218, 238, 248); // the main window's background
inline const QColor Silver(192, 192, 192); // shadows

// The point `distance` pixels from the centre in the direction a clock hand shows at
// `clockDegrees` (0 is twelve o'clock, growing clockwise, y growing downwards).
inline QPoint dialPoint(const shell::ClockGeometry &g, double clockDegrees, double distance)
{
    const double r = qDegreesToRadians(clockDegrees);
    return QPoint(qRound(g.centreX + std::sin(r) * distance),
                  qRound(g.centreY - std::cos(r) * distance));
}

inline int countColour(const QImage &image, const QRect &area, const QColor &color)
{
    int n = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += image.pixelColor(x, y) == color;
    return n;
}

// Whether a pixel of `color` lies within `reach` pixels of p (lines are rasterised to
// one side or the other of their exact course).
inline bool colourNear(const QImage &image, const QPoint &p, const QColor &color, int reach = 1)
{
    return countColour(image, QRect(p - QPoint(reach, reach), p + QPoint(reach, reach)), color) > 0;
}

// The lowest y of `color` in column x between y0 and y1, or -1.
inline int lowestIn(const QImage &image, int x, int y0, int y1, const QColor &color)
{
    for (int y = y1; y >= y0; --y) {
        if (image.valid(x, y) && image.pixelColor(x, y) == color)
            return y;
    }
    return -1;
}

} // namespace lobrix::test

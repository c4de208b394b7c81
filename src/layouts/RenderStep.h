#pragma once
// One drawing operation of a rendered layout, in printer dots. The renderer first plans
// the steps (all geometry and texts), then paints them in order, later over earlier.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

namespace lobrix::layouts {

struct RenderStep {
    enum class Kind {
        Picture, // the bitmap `imagePath` stretched into `rect`
        Photo,   // the visit's photo stretched into `rect`
        Text,    // `text` in `font` and `color` with its top-left at `position`
        Outline, // the card's edge: `rect` outlined with a 4-dot pen
    };

    Kind kind = Kind::Text;
    int slot = 0;
    QRect rect; // from (x1, y1) to (x2, y2), the right and bottom edges excluded
    QString imagePath;
    QImage image; // the photo
    QPoint position;
    QFont font;
    QColor color;
    QString text;
    QColor ground = Qt::white; // behind a text: the designers show selected texts silver
};

} // namespace lobrix::layouts

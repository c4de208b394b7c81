#pragma once
// Renders a layout onto any QPainter (printer, PDF, image) at the device's resolution:
// for slot 1 to the family's slot count, the picture item, then the text item. Texts sit
// on an opaque white ground. A picture that cannot be loaded is skipped without a word.
//
// With a visit, text items print their bound values and a photo placeholder prints the
// visit's photo; without one (the designers' test prints) texts print their captions and
// pictures their bitmaps. Needs a QGuiApplication (fonts).
#include "layouts/Layout.h"
#include "layouts/LayoutRenderOptions.h"
#include "layouts/PrintScale.h"
#include "layouts/RenderStep.h"

#include <QList>
#include <QPageLayout>

class QPainter;
class QPaintDevice;

namespace lobrix::layouts {

class VisitValues;

class LayoutRenderer
{
public:
    // Renders the visit's print, or the test print when `visit` is null.
    static void render(QPainter &painter, const Layout &layout, const VisitValues *visit,
                       const LayoutRenderOptions &options);

    // The steps `render` paints on `device`.
    static QList<RenderStep> plan(const Layout &layout, const VisitValues *visit,
                                  const LayoutRenderOptions &options, const QPaintDevice &device);
    static void paint(QPainter &painter, const QList<RenderStep> &steps);

    // A designer's canvas: the test print's steps at `scale` (canvas pixels per layout
    // unit), badge texts sized by `fontFactor` (the canvas's "H" height over the layout's
    // FontScale), so the canvas shows what prints.
    static QList<RenderStep> planCanvas(const Layout &layout, const QString &imagesFolder, const PrintScale &scale,
                                        double fontFactor);
    // Where a text step lies on `device`: its top-left and its extent in the step's font.
    static QRect textRect(const RenderStep &step, const QPaintDevice &device);

    // The resolution d the scales come from: the device's vertical dots per inch, the
    // value by which it sizes fonts.
    static int resolution(const QPaintDevice &device);
    // Height in pixels of "H" in Arial 10 pt (the full cell height) on the device, or
    // on the screen when it is null: the layout's [FontScale] Height when measured on
    // the designer's screen.
    static int letterHeight(const QPaintDevice *device);
    // Badge texts: the printer's "H" height over the layout's screen "H" height.
    static double badgeFontFactor(const QPaintDevice &device, int fontScaleHeight);
    // The printed point size of a badge text: trunc(FontSize / factor × sy), at least 1.
    static int badgeFontPoints(int fontSize, double fontFactor, float sy);

    // The rectangle a picture's bitmap is stretched into.
    static QRect pictureRect(const LayoutPicture &picture, const PrintScale &scale);
    // The rectangle of the photo in a placeholder: an upright photo keeps the item's
    // height, a wide one its width; the other edge follows the photo's proportions.
    static QRect photoRect(const LayoutPicture &picture, const QSize &photo,
                           const PrintScale &scale);

    // The printer orientation: the layout's; for a badge with HochQuer the opposite.
    static QPageLayout::Orientation printerOrientation(const Layout &layout, bool hochQuer);
    // "Besucherausweis" or "Besucherschein".
    static QString documentTitle(LayoutFamily family);
};

} // namespace lobrix::layouts

#include "layouts/LayoutRenderer.h"

#include "common/ImageFile.h"

#include "common/Numbers.h"

#include "layouts/LayoutLocations.h"
#include "layouts/VisitValues.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <optional>

namespace lobrix::layouts {
namespace {

QFont arial10()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    return font;
}

template <typename Item> const Item *itemInSlot(const QList<Item> &items, int slot)
{
    const auto it = std::find_if(items.begin(), items.end(),
                                 [slot](const Item &item) { return item.slot == slot; });
    return it == items.end() ? nullptr : &*it;
}

// A picture item: the visit's photo in a placeholder, otherwise its bitmap. Nothing
// when there is neither.
std::optional<RenderStep> pictureStep(const LayoutPicture &p, const VisitValues *visit,
                                      const LayoutRenderOptions &options, const PrintScale &scale)
{
    RenderStep step;
    step.slot = p.slot;
    if (visit && p.isPhotoPlaceholder() && visit->hasPhoto()) {
        step.kind = RenderStep::Kind::Photo;
        step.image = visit->photo();
        step.rect = LayoutRenderer::photoRect(p, step.image.size(), scale);
        return step;
    }
    if (p.pfad.isEmpty())
        return std::nullopt;
    step.kind = RenderStep::Kind::Picture;
    step.imagePath = LayoutLocations::picture(options.imagesFolder, p.pfad);
    step.rect = LayoutRenderer::pictureRect(p, scale);
    return step;
}

RenderStep textStep(const LayoutLabel &l, LayoutFamily family, const VisitValues *visit,
                    const PrintScale &scale, double fontFactor)
{
    RenderStep step;
    step.kind = RenderStep::Kind::Text;
    step.slot = l.slot;
    step.font = QFont(l.appliedFontName());
    step.font.setPointSize(family == LayoutFamily::Badge
                               ? LayoutRenderer::badgeFontPoints(l.fontSize, fontFactor, scale.sy)
                               : std::max(1, l.fontSize));
    // Every style is set or cleared, so nothing carries over from the previous text.
    step.font.setBold(l.bold);
    step.font.setItalic(l.italic);
    step.font.setUnderline(l.underline);
    step.font.setStrikeOut(l.strikeOut);
    step.color = l.color();
    step.position = QPoint(scale.x(l.left), scale.y(l.top));
    step.text = (!visit || l.feld.isEmpty()) ? l.caption : visit->printedText(family, l.feld);
    return step;
}

void paintText(QPainter &painter, const RenderStep &step)
{
    painter.setFont(step.font);
    const QFontMetrics metrics = painter.fontMetrics();
    // The text blanks the area of its own extent behind it.
    painter.fillRect(
        QRect(step.position, QSize(metrics.horizontalAdvance(step.text), metrics.height())),
        step.ground);
    painter.setPen(step.color);
    painter.drawText(QPoint(step.position.x(), step.position.y() + metrics.ascent()), step.text);
}

// For slot 1 to the family's count: the picture, then the text.
void appendItems(QList<RenderStep> &steps, const Layout &layout, const VisitValues *visit,
                 const LayoutRenderOptions &options, const PrintScale &scale, double fontFactor)
{
    for (int slot = 1; slot <= slotCount(layout.family); ++slot) {
        if (const LayoutPicture *p = itemInSlot(layout.pictures, slot))
            if (auto step = pictureStep(*p, visit, options, scale))
                steps.append(*step);
        if (const LayoutLabel *l = itemInSlot(layout.labels, slot))
            steps.append(textStep(*l, layout.family, visit, scale, fontFactor));
    }
}

} // namespace

void LayoutRenderer::render(QPainter &painter, const Layout &layout, const VisitValues *visit,
                            const LayoutRenderOptions &options)
{
    paint(painter, plan(layout, visit, options, *painter.device()));
}

QList<RenderStep> LayoutRenderer::plan(const Layout &layout, const VisitValues *visit,
                                       const LayoutRenderOptions &options,
                                       const QPaintDevice &device)
{
    const int dpi = resolution(device);
    const PrintScale scale = PrintScale::forLayout(layout, options, dpi);
    const bool badge = layout.family == LayoutFamily::Badge;
    const double fontFactor = badge ? badgeFontFactor(device, layout.fontScaleHeight) : 1.0;

    QList<RenderStep> steps;
    if (badge && !visit && options.cardOutline) {
        RenderStep outline;
        outline.kind = RenderStep::Kind::Outline;
        outline.rect =
            QRect(QPoint(0, 0), PrintScale::cardExtent(layout.portrait, options.ausweisBreiteMm,
                                                       options.ausweisHoeheMm, dpi));
        steps.append(outline);
    }
    appendItems(steps, layout, visit, options, scale, fontFactor);
    return steps;
}

QList<RenderStep> LayoutRenderer::planCanvas(const Layout &layout, const QString &imagesFolder,
                                             const PrintScale &scale, double fontFactor)
{
    LayoutRenderOptions options;
    options.imagesFolder = imagesFolder;
    QList<RenderStep> steps;
    appendItems(steps, layout, nullptr, options, scale, fontFactor);
    return steps;
}

QRect LayoutRenderer::textRect(const RenderStep &step, const QPaintDevice &device)
{
    const QFontMetrics metrics(step.font, &device);
    return QRect(step.position, QSize(metrics.horizontalAdvance(step.text), metrics.height()));
}

void LayoutRenderer::paint(QPainter &painter, const QList<RenderStep> &steps)
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const RenderStep &step : steps) {
        switch (step.kind) {
        case RenderStep::Kind::Picture: {
            // A missing or unreadable bitmap is left out; the rest prints.
            const QImage image = ImageFile::read(step.imagePath);
            if (!image.isNull() && !step.rect.isEmpty())
                painter.drawImage(QRectF(step.rect), image);
            break;
        }
        case RenderStep::Kind::Photo:
            if (!step.image.isNull() && !step.rect.isEmpty())
                painter.drawImage(QRectF(step.rect), step.image);
            break;
        case RenderStep::Kind::Text:
            paintText(painter, step);
            break;
        case RenderStep::Kind::Outline:
            painter.setPen(QPen(Qt::black, 4));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(step.rect));
            break;
        }
    }
    painter.restore();
}

int LayoutRenderer::resolution(const QPaintDevice &device)
{
    return device.logicalDpiY();
}

int LayoutRenderer::letterHeight(const QPaintDevice *device)
{
    // The full cell height, the same for every letter of a font.
    const QFontMetrics metrics = device ? QFontMetrics(arial10(), device) : QFontMetrics(arial10());
    return metrics.height();
}

double LayoutRenderer::badgeFontFactor(const QPaintDevice &device, int fontScaleHeight)
{
    // A height of 0 or less in a hand-edited file would divide by zero.
    const int screenHeight = fontScaleHeight > 0 ? fontScaleHeight : keys::DefaultFontScaleHeight;
    return double(letterHeight(&device)) / screenHeight;
}

int LayoutRenderer::badgeFontPoints(int fontSize, double fontFactor, float sy)
{
    if (fontFactor <= 0)
        return std::max(1, fontSize);
    return std::max(1, truncatedToInt(fontSize / fontFactor * sy));
}

QRect LayoutRenderer::pictureRect(const LayoutPicture &picture, const PrintScale &scale)
{
    const int x1 = scale.x(picture.left);
    const int y1 = scale.y(picture.top);
    const int x2 = truncatedToInt(picture.width * double(scale.sx) + x1);
    const int y2 = truncatedToInt(picture.height * double(scale.sy) + y1);
    return QRect(x1, y1, truncatedToInt(double(x2) - x1), truncatedToInt(double(y2) - y1));
}

QRect LayoutRenderer::photoRect(const LayoutPicture &picture, const QSize &photo,
                                const PrintScale &scale)
{
    const double r = double(photo.height()) / photo.width();
    const int x1 = scale.x(picture.left);
    const int y1 = scale.y(picture.top);
    int x2 = 0;
    int y2 = 0;
    if (r >= 1) {
        x2 = truncatedToInt(picture.height / r * scale.sx + x1);
        y2 = truncatedToInt(picture.height * double(scale.sy) + y1);
    } else {
        x2 = truncatedToInt(picture.width * double(scale.sx) + x1);
        y2 = truncatedToInt(picture.width * r * scale.sy + y1);
    }
    return QRect(x1, y1, truncatedToInt(double(x2) - x1), truncatedToInt(double(y2) - y1));
}

QPageLayout::Orientation LayoutRenderer::printerOrientation(const Layout &layout, bool hochQuer)
{
    bool portrait = layout.portrait;
    if (layout.family == LayoutFamily::Badge && hochQuer)
        portrait = !portrait;
    return portrait ? QPageLayout::Portrait : QPageLayout::Landscape;
}

QString LayoutRenderer::documentTitle(LayoutFamily family)
{
    return family == LayoutFamily::Badge ? QStringLiteral("Besucherausweis")
                                         : QStringLiteral("Besucherschein");
}

} // namespace lobrix::layouts

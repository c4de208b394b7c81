#include "layouts/ui/DesignCanvas.h"

#include "common/ImageFile.h"

#include "layouts/LayoutRenderer.h"
#include "layouts/PrintScale.h"

#include <QMouseEvent>

#include <algorithm>
#include <QPainter>
#include <QPainterPath>

namespace lobrix::layouts {
namespace {

const QColor kGround(128, 128, 128);
const QColor kShadow(51, 51, 51);
const QColor kSelectedText(192, 192, 192);
constexpr int kShadowOffset = 5;
constexpr int kRasterPitch = 8;
constexpr int kCornerSquare = 30;

} // namespace

DesignCanvas::DesignCanvas(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Zeichenflaeche"));
    setAccessibleName(QStringLiteral("Zeichenfläche"));
    setMouseTracking(false);
    setFocusPolicy(Qt::ClickFocus);
}

void DesignCanvas::setGeometryModel(const DesignGeometry &geometry)
{
    m_geometry = geometry;
    setFixedSize(geometry.canvas);
}

QList<RenderStep> DesignCanvas::steps() const
{
    if (!m_document)
        return {};
    const float zoom = float(m_geometry.zoom);
    Layout shown = m_document->layout();
    if (m_style.zoomFonts)
        for (LayoutLabel &l : shown.labels)
            l.fontSize = std::max(1, int(l.fontSize * m_geometry.zoom));
    QList<RenderStep> steps = LayoutRenderer::planCanvas(shown, m_imagesFolder, PrintScale{zoom, zoom}, m_fontFactor);
    const QPoint offset = m_geometry.offset();
    for (RenderStep &s : steps) {
        if (s.kind == RenderStep::Kind::Picture) {
            // Drawn from memory like a photo: a drag repaints every picture many times.
            auto it = m_images.find(s.imagePath);
            if (it == m_images.end())
                it = m_images.insert(s.imagePath, ImageFile::read(s.imagePath));
            s.kind = RenderStep::Kind::Photo;
            s.image = *it;
        }
        s.rect.translate(offset);
        s.position += offset;
        if (s.kind == RenderStep::Kind::Text && m_selection.contains(ItemRef{ItemKind::Label, s.slot}))
            s.ground = kSelectedText;
    }
    return steps;
}

QRect DesignCanvas::itemRect(const ItemRef &item) const
{
    if (!m_document)
        return {};
    if (item.kind == ItemKind::Picture) {
        const LayoutPicture *p = m_document->picture(item.slot);
        if (!p)
            return {};
        const double z = m_geometry.zoom;
        return QRect(m_geometry.toCanvas(QPoint(p->left, p->top)), QSize(int(p->width * z), int(p->height * z)));
    }
    for (const RenderStep &s : steps())
        if (s.kind == RenderStep::Kind::Text && s.slot == item.slot)
            return LayoutRenderer::textRect(s, *this);
    return {};
}

std::optional<ItemRef> DesignCanvas::itemAt(const QPoint &point) const
{
    if (!m_document)
        return std::nullopt;
    // One plan for all texts; later slots lie over earlier ones, a text over the picture
    // of its slot.
    QHash<int, QRect> texts;
    for (const RenderStep &s : steps())
        if (s.kind == RenderStep::Kind::Text)
            texts.insert(s.slot, LayoutRenderer::textRect(s, *this));
    for (int slot = m_document->slotCount(); slot >= 1; --slot) {
        if (m_document->label(slot) && texts.value(slot).contains(point))
            return ItemRef{ItemKind::Label, slot};
        if (m_document->picture(slot) && itemRect({ItemKind::Picture, slot}).contains(point))
            return ItemRef{ItemKind::Picture, slot};
    }
    return std::nullopt;
}

void DesignCanvas::paintCard(QPainter &painter) const
{
    painter.fillRect(rect(), kGround);
    const QRect card(m_geometry.offset(), m_geometry.area());
    painter.fillRect(card.translated(kShadowOffset, kShadowOffset), kShadow);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_style.page);
    painter.drawRect(card.adjusted(0, 0, -1, -1));
    if (m_raster && !m_style.stepRaster) {
        painter.setPen(QPen(Qt::gray, 2));
        for (int x = 2; x < card.width(); x += kRasterPitch)
            for (int y = 2; y < card.height(); y += kRasterPitch)
                painter.drawPoint(card.topLeft() + QPoint(x, y));
    }
    // The snapping raster, when its step is more than a pixel.
    if (m_raster && m_style.stepRaster && m_geometry.step * m_geometry.zoom > 1) {
        const int s = m_geometry.effectiveStep();
        painter.setPen(QPen(Qt::black, 1));
        for (int x = s; x < card.width(); x += s)
            for (int y = s; y < card.height(); y += s)
                painter.drawPoint(card.topLeft() + QPoint(x, y));
    }
    if (m_style.roundedCorners) {
        // Each corner: the ground outside a quarter circle of radius 15, the arc black.
        const int r = kCornerSquare / 2;
        const QRect corners[] = {
            QRect(card.left(), card.top(), r, r), QRect(card.right() - r + 1, card.top(), r, r),
            QRect(card.left(), card.bottom() - r + 1, r, r), QRect(card.right() - r + 1, card.bottom() - r + 1, r, r)};
        const QPointF centres[] = {QPointF(card.left() + r, card.top() + r), QPointF(card.right() + 1 - r, card.top() + r),
                                   QPointF(card.left() + r, card.bottom() + 1 - r),
                                   QPointF(card.right() + 1 - r, card.bottom() + 1 - r)};
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 4; ++i) {
            QPainterPath outside;
            outside.addRect(QRectF(corners[i]));
            QPainterPath circle;
            circle.addEllipse(centres[i], r, r);
            painter.fillPath(outside.subtracted(circle), kGround);
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::NoBrush);
            painter.setClipRect(corners[i]);
            painter.drawEllipse(centres[i], r - 0.5, r - 0.5);
            painter.setClipping(false);
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
}

void DesignCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCard(painter);
    LayoutRenderer::paint(painter, steps());
    // A picture that cannot be loaded still shows where it is while selected.
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    for (const ItemRef &item : m_selection) {
        if (item.kind != ItemKind::Picture)
            continue;
        const QRect r = itemRect(item);
        if (!r.isNull())
            painter.drawRect(QRect(r.topLeft() - QPoint(m_style.frameLead, m_style.frameLead), r.bottomRight() + QPoint(2, 2)));
    }
}

void DesignCanvas::mousePressEvent(QMouseEvent *event)
{
    if (m_mouse.press)
        m_mouse.press(event);
}

void DesignCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (m_mouse.move)
        m_mouse.move(event);
}

void DesignCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_mouse.release)
        m_mouse.release(event);
}

void DesignCanvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (m_mouse.doubleClick)
        m_mouse.doubleClick(event);
}

} // namespace lobrix::layouts

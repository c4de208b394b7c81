#include "layouts/DesignDocument.h"

#include "layouts/LayoutFields.h"

#include <algorithm>

namespace lobrix::layouts {
namespace {

template <typename Item> Item *find(QList<Item> &items, int slot)
{
    const auto it = std::find_if(items.begin(), items.end(), [slot](const Item &i) { return i.slot == slot; });
    return it == items.end() ? nullptr : &*it;
}

template <typename Item> const Item *find(const QList<Item> &items, int slot)
{
    const auto it = std::find_if(items.begin(), items.end(), [slot](const Item &i) { return i.slot == slot; });
    return it == items.end() ? nullptr : &*it;
}

// Items stay in slot order, as the renderer and the file writer walk them.
template <typename Item> void insertBySlot(QList<Item> &items, const Item &item)
{
    const auto at = std::find_if(items.begin(), items.end(), [&](const Item &i) { return i.slot > item.slot; });
    items.insert(at, item);
}

int edge(int value)
{
    return std::clamp(value, DesignDocument::MinPictureEdge, DesignDocument::MaxPictureEdge);
}

} // namespace

DesignDocument::DesignDocument(Layout layout) : m_layout(std::move(layout))
{
    const auto bySlot = [](const auto &a, const auto &b) { return a.slot < b.slot; };
    std::sort(m_layout.labels.begin(), m_layout.labels.end(), bySlot);
    std::sort(m_layout.pictures.begin(), m_layout.pictures.end(), bySlot);
}

const LayoutLabel *DesignDocument::label(int slot) const { return find(m_layout.labels, slot); }
const LayoutPicture *DesignDocument::picture(int slot) const { return find(m_layout.pictures, slot); }
LayoutLabel *DesignDocument::labelRef(int slot) { return find(m_layout.labels, slot); }
LayoutPicture *DesignDocument::pictureRef(int slot) { return find(m_layout.pictures, slot); }

bool DesignDocument::contains(const ItemRef &item) const
{
    return item.kind == ItemKind::Label ? label(item.slot) != nullptr : picture(item.slot) != nullptr;
}

int DesignDocument::freeSlot(ItemKind kind) const
{
    for (int slot = 1; slot <= slotCount(); ++slot)
        if (!contains({kind, slot}))
            return slot;
    return 0;
}

int DesignDocument::addLabel(const QPoint &position, const QString &fontName)
{
    const int slot = freeSlot(ItemKind::Label);
    if (slot == 0)
        return 0;
    LayoutLabel l;
    l.slot = slot;
    l.left = position.x();
    l.top = position.y();
    l.fontName = fontName;
    l.fontSize = 8;
    l.fontColor = 0;
    l.caption = QStringLiteral("Textfeld%1").arg(slot);
    insertBySlot(m_layout.labels, l);
    return slot;
}

int DesignDocument::addPicture(const QPoint &position, const QSize &natural, const QString &pfad)
{
    const int slot = freeSlot(ItemKind::Picture);
    if (slot == 0)
        return 0;
    LayoutPicture p;
    p.slot = slot;
    p.left = position.x();
    p.top = position.y();
    insertBySlot(m_layout.pictures, p);
    replacePicture(slot, natural, pfad);
    return slot;
}

void DesignDocument::replacePicture(int slot, const QSize &natural, const QString &pfad)
{
    LayoutPicture *p = pictureRef(slot);
    if (!p)
        return;
    p->pfad = pfad;
    // A bitmap that cannot be loaded keeps the item's size; its name stays, so fixing
    // the file fixes the layout.
    if (natural.width() > 0 && natural.height() > 0) {
        p->width = natural.width();
        p->height = natural.height();
        p->relation = double(natural.height()) / natural.width();
    }
}

void DesignDocument::move(const ItemRef &item, const QPoint &position)
{
    if (item.kind == ItemKind::Label) {
        if (LayoutLabel *l = labelRef(item.slot)) {
            l->left = position.x();
            l->top = position.y();
        }
    } else if (LayoutPicture *p = pictureRef(item.slot)) {
        p->left = position.x();
        p->top = position.y();
    }
}

void DesignDocument::remove(const QList<ItemRef> &items)
{
    for (const ItemRef &item : items) {
        if (item.kind == ItemKind::Label)
            m_layout.labels.removeIf([&](const LayoutLabel &l) { return l.slot == item.slot; });
        else
            m_layout.pictures.removeIf([&](const LayoutPicture &p) { return p.slot == item.slot; });
    }
}

void DesignDocument::bind(const QList<ItemRef> &items, int index)
{
    const QString key = LayoutFields::fieldKey(family(), index);
    const int feldIndex = index >= 0 && !key.isEmpty() ? index : -1;
    for (const ItemRef &item : items) {
        if (item.kind == ItemKind::Label) {
            if (LayoutLabel *l = labelRef(item.slot)) {
                l->feld = key;
                l->feldIndex = feldIndex;
                if (feldIndex >= 0)
                    l->caption = LayoutFields::boundCaption(family(), feldIndex);
            }
        } else if (LayoutPicture *p = pictureRef(item.slot)) {
            p->feld = key;
            p->feldIndex = feldIndex;
        }
    }
}

void DesignDocument::setCaption(int slot, const QString &caption)
{
    if (LayoutLabel *l = labelRef(slot))
        l->caption = caption;
}

void DesignDocument::setFont(int slot, const LabelFont &font)
{
    if (LayoutLabel *l = labelRef(slot)) {
        l->fontName = font.name;
        l->fontSize = font.size;
        l->bold = font.bold;
        l->italic = font.italic;
        l->underline = font.underline;
        l->strikeOut = font.strikeOut;
    }
}

void DesignDocument::setColor(int slot, int layoutColor)
{
    if (LayoutLabel *l = labelRef(slot))
        l->fontColor = layoutColor;
}

QSize DesignDocument::resizePicture(int slot, int height, int width, bool heightChanged, bool keepAspect)
{
    LayoutPicture *p = pictureRef(slot);
    if (!p)
        return {};
    if (keepAspect) {
        const double r = p->relation > 0 ? p->relation : 1.0;
        if (heightChanged)
            width = int(height / r);
        else
            height = int(width * r);
    } else if (p->width > 0) {
        p->relation = double(p->height) / p->width;
    }
    p->height = edge(height);
    p->width = edge(width);
    return QSize(p->width, p->height);
}

void DesignDocument::setPictureSize(int slot, const QSize &size)
{
    if (LayoutPicture *p = pictureRef(slot)) {
        p->width = size.width();
        p->height = size.height();
    }
}

void DesignDocument::setPortrait(bool portrait, const QPoint &shift)
{
    if (portrait == m_layout.portrait)
        return;
    m_layout.portrait = portrait;
    for (LayoutLabel &l : m_layout.labels) {
        l.left += shift.x();
        l.top += shift.y();
    }
    for (LayoutPicture &p : m_layout.pictures) {
        p.left += shift.x();
        p.top += shift.y();
    }
}

} // namespace lobrix::layouts

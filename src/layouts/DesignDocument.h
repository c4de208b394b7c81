#pragma once
// The layout a designer edits, in memory: its orientation and its text and picture items
// by slot, in layout units. Every edit of the canvas is one operation here, and the
// document is a plain value, so undo keeps earlier values (DesignHistory). Selection is
// the window's business: operations name the items they act on.
#include "layouts/Layout.h"

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

namespace lobrix::layouts {

struct ItemRef {
    ItemKind kind = ItemKind::Label;
    int slot = 0;
    bool operator==(const ItemRef &) const = default;
};

// A font as a text item stores it.
struct LabelFont {
    QString name;
    int size = 8;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

class DesignDocument {
public:
    static constexpr int MinPictureEdge = 5;
    static constexpr int MaxPictureEdge = 10000;

    explicit DesignDocument(Layout layout = {});

    const Layout &layout() const { return m_layout; }
    LayoutFamily family() const { return m_layout.family; }
    bool portrait() const { return m_layout.portrait; }
    int slotCount() const { return layouts::slotCount(m_layout.family); }

    const LayoutLabel *label(int slot) const;
    const LayoutPicture *picture(int slot) const;
    bool contains(const ItemRef &item) const;
    // The lowest slot of that kind not in use; 0 when all are taken.
    int freeSlot(ItemKind kind) const;

    // A new text item in the lowest free slot at `position` (layout units): colour black,
    // 8 pt, the given font, caption "Textfeld" + N. Returns the slot, 0 when all are taken.
    int addLabel(const QPoint &position, const QString &fontName);
    // A new picture item of the bitmap's natural size; Relation = height / width.
    int addPicture(const QPoint &position, const QSize &natural, const QString &pfad);
    // Another bitmap for a picture item, in its natural size.
    void replacePicture(int slot, const QSize &natural, const QString &pfad);

    void move(const ItemRef &item, const QPoint &position);
    void remove(const QList<ItemRef> &items);
    // Binds the items to the field list's entry `index` (-1: unbound); a text item bound
    // to an entry shows the entry name in brackets, an unbound one keeps its caption.
    void bind(const QList<ItemRef> &items, int index);
    void setCaption(int slot, const QString &caption);
    void setFont(int slot, const LabelFont &font);
    void setColor(int slot, int layoutColor);

    // The picture's new size from a change of one edge in the designer's size fields.
    // With the aspect lock the other edge follows Relation (height = width x relation);
    // without it Relation becomes the size before the change. Both edges kept to 5 ...
    // 10000. Returns the size set (width, height).
    QSize resizePicture(int slot, int height, int width, bool heightChanged, bool keepAspect);

    // A picture's stored size as it is, without the aspect rule.
    void setPictureSize(int slot, const QSize &size);

    // The card turns; each item keeps its place on the canvas, so its layout position
    // moves by the change of the card's offset on the canvas (`shift`).
    void setPortrait(bool portrait, const QPoint &shift);

private:
    LayoutLabel *labelRef(int slot);
    LayoutPicture *pictureRef(int slot);

    Layout m_layout;
};

} // namespace lobrix::layouts

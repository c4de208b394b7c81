#pragma once
// What a press, a drag and a release on a designer's canvas do depends on the tool in hand,
// as in every layout editor: at rest the select tool selects and drags items; an armed
// "add" button makes it the add tool, which does the same on items and puts a new text or
// picture where the free canvas is clicked. The designer hands the canvas's mouse to the
// current tool; double clicks (the inline text editor, replacing a picture) stay with it.
#include "layouts/DesignDocument.h"

#include <QPoint>

#include <optional>

namespace lobrix::layouts {

class LayoutDesigner;

class DesignerTool {
public:
    explicit DesignerTool(LayoutDesigner &designer) : m_designer(designer) {}
    virtual ~DesignerTool() = default;
    DesignerTool(const DesignerTool &) = delete;
    DesignerTool &operator=(const DesignerTool &) = delete;

    virtual void press(const QPoint &at) = 0;
    virtual void move(const QPoint &at) = 0;
    virtual void release(const QPoint &at) = 0;

protected:
    LayoutDesigner &m_designer;
};

// Selects the item under the press and drags it; a press on the free canvas deselects.
// A whole drag is one undo step.
class SelectTool : public DesignerTool {
public:
    using DesignerTool::DesignerTool;
    void press(const QPoint &at) override;
    void move(const QPoint &at) override;
    void release(const QPoint &at) override;

protected:
    // True when the last press hit no item (and started no drag).
    bool pressedOnFreeCanvas() const { return !m_pressOnItem && !m_drag; }

private:
    std::optional<ItemRef> m_drag; // the item being dragged
    QPoint m_pressOffset;          // where in it the button went down
    bool m_dragMoved = false;
    bool m_pressOnItem = false;
};

// The select tool, and a click on the free canvas adds an item of its kind there.
class AddItemTool : public SelectTool {
public:
    AddItemTool(LayoutDesigner &designer, ItemKind kind) : SelectTool(designer), m_kind(kind) {}
    void release(const QPoint &at) override;
    ItemKind kind() const { return m_kind; }

private:
    ItemKind m_kind;
};

} // namespace lobrix::layouts

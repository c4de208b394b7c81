#include "layouts/ui/DesignerTools.h"

#include "layouts/ui/DesignCanvas.h"
#include "layouts/ui/LayoutDesigner.h"

namespace lobrix::layouts {

void SelectTool::press(const QPoint &at)
{
    LayoutDesigner &d = m_designer;
    const std::optional<ItemRef> hit = d.m_canvas->itemAt(at);
    m_pressOnItem = hit.has_value();
    m_drag.reset();
    if (hit) {
        const bool wasSelected = d.m_selection.contains(*hit);
        d.select(*hit);
        if (d.dragsOnlySelected() && !wasSelected)
            return; // this press only selects
        m_drag = hit;
        m_pressOffset = at - d.m_canvas->itemRect(*hit).topLeft();
        m_dragMoved = false;
    } else {
        // A click on the free canvas deselects; an armed add button stays armed for the
        // release that adds the item.
        d.commitEditor();
        d.m_selection.clear();
        d.showPanel();
        d.refresh();
    }
}

void SelectTool::move(const QPoint &at)
{
    if (!m_drag)
        return;
    LayoutDesigner &d = m_designer;
    const QPoint position = d.storedPosition(at - m_pressOffset);
    if (!m_dragMoved) {
        d.m_history.record(d.m_document, QStringLiteral("Verschieben")); // the whole drag is one edit
        m_dragMoved = true;
    }
    d.m_document.move(*m_drag, position);
    d.refresh();
}

void SelectTool::release(const QPoint &)
{
    const std::optional<ItemRef> dropped = m_drag;
    m_drag.reset();
    if (dropped && m_dragMoved) {
        m_designer.edited();
        m_designer.select(*dropped); // its fields show where it went
    }
}

void AddItemTool::release(const QPoint &at)
{
    const bool onFreeCanvas = pressedOnFreeCanvas();
    SelectTool::release(at);
    if (onFreeCanvas)
        m_designer.addItemAt(m_kind, at); // the designer goes back to the select tool
}

} // namespace lobrix::layouts

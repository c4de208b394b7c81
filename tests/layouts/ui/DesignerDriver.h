#pragma once
// Driving a layout designer window in the tests: its controls by name, clicks on its
// canvas, and the message boxes and print dialog answered (and restored afterwards).
#include "common/ui/MessageBoxes.h"
#include "layouts/ui/DesignCanvas.h"
#include "layouts/ui/LayoutDesigner.h"
#include "layouts/ui/PrintConfirmation.h"

#include <QTest>

namespace lobrix::test {

class DesignerDriver {
public:
    explicit DesignerDriver(layouts::LayoutDesigner &designer) : m_designer(designer)
    {
        ui::MessageBoxes::setHooks([this](const ui::MessageRecord &m) { messages << m; },
                                   [](const ui::MessageRecord &) { return true; });
    }
    ~DesignerDriver()
    {
        ui::MessageBoxes::setHooks({}, {});
        layouts::PrintConfirmation::setHook({});
    }
    DesignerDriver(const DesignerDriver &) = delete;
    DesignerDriver &operator=(const DesignerDriver &) = delete;

    // Shows the designer after its opening steps and waits until it has the focus.
    void open()
    {
        m_designer.show();
        m_designer.prepare();
        m_designer.activateWindow();
        if (!QTest::qWaitForWindowActive(&m_designer))
            qWarning("the designer did not become active");
    }
    template <typename W = QWidget> W *w(const char *name) const
    {
        W *found = m_designer.findChild<W *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    layouts::DesignCanvas *canvas() const { return m_designer.canvas(); }
    void click(const QPoint &at) { QTest::mouseClick(canvas(), Qt::LeftButton, {}, at); }

    QList<ui::MessageRecord> messages;

private:
    layouts::LayoutDesigner &m_designer;
};

} // namespace lobrix::test

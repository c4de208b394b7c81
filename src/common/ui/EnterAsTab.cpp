#include "common/ui/EnterAsTab.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace lobrix::ui {

EnterAsTab::EnterAsTab(QWidget *window) : QObject(window), m_window(window)
{
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->focusPolicy() != Qt::NoFocus && w->window() == window)
            watch(w);
    }
}

void EnterAsTab::watch(QWidget *control)
{
    control->installEventFilter(this);
}

void EnterAsTab::setHandler(QWidget *field, std::function<void()> onEnter)
{
    m_handlers.insert(field, std::move(onEnter));
}

bool EnterAsTab::isEnter(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool EnterAsTab::eventFilter(QObject *watched, QEvent *event)
{
    if (!isEnter(event))
        return false;
    if (const auto it = m_handlers.constFind(watched); it != m_handlers.cend()) {
        (*it)();
        return true;
    }
    // The window moves the focus on as it does for Tab.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(m_window, &tab);
    return true;
}

} // namespace lobrix::ui

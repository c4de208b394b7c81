#pragma once
// Enter (Return or the keypad's Enter) in a window's fields moves the focus on, as Tab
// does, and never reaches the field or presses a button: clerks type field after field
// and end each with Enter. A field may take Enter for itself instead (a number that is
// checked on Enter).
#include <QHash>
#include <QObject>

#include <functional>

class QWidget;

namespace lobrix::ui {

class EnterAsTab : public QObject {
public:
    // Watches every control of `window` that takes the focus, now and (through `watch`)
    // later. The filter belongs to the window.
    explicit EnterAsTab(QWidget *window);

    void watch(QWidget *control);
    // Enter in `field` calls `onEnter` instead of moving on.
    void setHandler(QWidget *field, std::function<void()> onEnter);

    static bool isEnter(const QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    QHash<QObject *, std::function<void()>> m_handlers;
};

} // namespace lobrix::ui

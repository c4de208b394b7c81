#pragma once
// The texts a label showed when it was painted: what a clerk saw for a moment, also when
// the label shows something else by the time the test looks.
#include <QEvent>
#include <QLabel>
#include <QObject>
#include <QStringList>

namespace lobrix::test {

class PaintedTexts : public QObject {
public:
    explicit PaintedTexts(QLabel *label) : m_label(label) { label->installEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_label && event->type() == QEvent::Paint && (texts.isEmpty() || texts.last() != m_label->text()))
            texts << m_label->text();
        return false;
    }

private:
    QLabel *m_label;
};

} // namespace lobrix::test

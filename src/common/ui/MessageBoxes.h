#pragma once
// Plain message boxes and Yes/No questions with German buttons. Tests replace the boxes
// with hooks that record the message and answer the question, so windows can be driven
// without a modal loop.
#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace lobrix::ui {

struct MessageRecord {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class MessageBoxes {
public:
    // The caption of a box that names none: the program's name.
    static constexpr char DefaultCaption[] = "Besucherverwaltung Lobrix";

    static void show(QWidget *parent, const QString &text, const QString &caption = QString(),
                     QMessageBox::Icon icon = QMessageBox::NoIcon);
    static void error(QWidget *parent, const QString &text,
                      const QString &caption = QStringLiteral("Fehler"));
    // True for "Ja".
    static bool askYesNo(QWidget *parent, const QString &text,
                         const QString &caption = QStringLiteral("Achtung"),
                         QMessageBox::Icon icon = QMessageBox::Question);

    using MessageHook = std::function<void(const MessageRecord &)>;
    using QuestionHook = std::function<bool(const MessageRecord &)>;
    // An empty hook restores the real boxes.
    static void setHooks(MessageHook messages, QuestionHook questions);
};

} // namespace lobrix::ui

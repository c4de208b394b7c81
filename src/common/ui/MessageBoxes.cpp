#include "common/ui/MessageBoxes.h"

#include <QApplication>

namespace lobrix::ui {
namespace {
MessageBoxes::MessageHook &messageHook()
{
    static MessageBoxes::MessageHook hook;
    return hook;
}
MessageBoxes::QuestionHook &questionHook()
{
    static MessageBoxes::QuestionHook hook;
    return hook;
}
QString captionOr(const QString &caption)
{
    return caption.isEmpty() ? QString::fromUtf8(MessageBoxes::DefaultCaption) : caption;
}
} // namespace

void MessageBoxes::show(QWidget *parent, const QString &text, const QString &caption,
                        QMessageBox::Icon icon)
{
    if (messageHook()) {
        messageHook()({caption, text, icon});
        return;
    }
    QMessageBox box(icon, captionOr(caption), text, QMessageBox::Ok, parent);
    box.exec();
}

void MessageBoxes::error(QWidget *parent, const QString &text, const QString &caption)
{
    show(parent, text, caption, QMessageBox::Critical);
}

bool MessageBoxes::askYesNo(QWidget *parent, const QString &text, const QString &caption,
                            QMessageBox::Icon icon)
{
    if (questionHook())
        return questionHook()({caption, text, icon});
    QMessageBox box(icon, captionOr(caption), text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxes::setHooks(MessageHook messages, QuestionHook questions)
{
    messageHook() = std::move(messages);
    questionHook() = std::move(questions);
}

} // namespace lobrix::ui

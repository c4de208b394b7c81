#include "common/ui/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

namespace lobrix::ui {
namespace {

template <typename W> W *named(W *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (!geometry.isNull())
        widget->setGeometry(geometry);
    return widget;
}

} // namespace

QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    QLabel *l = label(parent, name, text);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    return named(new QLabel(text, parent), name, {});
}

QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength, const QRect &geometry)
{
    auto *e = named(new QLineEdit(parent), name, geometry);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

QLineEdit *passwordEdit(QWidget *parent, const char *name, int maxLength, const QRect &geometry)
{
    QLineEdit *e = lineEdit(parent, name, maxLength, geometry);
    e->setEchoMode(QLineEdit::Password);
    // "*" for every character, whatever the platform style would draw.
    e->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    return e;
}

QComboBox *comboBox(QWidget *parent, const char *name, const QRect &geometry)
{
    return named(new QComboBox(parent), name, geometry);
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    return named(new QCheckBox(caption, parent), name, geometry);
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QString &hint,
                    const QRect &geometry)
{
    auto *b = named(new QPushButton(caption, parent), name, geometry);
    b->setToolTip(hint);
    b->setAutoDefault(false); // Enter moves on; it never presses a button
    return b;
}

QToolButton *toolButton(QWidget *parent, const char *name, const QString &hint, const QRect &geometry)
{
    auto *b = named(new QToolButton(parent), name, geometry);
    b->setToolTip(hint);
    b->setAccessibleName(hint); // a picture button says what it does
    return b;
}

QTableView *rowGrid(QWidget *parent, const char *name, const QString &caption, int rowHeight)
{
    auto *grid = named(new QTableView(parent), name, {});
    grid->setAccessibleName(caption);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    return grid;
}

QString spokenCaption(const QString &caption)
{
    QString spoken = caption;
    spoken.remove(u'&');
    spoken = spoken.trimmed();
    if (spoken.endsWith(u':'))
        spoken.chop(1);
    return spoken.trimmed();
}

void setCaption(QWidget *field, QLabel *caption)
{
    caption->setBuddy(field);
    field->setAccessibleName(spokenCaption(caption->text()));
}

void setCaptionText(QLabel *caption, const QString &text)
{
    caption->setText(text);
    if (QWidget *field = caption->buddy())
        field->setAccessibleName(spokenCaption(text));
}

void setAccessibleCaption(QWidget *field, const QString &caption)
{
    field->setAccessibleName(spokenCaption(caption));
}

void setInk(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    widget->setPalette(p);
}

void setGround(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

} // namespace lobrix::ui

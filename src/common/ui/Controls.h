#pragma once
// Named controls for the windows. Every control gets its objectName (tests find it with
// findChild), buttons never take Enter (Enter moves on, see EnterAsTab), and every input
// is given its caption: the label becomes its buddy (Alt+letter of the label focuses it)
// and the caption, without "&" and ":", its accessible name, so a screen reader says what
// the field is for.
#include <QRect>
#include <QString>

class QCheckBox;
class QColor;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;
class QWidget;

namespace lobrix::ui {

// A label sized to its text at `x`, `y`.
QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y);
// A label for a layout (no geometry).
QLabel *label(QWidget *parent, const char *name, const QString &text);
// maxLength 0: no limit. An empty geometry leaves placing to a layout.
QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength, const QRect &geometry = {});
// A password field: every character shown as "*".
QLineEdit *passwordEdit(QWidget *parent, const char *name, int maxLength, const QRect &geometry = {});
QComboBox *comboBox(QWidget *parent, const char *name, const QRect &geometry = {});
QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption,
                    const QRect &geometry = {});
QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                    const QString &hint = {}, const QRect &geometry = {});
QToolButton *toolButton(QWidget *parent, const char *name, const QString &hint,
                        const QRect &geometry = {});
// A read-only grid of whole rows, one selected at a time, without row numbers, for the
// list windows; `caption` names it for screen readers.
QTableView *rowGrid(QWidget *parent, const char *name, const QString &caption, int rowHeight);

// The caption of an input: `caption` becomes its buddy and names it for screen readers.
void setCaption(QWidget *field, QLabel *caption);
// A new text for a caption label; the field it is buddy of is renamed with it.
void setCaptionText(QLabel *caption, const QString &text);
// An input without a label of its own (a field beside another field's label).
void setAccessibleCaption(QWidget *field, const QString &caption);
// The caption as a screen reader says it: no "&", no trailing ":".
QString spokenCaption(const QString &caption);

// Text colour and background colour (the background painted by the widget itself).
void setInk(QWidget *widget, const QColor &colour);
void setGround(QWidget *widget, const QColor &colour);

} // namespace lobrix::ui

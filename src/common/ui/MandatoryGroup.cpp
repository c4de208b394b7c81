#include "common/ui/MandatoryGroup.h"

#include "common/ui/Controls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace lobrix::ui {

QLabel *MandatoryGroup::addMark(int index, QWidget *field, const char *markName)
{
    QLabel *m = label(field->parentWidget(), markName, QStringLiteral("*"),
                      field->x() + field->width() + 3, field->y() + 2);
    QFont f = m->font();
    f.setBold(true);
    m->setFont(f);
    m->adjustSize();
    setInk(m, Qt::red);
    m->setAccessibleName(QStringLiteral("Pflichtfeld"));
    m->hide();
    m_marks.insert(index, m);
    return m;
}

void MandatoryGroup::setRequired(int index, bool required)
{
    if (QLabel *m = m_marks.value(index))
        m->setVisible(required);
}

void MandatoryGroup::watch(QLineEdit *field)
{
    QObject::connect(field, &QLineEdit::textChanged, field, [this] { changed(); });
}

void MandatoryGroup::watch(QComboBox *field)
{
    QObject::connect(field, &QComboBox::currentTextChanged, field, [this] { changed(); });
}

void MandatoryGroup::changed()
{
    if (!m_filling)
        refresh();
}

void MandatoryGroup::refresh()
{
    setGuardedEnabled(!m_check || m_check());
}

void MandatoryGroup::setGuardedEnabled(bool enabled)
{
    for (QWidget *w : std::as_const(m_guarded))
        w->setEnabled(enabled);
}

} // namespace lobrix::ui

#include "registration/ui/ManualBadgeEntry.h"

#include "common/ui/MessageBoxes.h"
#include "registration/ArrivalService.h"
#include "registration/ui/VisitFormBinding.h"
#include "registration/ui/VisitFormControls.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

namespace lobrix::registration {

using Outcome = ArrivalService::ManualBadge::Outcome;

ManualBadgeEntry::ManualBadgeEntry(QDialog &form, VisitFormControls &controls,
                                   VisitFormBinding &binding, ArrivalService &arrival, Hooks hooks)
    : m_form(form), c(controls), m_binding(binding), m_arrival(arrival), m_hooks(std::move(hooks))
{
}

void ManualBadgeEntry::setColour(Colour colour)
{
    QPalette p = c.meAWN->palette();
    const QPalette standard = QApplication::palette(c.meAWN);
    switch (colour) {
    case Colour::Normal:
        p.setColor(QPalette::Base, standard.color(QPalette::Base));
        p.setColor(QPalette::Text, standard.color(QPalette::Text));
        break;
    case Colour::Accepted:
        p.setColor(QPalette::Base, QColor(255, 255, 128));
        p.setColor(QPalette::Text, Qt::black);
        break;
    case Colour::Refused:
        p.setColor(QPalette::Base, Qt::red);
        p.setColor(QPalette::Text, Qt::white);
        break;
    }
    c.meAWN->setPalette(p);
}

bool ManualBadgeEntry::check(bool showMessages)
{
    if (m_checking)
        return false;
    m_checking = true;
    const ArrivalService::ManualBadge r = m_arrival.checkManualBadge(c.meAWN->text());
    const auto refuse = [&] {
        setColour(Colour::Refused);
        m_hooks.focus(c.meAWN);
        if (showMessages && !r.message.isEmpty())
            ui::MessageBoxes::show(&m_form, r.message);
    };
    if (r.outcome == Outcome::Invalid) {
        refuse();
        m_checking = false;
        return false;
    }
    // A valid number: the form starts afresh from what the number stands for.
    m_binding.clearVisitor();
    m_binding.setValidity(QString(), QString());
    if (r.master)
        m_hooks.takeOverMaster(*r.master);
    if (r.entryIndex >= 0) {
        const ui::MandatoryGroup::Filling filling(c.mandatory);
        c.cbxAusweis->setCurrentIndex(r.entryIndex);
    }
    bool accepted = false;
    if (r.outcome == Outcome::Unavailable) {
        refuse();
        c.btnSpeichern->setEnabled(false);
    } else if (r.outcome == Outcome::MasterRecord) {
        setColour(Colour::Accepted);
        m_hooks.focus(c.edName);
        accepted = true;
    } else {
        refuse(); // a free badge, but no visitor keeps it
    }
    m_checking = false;
    return accepted;
}

void ManualBadgeEntry::enterPressed()
{
    check(true);
}

void ManualBadgeEntry::left()
{
    // Leaving for "&Abbrechen" or "&Neu" needs no valid number.
    const QWidget *to = QApplication::focusWidget();
    if (to == c.btnAbbrechen || to == c.btnNeu)
        return;
    QMetaObject::invokeMethod(
        &m_form,
        [this] {
            if (m_form.isVisible() && c.pnAWNManuell->isVisible())
                check(true);
        },
        Qt::QueuedConnection);
}

void ManualBadgeEntry::clicked()
{
    QMetaObject::invokeMethod(c.meAWN, &QLineEdit::selectAll, Qt::QueuedConnection);
}

bool ManualBadgeEntry::confirmForSave()
{
    const ArrivalService::ManualBadge r = m_arrival.checkManualBadge(c.meAWN->text());
    if (r.outcome == Outcome::Invalid || r.outcome == Outcome::Unavailable) {
        setColour(Colour::Refused);
        m_hooks.focus(c.meAWN);
        ui::MessageBoxes::show(&m_form, r.message);
        return false;
    }
    const ui::MandatoryGroup::Filling filling(c.mandatory);
    c.cbxAusweis->setCurrentIndex(r.entryIndex);
    return true;
}

} // namespace lobrix::registration

#include "registration/ui/VisitFormSaving.h"

#include "common/Error.h"
#include "common/ui/MessageBoxes.h"
#include "data/DbfTable.h"
#include "registration/ArrivalService.h"
#include "registration/BadgePool.h"
#include "registration/DepartureService.h"
#include "registration/MasterDataService.h"
#include "registration/ui/ManualBadgeEntry.h"
#include "registration/ui/TBesucher.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QPushButton>

namespace lobrix::registration {

namespace {

// While a save waits for a table that another workstation packs, the form says so; the
// hint it showed before comes back afterwards.
class PackWait {
public:
    PackWait(QLabel *hintPanel, std::function<void(const QString &)> setHint)
        : m_setHint(std::move(setHint)), m_panel(hintPanel), m_text(m_panel->text()), m_visible(m_panel->isVisible()),
          m_notice([this] {
              m_shown = true;
              m_setHint(QStringLiteral("Moment bitte ..."));
              QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
          })
    {
    }
    ~PackWait()
    {
        if (!m_shown)
            return;
        m_panel->setText(m_text);
        m_panel->setVisible(m_visible);
    }
    PackWait(const PackWait &) = delete;
    PackWait &operator=(const PackWait &) = delete;

private:
    std::function<void(const QString &)> m_setHint;
    QLabel *m_panel;
    QString m_text;
    bool m_visible;
    bool m_shown = false;
    data::DbfTable::WaitNotice m_notice;
};

} // namespace

void VisitFormSaving::saveFailed(const QString &message, bool asError)
{
    // Nothing was stored (or the table refused): the clerk reads why and may save again.
    if (asError)
        f.showError(message);
    else
        ui::MessageBoxes::show(&f, message);
    f.btnSpeichern->setEnabled(true);
}

void VisitFormSaving::saveArrival()
{
    if (f.m_manualBadge && !f.m_manualEntry->confirmForSave())
        return;
    if (!f.validityDatesAccepted())
        return;
    f.btnSpeichern->setEnabled(false);
    ArrivalService::Input in;
    in.visit = f.m_binding.visitData();
    in.badgeEntry = f.cbxAusweis->currentText();
    in.storeAsMaster = f.chkUebernahme->isChecked();
    in.preRegistration = f.m_preRegistration;
    ArrivalService::Result r;
    const PackWait packWait(f.pnHinweis, [this](const QString &text) { f.setHint(text); });
    try {
        r = f.m_arrival->save(in, [this](const QString &visitNumber) {
            f.print(PrintKind::VisitorSheet, true, visitNumber);
        });
    } catch (const Error &e) {
        saveFailed(e.message(), true);
        return;
    }
    using Status = ArrivalService::Result::Status;
    switch (r.status) {
    case Status::Saved:
        if (!r.message.isEmpty())
            f.showError(r.message); // the automatic print failed; the visit is stored
        f.accept();
        return;
    case Status::BadgeTaken: {
        {
            const ui::MandatoryGroup::Filling filling(f.mandatory);
            f.cbxAusweis->clear();
            f.cbxAusweis->addItems(r.badgeEntries);
            f.cbxAusweis->setCurrentIndex(r.badgeEntries.isEmpty() ? -1 : 0);
        }
        ui::MessageBoxes::show(&f, r.message);
        if (r.badgeEntries.isEmpty()) {
            f.setHint(BadgePool::noFreeBadgeMessage());
            f.btnSpeichern->hide();
        } else {
            f.btnSpeichern->setEnabled(true);
        }
        return;
    }
    case Status::Refused:
    case Status::Busy:
        saveFailed(r.message, false);
        return;
    }
}

void VisitFormSaving::saveDeparture(const DepartureService::LoadedVisit &loaded)
{
    if (!f.validityDatesAccepted())
        return;
    f.btnSpeichern->setEnabled(false);
    DepartureService::Result r;
    const PackWait packWait(f.pnHinweis, [this](const QString &text) { f.setHint(text); });
    try {
        r = f.m_departure->save(loaded, f.m_binding.visitData(),
                                f.chkQuittungErbracht->isChecked(),
                                [this](const QString &caption, const QString &text) {
                                    return ui::MessageBoxes::askYesNo(&f, text, caption,
                                                                      QMessageBox::Warning);
                                });
    } catch (const Error &e) {
        saveFailed(e.message(), true);
        return;
    }
    using Status = DepartureService::Result::Status;
    switch (r.status) {
    case Status::Saved:
        if (!r.message.isEmpty())
            f.showError(r.message); // the pre-registration's mark failed; the visit is done
        f.accept();
        return;
    case Status::Declined:
        f.btnSpeichern->setEnabled(true);
        return;
    case Status::Gone:
        ui::MessageBoxes::show(&f, r.message);
        return; // the list is out of date: only cancelling is left
    case Status::Refused:
    case Status::Busy:
        saveFailed(r.message, false);
        return;
    }
}

void VisitFormSaving::saveMasterRecord()
{
    const bool newRecord = !f.btnNeu->isEnabled();
    if (!newRecord && !f.m_masterIdentity)
        return; // no record selected, none started
    if (!f.validityDatesAccepted())
        return;
    f.btnSpeichern->setEnabled(false);
    MasterDataService::Input in;
    in.visit = f.m_binding.visitData();
    for (int i = 0; i < 4; ++i)
        in.visit.info[i] = f.chkInfo[i]->isChecked(); // master data store the boxes
    if (f.m_masterIdentity)
        in.selected = MasterDataService::Identity{*f.m_masterIdentity};
    if (f.m_manualBadge)
        in.personalNumber = BadgePool::readManualBadgeNumber(f.meAWN->text());
    MasterDataService::Result r;
    try {
        r = f.m_master->save(in, newRecord);
    } catch (const Error &e) {
        saveFailed(e.message(), true);
        return;
    }
    if (r.status == MasterDataService::Result::Status::Refused) {
        saveFailed(r.message, false);
        return;
    }
    f.btnNeu->setEnabled(true);
    f.setPrintControlsEnabled(false);
}

} // namespace lobrix::registration

#pragma once
// The visit form: one dialog, created once, through which visitors arrive and depart. The
// main window prepares it for a mode (btnBeginnClick, btnEndeClick) and shows it modally.
// The window reads its controls and shows what the arrival and departure services return;
// the rules of the visit (numbers, badges, rows, log lines) live in those services.
//
// The controls are VisitFormControls', the values on them VisitFormBinding's; the typed
// badge number is ManualBadgeEntry's and the saves VisitFormSaving's. What differs between
// the modes is one row of VisitFormMode, which every step asks.
#include "registration/PreRegistration.h"
#include "registration/VisitData.h"
#include "registration/VisitPrintRequest.h"
#include "registration/ui/VisitFormBinding.h"
#include "registration/ui/VisitFormControls.h"
#include "registration/ui/VisitFormMode.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QProgressBar;

namespace lobrix::shell {
class Session;
}

namespace lobrix::registration {

class ArrivalService;
class DepartureService;
class MasterDataService;
class VisitFormService;
class ManualBadgeEntry;
class TKalender;
struct FormOpening;

class TBesucher : public QDialog, private VisitFormControls {
    Q_OBJECT
public:
    using Mode = VisitMode;

    using PreRegistration = registration::PreRegistration;
    // The windows that fill the form: the master-data picker and the pre-registration
    // list. Each is given the form's current fields (for its quick search) and returns
    // the row taken over, or nothing.
    using MasterPicker = std::function<std::optional<VisitData>(const VisitData &current,
                                                                 const QString &manualBadge)>;
    using PreRegistrationPicker =
        std::function<std::optional<PreRegistration>(const VisitData &current)>;
    // The file dialog of the photo button: the chosen file, or empty.
    using PhotoChooser = std::function<QString(QWidget *parent, const QString &folder)>;

    // The progress display of the main window, shown while the badge pool is read (may be
    // null).
    TBesucher(shell::Session &session, QProgressBar *progressBar, QLabel *progressLabel,
              QWidget *parent = nullptr);
    ~TBesucher() override;

    void setCalendar(TKalender *calendar) { m_calendar = calendar; }
    void setPrintAction(VisitPrintAction print) { m_print = std::move(print); }
    void setPhotoChooser(PhotoChooser chooser) { m_choosePhoto = std::move(chooser); }
    void setMasterPicker(MasterPicker picker) { m_pickMaster = std::move(picker); }
    void setPreRegistrationPicker(PreRegistrationPicker picker)
    {
        m_pickPreRegistration = std::move(picker);
    }

    // The main window's buttons and menu entry: prepare the mode and show the form modally.
    int btnBeginnClick();
    int btnEndeClick();
    int Besucherstammbearbeiten1Click();
    // The preparation alone, for a caller that shows the form itself.
    void prepareArrival();
    void prepareDeparture();
    void prepareMasterData();

    Mode mode() const { return m_mode->mode; }
    // The visit as the form would store it now.
    VisitData visitData() const;

    // Filling the form from a master-data record (picker or personal badge number) or a
    // pre-registration, as the picker buttons do.
    void takeOverMasterRecord(const VisitData &record, bool withInformation = true);
    void takeOverPreRegistration(const PreRegistration &row);

    // Handlers.
    void FormShow();
    void edNameChange();
    void meAWNKeyPress();
    void meAWNExit();
    void meAWNClick();
    void cbxAusweisChange();
    void btnStammClick();
    void btnVoranmeldungClick();
    void btnKalender1Click();
    void btnKalender2Click();
    void btnFotoClick();
    void lbInfoClick(int index);
    void chkInfoClick(int index);
    void btnAusweisClick();
    void btnBestaetigungClick();
    void btnSpeichernClick();
    void btnAbbrechenClick();
    void btnNeuClick();
    void btnLoeschenClick();
    void FormClose();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class VisitFormSaving;
    struct Loaded; // the departure entry whose visit is loaded
    void connectControls();
    VisitFormControls &controls() { return *this; }
    void setMode(VisitMode mode);
    // The opening of the service the mode shows, and the service.
    const FormOpening &opening() const;
    VisitFormService &service();

    // Shared by every mode when the form is prepared and shown.
    void prepareCommon(const FormOpening &opening);
    void showMandatoryMarks(const FormOpening &opening);
    void prepareInformation(const FormOpening &opening);
    void prepareConfirmation(const FormOpening &opening, bool departure);
    void fillLists(const FormOpening &opening);
    void setModePanel();
    void setHint(const QString &text); // empty hides the panel
    void setPrintControlsEnabled(bool enabled);
    void showInfoPanel(bool shown);
    void showPhoto(const QString &fileName);

    bool openArrival();
    bool openDeparture();
    bool openMasterData();
    // Master data: the record just loaded becomes the one saving and deleting change.
    void selectMasterRecord(const VisitData &record);
    void lookUpPersonalNumber();
    void showLoadedVisit();
    void focusField(QWidget *field);

    bool print(PrintKind kind, bool automatic, const QString &visitNumber);
    // Runs an opening that reads the badge pool, with the main window's progress display;
    // false (and the clerk told) when it failed.
    bool readWithProgress(const std::function<void(const std::function<void(int, int)> &)> &open);
    void showProgress(int done, int total);
    void hideProgress();
    // The validity period is real dates in order; else a message, focus on the field.
    bool validityDatesAccepted();
    void showError(const QString &message);

    shell::Session &m_session;
    std::unique_ptr<ArrivalService> m_arrival;
    std::unique_ptr<DepartureService> m_departure;
    std::unique_ptr<MasterDataService> m_master;
    QProgressBar *m_progressBar;
    QLabel *m_progressLabel;
    TKalender *m_calendar = nullptr;
    VisitPrintAction m_print;
    PhotoChooser m_choosePhoto;
    MasterPicker m_pickMaster;
    PreRegistrationPicker m_pickPreRegistration;

    const VisitFormMode *m_mode = &VisitFormMode::of(VisitMode::Arrival);
    bool m_opened = false; // the services' opening of this showing succeeded
    bool m_movingFocus = false;
    bool m_lookingUp = false; // a personal badge number is being looked up
    bool m_zielFree = true;     // ZielBearbeiten, read at program start
    bool m_manualBadge = false; // AWNManuell, read at program start
    QString m_date;            // the form's date text
    QString m_preRegistration; // NR of the pre-registration taken over
    std::unique_ptr<Loaded> m_loaded;
    // Master data: the eleven visitor fields of the record selected last (kept across
    // saves and deletions until the next selection), and whether "&Neu" started a record.
    std::optional<std::array<QString, 11>> m_masterIdentity;

    VisitFormBinding m_binding;
    std::unique_ptr<ManualBadgeEntry> m_manualEntry;
};

} // namespace lobrix::registration

#pragma once
// The visit form: one dialog, created once, through which visitors arrive and depart. The
// main window prepares it for a mode (btnBeginnClick, btnEndeClick) and shows it modally.
// The window reads its controls and shows what the arrival and departure services return;
// the rules of the visit (numbers, badges, rows, log lines) live in those services.
//
// The mode decides which controls are offered; the master-data mode is prepared the same
// way (a prepare function setting up the controls, FormShow filling the lists).
#include "registration/VisitData.h"
#include "registration/VisitPrintRequest.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace lobrix::shell {
class Session;
}

namespace lobrix::registration {

class ArrivalService;
class DepartureService;
class PhotoPanel;
class TKalender;
struct FormOpening;

class TBesucher : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Arrival, Departure, MasterData };

    // A pre-registration chosen in the pre-registration list.
    struct PreRegistration {
        VisitData visit;
        QString nr;         // NR of the row, remembered until the save
        QString ressourcen; // shown in edRessourcen, printed on the visitor sheet
    };
    // The windows that fill the form: the master-data picker and the pre-registration
    // list. Each is given the form's current fields (for its quick search) and returns
    // the row taken over, or nothing.
    using MasterPicker = std::function<std::optional<VisitData>(const VisitData &current)>;
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

    // The main window's buttons: prepare the mode and show the form modally.
    int btnBeginnClick();
    int btnEndeClick();
    // The preparation alone, for a caller that shows the form itself.
    void prepareArrival();
    void prepareDeparture();

    Mode mode() const { return m_mode; }
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
    void FormClose();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Loaded; // the departure entry whose visit is loaded
    void createControls();
    void createHeader();
    void createVisitorFields();
    void createSidePanel();
    void createInfoPanel();
    void createLowerPart();
    void setTabOrder();
    QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y);
    QLineEdit *edit(QWidget *parent, const char *name, int maxLength, QRect geometry);
    QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                        const QString &hint, QRect geometry);

    // Shared by every mode when the form is prepared and shown.
    void prepareCommon(const FormOpening &opening);
    void showMandatoryMarks(const FormOpening &opening);
    void prepareInformation(const FormOpening &opening);
    void prepareConfirmation(const FormOpening &opening, bool departure);
    void fillLists(const FormOpening &opening);
    void clearVisitor();
    void setVisitorFields(const VisitData &visit, bool withDestination);
    void setDestination(const QString &destination);
    void setInformation(const std::array<bool, 4> &info);
    void setModePanel(const QColor &ground, const QString &caption, const QString &headerLabel);
    void setHint(const QString &text); // empty hides the panel
    void setPrintControlsEnabled(bool enabled);
    void showInfoPanel(bool shown);
    void showPhoto(const QString &fileName);

    bool openArrival();
    bool openDeparture();
    void showLoadedVisit();
    void saveArrival();
    void saveDeparture();
    // The manual badge entry's check; true when the entry stands.
    enum class AwnColour { Normal, Accepted, Refused };
    bool checkManualBadge(bool showMessages);
    void setAwnColour(AwnColour colour);
    void focusField(QWidget *field);

    bool print(PrintKind kind, bool automatic, const QString &visitNumber);
    VisitPrintRequest printRequest(PrintKind kind) const;
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
    QProgressBar *m_progressBar;
    QLabel *m_progressLabel;
    TKalender *m_calendar = nullptr;
    VisitPrintAction m_print;
    PhotoChooser m_choosePhoto;
    MasterPicker m_pickMaster;
    PreRegistrationPicker m_pickPreRegistration;

    Mode m_mode = Mode::Arrival;
    bool m_opened = false;  // the services' opening of this showing succeeded
    bool m_filling = false; // fields are set by the program: no mandatory check
    bool m_checkingAwn = false;
    bool m_movingFocus = false;
    bool m_zielFree = true;     // ZielBearbeiten, read at program start
    bool m_manualBadge = false; // AWNManuell, read at program start
    QString m_date;            // the form's date text
    QString m_preRegistration; // NR of the pre-registration taken over
    std::unique_ptr<Loaded> m_loaded;

    // Header.
    QFrame *pnModus = nullptr;
    QLabel *lbModus = nullptr;
    QLabel *pnHinweis = nullptr;
    QLabel *lbAusweis = nullptr;
    QComboBox *cbxAusweis = nullptr;
    QFrame *pnAWNManuell = nullptr;
    QLineEdit *meAWN = nullptr;
    QPushButton *btnStammAuswahl = nullptr;
    QLabel *lbVorgang = nullptr;
    QLabel *lbBesuchsbeginn = nullptr;
    QLabel *lbTag = nullptr;
    QLabel *lbKommt = nullptr;
    QLabel *lbGeht = nullptr;
    QLabel *lbAnwesend = nullptr;
    QLabel *lbBestaetigungNotwendig = nullptr;
    QLabel *lbAusrufezeichen = nullptr;
    QLabel *lbQuittung = nullptr;
    QLabel *lbDrucker = nullptr;

    // Visitor fields.
    QLineEdit *edName = nullptr;
    QLineEdit *edVorname = nullptr;
    QLineEdit *edFirma = nullptr;
    QLineEdit *edStrasse = nullptr;
    QLineEdit *edPLZ = nullptr;
    QLineEdit *edOrt = nullptr;
    QLineEdit *edTel = nullptr;
    QLineEdit *edPANr = nullptr;
    QLineEdit *edKFZ = nullptr;
    QComboBox *cbxLand = nullptr;
    QLineEdit *edBemerk = nullptr;
    QLabel *lbBemerk = nullptr;
    QLineEdit *meVon = nullptr;
    QLineEdit *meBis = nullptr;
    QToolButton *btnKalender1 = nullptr;
    QToolButton *btnKalender2 = nullptr;
    std::array<QLabel *, 11> m_marks{}; // the "*" of each mandatory field, settings order

    // Beside the fields.
    PhotoPanel *pnFoto = nullptr;
    QToolButton *btnFoto = nullptr;
    QLabel *lbBildpfad = nullptr;
    QToolButton *btnStamm = nullptr;
    QToolButton *btnVoranmeldung = nullptr;
    QComboBox *cbxAusweisTyp = nullptr;
    QPushButton *btnAusweis = nullptr;
    QPushButton *btnBestaetigung = nullptr;
    QCheckBox *chkUebernahme = nullptr;

    // Information panel.
    QGroupBox *pnInfo = nullptr;
    std::array<QLabel *, 4> lbInfo{};
    std::array<QCheckBox *, 4> chkInfo{};

    // Below the information panel.
    QWidget *pnUnten = nullptr;
    QLabel *lbRessourcen = nullptr;
    QLineEdit *edRessourcen = nullptr;
    QLabel *lbZiel = nullptr;
    QComboBox *edZiel = nullptr;
    QCheckBox *chkQuittungErbracht = nullptr;
    QPushButton *btnSpeichern = nullptr;
    QPushButton *btnAbbrechen = nullptr;
    QPushButton *btnNeu = nullptr;
    QPushButton *btnLoeschen = nullptr;
};

} // namespace lobrix::registration

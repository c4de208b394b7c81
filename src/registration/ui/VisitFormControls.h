#pragma once
// The controls of the visit form and how they are laid out: every control with its
// objectName, caption (buddy and accessible name) and place. The form (TBesucher) wires
// them to its handlers; what they show is VisitFormBinding's.
#include "common/ui/MandatoryGroup.h"

#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace lobrix::registration {

class PhotoPanel;

struct VisitFormControls {
    static constexpr int FormWidth = 680;
    static constexpr int FormHeight = 672;
    static constexpr int InfoPanelTop = 484;
    static constexpr int InfoPanelHeight = 76;
    static constexpr int LowerTop = InfoPanelTop + InfoPanelHeight + 6;

    // What a time or duration label shows when there is none.
    static QString noEntry() { return QStringLiteral("----"); }

    // Creates every control as a child of `form`. A free destination (ZielBearbeiten)
    // makes the destination list editable.
    void createControls(QDialog *form, bool zielFree);

    // The marks of the mandatory fields (indexed by MandatoryField) and the buttons that
    // need them filled.
    ui::MandatoryGroup mandatory;

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

private:
    void createHeader(QDialog *form);
    void createVisitorFields(QDialog *form);
    void createSidePanel(QDialog *form);
    void createInfoPanel(QDialog *form);
    void createLowerPart(QDialog *form, bool zielFree);
    void setTabOrder();
};

} // namespace lobrix::registration

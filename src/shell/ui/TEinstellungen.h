#pragma once
// "Einstellungen": the workstation's settings on the pages "allgemein" and
// "Besuchererfassung", saved to settings.ini and Voranmel.ini with "&Speichern"
// (WorkstationSettings holds the rules and the order).
#include "shell/WorkstationSettings.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace lobrix::shell {

class Session;

class TEinstellungen : public QDialog {
    Q_OBJECT
public:
    TEinstellungen(Session &session, QStringList printers, QWidget *parent = nullptr);

    // After steps 1 to 9 are written: publishing the standard badge (step 10; throws
    // lobrix::Error for the error box) and whatever takes the new values at once.
    using Saved = std::function<void(const WorkstationSettings &)>;
    void setSaved(Saved saved) { m_saved = std::move(saved); }
    // The file dialog of the file buttons: the chosen path, or empty. Tests replace it.
    using FileChooser = std::function<QString(QWidget *parent, const QString &filter, const QString &folder)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // "&Einstellungen": fills the pages and shows the dialog modally; saves on "&Speichern".
    int Einstellung1Click();
    void prepareSettings();

    WorkstationSettings shownSettings() const;
    void save();
    void chkDruckExternClick();

private:
    void showSettings(const WorkstationSettings &w);
    void pickFile(QLineEdit *field, const QString &filter, const QString &folder);

    Session &m_session;
    Saved m_saved;
    FileChooser m_chooseFile;

    QTabWidget *PageControl1 = nullptr;
    QLineEdit *edDatenbank = nullptr, *edListen = nullptr, *edBildpfad = nullptr;
    QComboBox *cbxDrucker1 = nullptr, *cbxDrucker2 = nullptr;
    QCheckBox *chkHochVertauscht = nullptr, *chkUhr = nullptr, *chkDBCheck = nullptr;
    QSpinBox *edHoehe = nullptr, *edBreite = nullptr;
    QCheckBox *chkDruckExtern = nullptr;
    QLineEdit *edBesucherscheinExtern = nullptr, *edAusweisExtern = nullptr;
    QLineEdit *edBesucherschein = nullptr, *edAusweis = nullptr;
    QToolButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr, *BitBtn4 = nullptr;
    QCheckBox *chkAutoStamm = nullptr, *chkQuittungDrucken = nullptr, *chkQuittung = nullptr;
    std::array<QCheckBox *, 11> chkRequired{};
    QCheckBox *chkShowInfoStamm = nullptr;
    std::array<QLineEdit *, 4> edInfo{};
    QPushButton *btnAbbrechen = nullptr, *btnSpeichern = nullptr;
};

} // namespace lobrix::shell

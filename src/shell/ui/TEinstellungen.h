#pragma once
// "Einstellungen": the workstation's settings on the pages "allgemein" and
// "Besuchererfassung", saved to settings.ini and Voranmel.ini with "&Speichern"
// (WorkstationSettings holds the rules and the order). In users mode ("Nutzer") a panel
// over the pages edits the ten slots of the users file, whose working copy the main
// window read at start and the login uses.
#include "shell/UserRights.h"
#include "shell/WorkstationSettings.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTableView;
class QTabWidget;
class QToolButton;

namespace lobrix::shell {

class Session;
class UsersFile;

class TEinstellungen : public QDialog {
    Q_OBJECT
public:
    // What the password field shows for a password kept only as its hash.
    static constexpr char UnchangedPassword[] = "********";
    // Renews the filler characters of every slot in `users` (the file is written only by
    // "&Benutzerrechte speichern"); `users` must outlive the dialog.
    TEinstellungen(Session &session, UsersFile &users, QStringList printers,
                   QWidget *parent = nullptr);

    // At every opening, before the dialog is shown: the main window applies the rights
    // again and places the dialog.
    using Opening = std::function<void(QWidget &dialog)>;
    void setOpening(Opening opening) { m_opening = std::move(opening); }

    // After every setting is written: publishing the standard badge (throws lobrix::Error
    // for the error box) and whatever takes the new values at once.
    using Saved = std::function<void(const WorkstationSettings &)>;
    void setSaved(Saved saved) { m_saved = std::move(saved); }
    // The file dialog of the file buttons: the chosen path, or empty. Tests replace it.
    using FileChooser = std::function<QString(QWidget *parent, const QString &filter, const QString &folder)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // "&Einstellungen": fills the pages and shows the dialog modally; saves on "&Speichern".
    int Einstellung1Click();
    void prepareSettings();
    // "&Nutzer": the users panel, shown modally; only "&Benutzerrechte speichern" writes.
    int Nutzer1Click();
    void prepareUsers();

    WorkstationSettings shownSettings() const;
    void save();
    void chkDruckExternClick();

    // The slot selected in GridNutzer (row = slot).
    int selectedSlot() const;
    // Loads the selected slot into the fields and disables the save button: unsaved
    // changes are dropped.
    void GridNutzerClick();
    // Stores the selected slot and writes user.dat; on failure an error box, and neither
    // the working copy nor the file changes.
    void btnUebernehmenClick();

private:
    void createUsersPanel();
    void showSettings(const WorkstationSettings &w);
    void pickFile(QLineEdit *field, const QString &filter, const QString &folder);
    void userChanged();
    void opening();

    Session &m_session;
    UsersFile &m_users;
    Saved m_saved;
    FileChooser m_chooseFile;
    Opening m_opening;
    bool m_loadingUser = false;
    // The selected slot's stored hash, and whether a new password was typed since.
    QString m_storedHash;
    bool m_passwordTyped = false;

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

    QWidget *pnNutzer = nullptr;
    QTableView *GridNutzer = nullptr;
    QStandardItemModel *m_userNames = nullptr;
    QLineEdit *edNutzer = nullptr, *edPasswort = nullptr;
    std::array<QCheckBox *, RightCount> chkRights{};
    QPushButton *btnUebernehmen = nullptr;
};

} // namespace lobrix::shell

#include "shell/ui/TEinstellungen.h"

#include "common/Error.h"
#include "common/ui/Controls.h"
#include "common/ui/MessageBoxes.h"
#include "shell/Session.h"
#include "shell/UsersFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QHeaderView>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace lobrix::shell {
namespace {

// A read-only field with its caption, in a form layout.
QLineEdit *fileField(QWidget *page, QFormLayout *form, const char *name, const QString &caption,
                     QToolButton **button = nullptr, const char *buttonName = nullptr)
{
    QLabel *label = ui::label(page, (QByteArray("lb") + name).constData(), caption);
    QLineEdit *field = ui::lineEdit(page, name, 0);
    field->setReadOnly(true);
    ui::setCaption(field, label);
    if (!button) {
        form->addRow(label, field);
        return field;
    }
    *button = ui::toolButton(page, buttonName, QStringLiteral("Datei auswählen ..."));
    (*button)->setText(QStringLiteral("..."));
    auto *row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(*button);
    form->addRow(label, row);
    return field;
}

// The text after the last folder separator of either kind.
QString fileNameOf(const QString &path)
{
    return path.mid(std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')) + 1);
}

} // namespace

TEinstellungen::TEinstellungen(Session &session, UsersFile &users, QStringList printers,
                               QWidget *parent)
    : QDialog(parent), m_session(session), m_users(users)
{
    setObjectName(QStringLiteral("TEinstellungen"));
    setModal(true);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    // Page "allgemein".
    auto *TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto *paths = new QGroupBox(QStringLiteral("Pfadangaben"), TabSheet1);
    auto *pathForm = new QFormLayout(paths);
    edDatenbank = ui::lineEdit(paths, "edDatenbank", 0);
    edListen = ui::lineEdit(paths, "edListen", 0);
    edBildpfad = ui::lineEdit(paths, "edBildpfad", 0);
    for (auto [field, caption] : {std::pair{edDatenbank, "Datenbank"}, std::pair{edListen, "Listen"},
                                  std::pair{edBildpfad, "Bilder"}}) {
        QLabel *l = ui::label(paths, (QByteArray("lb") + field->objectName().toLatin1()).constData(),
                              QString::fromUtf8(caption));
        ui::setCaption(field, l);
        pathForm->addRow(l, field);
    }
    auto *printersBox = new QGroupBox(QStringLiteral("Drucker"), TabSheet1);
    auto *printerForm = new QFormLayout(printersBox);
    cbxDrucker1 = ui::comboBox(printersBox, "cbxDrucker1");
    cbxDrucker2 = ui::comboBox(printersBox, "cbxDrucker2");
    for (auto [box, caption] : {std::pair{cbxDrucker1, "Drucker für Besuchsbestätigung"},
                                std::pair{cbxDrucker2, "Drucker für Besucherausweis"}}) {
        box->addItems(printers); // in the system's order; pick only
        QLabel *l = ui::label(printersBox, (QByteArray("lb") + box->objectName().toLatin1()).constData(),
                              QString::fromUtf8(caption));
        ui::setCaption(box, l);
        printerForm->addRow(l, box);
    }
    chkHochVertauscht = ui::checkBox(printersBox, "chkHochVertauscht", QStringLiteral("Hochformat ist schmale Seite nach oben"));
    printerForm->addRow(chkHochVertauscht);
    auto *page = new QGroupBox(QStringLiteral("Seitenformat für Besucherausweis (mm)"), TabSheet1);
    auto *pageForm = new QFormLayout(page);
    edHoehe = new QSpinBox(page);
    edHoehe->setObjectName(QStringLiteral("edHoehe"));
    edBreite = new QSpinBox(page);
    edBreite->setObjectName(QStringLiteral("edBreite"));
    for (auto [box, caption] : {std::pair{edHoehe, "Höhe"}, std::pair{edBreite, "Breite"}}) {
        // Set by the arrows only (5 to 10000); a missing value shows 0.
        box->setRange(0, WorkstationSettings::MaxSize);
        box->findChild<QLineEdit *>()->setReadOnly(true); // the arrows set it
        connect(box, &QSpinBox::valueChanged, box, [box](int v) {
            if (v > 0 && v < WorkstationSettings::MinSize)
                box->setValue(WorkstationSettings::MinSize);
        });
        QLabel *l = ui::label(page, (QByteArray("lb") + box->objectName().toLatin1()).constData(),
                              QString::fromUtf8(caption));
        ui::setCaption(box, l);
        pageForm->addRow(l, box);
    }
    chkUhr = ui::checkBox(TabSheet1, "chkUhr", QStringLiteral("Uhr anzeigen"));
    chkDBCheck = ui::checkBox(TabSheet1, "chkDBCheck", QStringLiteral("Datenbank bei Programmstart NICHT prüfen"));
    auto *general = new QVBoxLayout(TabSheet1);
    for (QWidget *w : std::initializer_list<QWidget *>{paths, printersBox, page, chkUhr, chkDBCheck})
        general->addWidget(w);
    general->addStretch();
    PageControl1->addTab(TabSheet1, QStringLiteral("allgemein"));

    // Page "Besuchererfassung".
    auto *TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto *files = new QFormLayout;
    chkDruckExtern = ui::checkBox(TabSheet2, "chkDruckExtern", QStringLiteral("Besucherschein / Ausweis aus Word drucken"));
    files->addRow(chkDruckExtern);
    edBesucherscheinExtern = fileField(TabSheet2, files, "edBesucherscheinExtern", QStringLiteral("Besucherschein"), &BitBtn3, "BitBtn3");
    edAusweisExtern = fileField(TabSheet2, files, "edAusweisExtern", QStringLiteral("Besucherausweis"), &BitBtn4, "BitBtn4");
    edBesucherschein = fileField(TabSheet2, files, "edBesucherschein", QStringLiteral("Besucherschein-Datei"), &BitBtn1, "BitBtn1");
    edAusweis = fileField(TabSheet2, files, "edAusweis", QStringLiteral("Ausweis für Voranmeldung"), &BitBtn2, "BitBtn2");
    chkAutoStamm = ui::checkBox(TabSheet2, "chkAutoStamm", QStringLiteral("Besucher automatisch in Stamm aufnehmen"));
    chkQuittungDrucken = ui::checkBox(TabSheet2, "chkQuittungDrucken", QStringLiteral("Besuchsbestätigung automatisch"));
    auto *required = new QGroupBox(QStringLiteral("Felder die ausgefüllt werden müssen"), TabSheet2);
    auto *grid = new QGridLayout(required);
    const std::array<std::pair<const char *, const char *>, 11> fields{{
        {"chkName", "Name"}, {"chkVorname", "Vorname"}, {"chkPANr", "PA-Nr."}, {"chkFirma", "Firma"},
        {"chkStrasse", "Strasse"}, {"chkPLZ", "PLZ"}, {"chkOrt", "Ort"}, {"chkLand", "Land"},
        {"chkKFZ", "Kfz-Kz."}, {"chkTel", "Telefon"}, {"chkZiel", "Besuchsziel"}}};
    for (size_t i = 0; i < fields.size(); ++i) {
        chkRequired[i] = ui::checkBox(required, fields[i].first, QString::fromUtf8(fields[i].second));
        grid->addWidget(chkRequired[i], int(i) / 3, int(i) % 3);
    }
    chkQuittung = ui::checkBox(required, "chkQuittung", QStringLiteral("Besuchsbestätigung beim Gehen"));
    grid->addWidget(chkQuittung, 4, 0, 1, 3);
    chkShowInfoStamm = ui::checkBox(TabSheet2, "chkShowInfoStamm", QStringLiteral("Info-Felder im Besucherstamm anzeigen"));
    auto *infos = new QFormLayout;
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "edInfo" + QByteArray::number(i + 1);
        edInfo[size_t(i)] = ui::lineEdit(TabSheet2, name.constData(), 0);
        QLabel *l = ui::label(TabSheet2, ("lbInfo" + QByteArray::number(i + 1)).constData(),
                              QStringLiteral("Info%1").arg(i + 1));
        ui::setCaption(edInfo[size_t(i)], l);
        infos->addRow(l, edInfo[size_t(i)]);
    }
    auto *capture = new QVBoxLayout(TabSheet2);
    capture->addLayout(files);
    capture->addWidget(chkAutoStamm);
    capture->addWidget(chkQuittungDrucken);
    capture->addWidget(required);
    capture->addWidget(chkShowInfoStamm);
    capture->addLayout(infos);
    capture->addStretch();
    PageControl1->addTab(TabSheet2, QStringLiteral("Besuchererfassung"));

    btnAbbrechen = ui::button(this, "btnAbbrechen", QStringLiteral("&Abbrechen"), QStringLiteral("abbrechen ohne Speichern"));
    btnSpeichern = ui::button(this, "btnSpeichern", QStringLiteral("&Speichern"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnAbbrechen);
    buttons->addWidget(btnSpeichern);
    createUsersPanel();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addWidget(pnNutzer);
    layout->addLayout(buttons);

    const QString start = session.folders().start;
    const QString db = session.folders().database;
    const QString word = QStringLiteral("Word-Dokument (*.doc)");
    connect(BitBtn1, &QToolButton::clicked, this, [=, this] {
        pickFile(edBesucherschein, QStringLiteral("Besucherschein-Dateien (Besucherschein*.ini)"), start);
    });
    connect(BitBtn2, &QToolButton::clicked, this, [=, this] {
        pickFile(edAusweis, QStringLiteral("Ausweis-Dateien (Ausweis*.ini)"), db);
    });
    connect(BitBtn3, &QToolButton::clicked, this, [=, this] { pickFile(edBesucherscheinExtern, word, start); });
    connect(BitBtn4, &QToolButton::clicked, this, [=, this] { pickFile(edAusweisExtern, word, start); });
    connect(chkDruckExtern, &QCheckBox::clicked, this, &TEinstellungen::chkDruckExternClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSpeichern, &QPushButton::clicked, this, &QDialog::accept);
}

void TEinstellungen::createUsersPanel()
{
    pnNutzer = new QWidget(this);
    pnNutzer->setObjectName(QStringLiteral("pnNutzer"));
    pnNutzer->hide();
    QLabel *heading = ui::label(pnNutzer, "lbNutzerrechte", QStringLiteral("Nutzerrechte und Passwörter vergeben"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    GridNutzer = ui::rowGrid(pnNutzer, "GridNutzer", QStringLiteral("Nutzer"), 18);
    m_userNames = new QStandardItemModel(UsersFile::SlotCount, 1, GridNutzer);
    m_userNames->setHorizontalHeaderLabels({QStringLiteral("Nutzer")});
    GridNutzer->setModel(m_userNames);
    GridNutzer->horizontalHeader()->setStretchLastSection(true);
    GridNutzer->setMinimumHeight(GridNutzer->horizontalHeader()->sizeHint().height() + 18 * UsersFile::SlotCount + 4);

    auto *fields = new QFormLayout;
    QLabel *lbName = ui::label(pnNutzer, "lbName", QStringLiteral("Name:"));
    QLabel *lbPass = ui::label(pnNutzer, "lbPass", QStringLiteral("Passwort:"));
    edNutzer = ui::lineEdit(pnNutzer, "edNutzer", UsersFile::MaxTextLength);
    edPasswort = ui::passwordEdit(pnNutzer, "edPasswort", UsersFile::MaxTextLength);
    ui::setCaption(edNutzer, lbName);
    ui::setCaption(edPasswort, lbPass);
    fields->addRow(lbName, edNutzer);
    fields->addRow(lbPass, edPasswort);
    auto *rights = new QVBoxLayout;
    for (size_t k = 0; k < RightCheckBoxes.size(); ++k) {
        chkRights[k] = ui::checkBox(pnNutzer, RightCheckBoxes[k].objectName,
                                    QString::fromUtf8(RightCheckBoxes[k].caption));
        rights->addWidget(chkRights[k]);
        connect(chkRights[k], &QCheckBox::toggled, this, &TEinstellungen::userChanged);
    }
    btnUebernehmen = ui::button(pnNutzer, "btnUebernehmen", QStringLiteral("&Benutzerrechte speichern"),
                                QStringLiteral("Benutzerrechte speichern"));
    btnUebernehmen->setEnabled(false);

    auto *right = new QVBoxLayout;
    right->addLayout(fields);
    right->addLayout(rights);
    right->addStretch();
    right->addWidget(btnUebernehmen, 0, Qt::AlignLeft);
    auto *columns = new QHBoxLayout;
    columns->addWidget(GridNutzer, 1);
    columns->addLayout(right, 2);
    auto *panel = new QVBoxLayout(pnNutzer);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(heading);
    panel->addLayout(columns);

    connect(edNutzer, &QLineEdit::textChanged, this, &TEinstellungen::userChanged);
    connect(edPasswort, &QLineEdit::textChanged, this, &TEinstellungen::userChanged);
    connect(edPasswort, &QLineEdit::textEdited, this, [this] { m_passwordTyped = true; });
    // A click, also on the row already selected, and the arrow keys load the slot.
    connect(GridNutzer, &QTableView::clicked, this, &TEinstellungen::GridNutzerClick);
    connect(GridNutzer->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TEinstellungen::GridNutzerClick);
    connect(btnUebernehmen, &QPushButton::clicked, this, &TEinstellungen::btnUebernehmenClick);

    // Storing every slot as read renews its filler; the file follows at the next save.
    for (int slot = 0; slot < UsersFile::SlotCount; ++slot) {
        const UserSlot user = m_users.loadUserSlot(slot);
        try {
            m_users.storeUserSlot(slot, user);
        } catch (const Error &) {
            // What was read back is always storable; were it not, the line stays as found.
        }
        m_userNames->setItem(slot, 0, new QStandardItem(user.name));
    }
    GridNutzer->setCurrentIndex(m_userNames->index(0, 0));
}

int TEinstellungen::Einstellung1Click()
{
    prepareSettings();
    const int result = exec();
    if (result == QDialog::Accepted)
        save();
    return result;
}

void TEinstellungen::prepareSettings()
{
    showSettings(WorkstationSettings::read(m_session));
    btnSpeichern->setText(QStringLiteral("&Speichern"));
    btnSpeichern->setToolTip(QStringLiteral("Programmeinstellungen speichern"));
    btnAbbrechen->show();
    pnNutzer->hide();
    PageControl1->show();
    setWindowTitle(QStringLiteral("Einstellungen"));
    PageControl1->setCurrentIndex(0);
    opening();
    chkDruckExternClick();
}

int TEinstellungen::Nutzer1Click()
{
    prepareUsers();
    return exec(); // closing writes nothing
}

void TEinstellungen::prepareUsers()
{
    PageControl1->hide();
    pnNutzer->show();
    btnSpeichern->setText(QStringLiteral("&Schliessen"));
    btnSpeichern->setToolTip(QStringLiteral("Fenster schliessen"));
    btnAbbrechen->hide();
    setWindowTitle(QStringLiteral("Nutzer"));
    opening();
    GridNutzerClick();
}

void TEinstellungen::opening()
{
    adjustSize(); // the mode's own size, before it is placed
    if (m_opening)
        m_opening(*this);
}

int TEinstellungen::selectedSlot() const
{
    const int row = GridNutzer->currentIndex().row();
    return row < 0 ? 0 : row;
}

void TEinstellungen::GridNutzerClick()
{
    const UserSlot user = m_users.loadUserSlot(selectedSlot());
    m_loadingUser = true;
    edNutzer->setText(user.name);
    // A hashed password cannot be shown: a fixed placeholder stands for "unchanged".
    m_storedHash = user.passwordHash;
    m_passwordTyped = false;
    edPasswort->setText(user.passwordHash.isEmpty() ? user.password : QString::fromLatin1(UnchangedPassword));
    for (int k = 0; k < RightCount; ++k)
        chkRights[size_t(k)]->setChecked(user.rights.has(k));
    m_loadingUser = false;
    btnUebernehmen->setEnabled(false);
}

void TEinstellungen::userChanged()
{
    if (!m_loadingUser)
        btnUebernehmen->setEnabled(true);
}

void TEinstellungen::btnUebernehmenClick()
{
    const int slot = selectedSlot();
    UserSlot user{edNutzer->text(), edPasswort->text(), {}, {}};
    if (!m_passwordTyped && !m_storedHash.isEmpty()) {
        user.password.clear();
        user.passwordHash = m_storedHash; // the password stays as it is
    }
    for (int k = 0; k < RightCount; ++k)
        user.rights.set(k, chkRights[size_t(k)]->isChecked());
    // On a copy: a refused name or a failed write leaves the working copy as the file is.
    UsersFile changed = m_users;
    try {
        changed.storeUserSlot(slot, user);
        changed.write(UsersFile::pathIn(m_session.folders().start));
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
        return;
    }
    m_users = std::move(changed);
    m_userNames->item(slot, 0)->setText(user.name);
    btnUebernehmen->setEnabled(false);
}

void TEinstellungen::showSettings(const WorkstationSettings &w)
{
    edDatenbank->setText(w.datenbank);
    edListen->setText(w.listen);
    edBildpfad->setText(w.bilder);
    cbxDrucker1->setCurrentIndex(w.printer1 < cbxDrucker1->count() ? w.printer1 : -1);
    cbxDrucker2->setCurrentIndex(w.printer2 < cbxDrucker2->count() ? w.printer2 : -1);
    chkHochVertauscht->setChecked(w.hochQuer);
    edHoehe->setValue(w.ausweisHoehe);
    edBreite->setValue(w.ausweisBreite);
    chkUhr->setChecked(w.uhrzeitDatum);
    chkDBCheck->setChecked(w.noDbCheck);
    chkDruckExtern->setChecked(w.druckExtern);
    edBesucherscheinExtern->setText(w.besucherscheinExtern);
    edAusweisExtern->setText(w.ausweisExtern);
    edBesucherschein->setText(w.besucherschein);
    edAusweis->setText(w.ausweis);
    chkAutoStamm->setChecked(w.autoStamm);
    chkQuittungDrucken->setChecked(w.autoQuittung);
    chkQuittung->setChecked(w.quittung);
    for (size_t i = 0; i < chkRequired.size(); ++i)
        chkRequired[i]->setChecked(w.requiredFields[i]);
    chkShowInfoStamm->setChecked(w.showInfoStamm);
    for (size_t i = 0; i < edInfo.size(); ++i)
        edInfo[i]->setText(w.bezeichnungInfo[i]);
}

WorkstationSettings TEinstellungen::shownSettings() const
{
    WorkstationSettings w;
    w.datenbank = edDatenbank->text();
    w.listen = edListen->text();
    w.bilder = edBildpfad->text();
    w.printer1 = cbxDrucker1->currentIndex();
    w.printer2 = cbxDrucker2->currentIndex();
    w.hochQuer = chkHochVertauscht->isChecked();
    w.ausweisHoehe = edHoehe->value();
    w.ausweisBreite = edBreite->value();
    w.uhrzeitDatum = chkUhr->isChecked();
    w.noDbCheck = chkDBCheck->isChecked();
    w.druckExtern = chkDruckExtern->isChecked();
    w.besucherscheinExtern = edBesucherscheinExtern->text();
    w.ausweisExtern = edAusweisExtern->text();
    w.besucherschein = edBesucherschein->text();
    w.ausweis = edAusweis->text();
    w.autoStamm = chkAutoStamm->isChecked();
    w.autoQuittung = chkQuittungDrucken->isChecked();
    w.quittung = chkQuittung->isChecked();
    for (size_t i = 0; i < chkRequired.size(); ++i)
        w.requiredFields[i] = chkRequired[i]->isChecked();
    w.showInfoStamm = chkShowInfoStamm->isChecked();
    for (size_t i = 0; i < edInfo.size(); ++i)
        w.bezeichnungInfo[i] = edInfo[i]->text();
    return w;
}

void TEinstellungen::save()
{
    const WorkstationSettings w = shownSettings();
    try {
        w.save(m_session);
        if (m_saved)
            m_saved(w);
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
        return;
    }
    if (const QString warning = w.databaseFolderWarning(); !warning.isEmpty())
        ui::MessageBoxes::show(this, warning);
}

void TEinstellungen::chkDruckExternClick()
{
    const bool external = chkDruckExtern->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{edBesucherscheinExtern, BitBtn3, edAusweisExtern, BitBtn4})
        w->setEnabled(external);
    for (QWidget *w : std::initializer_list<QWidget *>{edBesucherschein, BitBtn1, edAusweis, BitBtn2})
        w->setEnabled(!external);
}

void TEinstellungen::pickFile(QLineEdit *field, const QString &filter, const QString &folder)
{
    const QString path = m_chooseFile ? m_chooseFile(this, filter, folder)
                                      : QFileDialog::getOpenFileName(this, QString(), folder, filter);
    if (!path.isEmpty())
        field->setText(fileNameOf(path)); // only the file name is stored
}

} // namespace lobrix::shell

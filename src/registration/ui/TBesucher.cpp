#include "registration/ui/TBesucher.h"

#include "common/Error.h"
#include "common/ImageFile.h"
#include "common/ui/Controls.h"
#include "common/ui/EnterAsTab.h"
#include "common/ui/MessageBoxes.h"
#include "registration/ArrivalService.h"
#include "registration/BadgePool.h"
#include "registration/DepartureService.h"
#include "registration/MasterDataService.h"
#include "registration/ValidityDates.h"
#include "registration/ui/ManualBadgeEntry.h"
#include "registration/ui/PhotoPanel.h"
#include "registration/ui/TKalender.h"
#include "registration/ui/VisitFormSaving.h"
#include "shell/Session.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace lobrix::registration {

struct TBesucher::Loaded {
    DepartureService::LoadedVisit visit;
};

namespace {

const QColor Blue(0, 0, 255);
const QColor Grey(128, 128, 128);

// The file name after the last folder separator of either kind.
QString fileNameOf(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

using Filling = ui::MandatoryGroup::Filling;

} // namespace

TBesucher::TBesucher(shell::Session &session, QProgressBar *progressBar, QLabel *progressLabel,
                     QWidget *parent)
    : QDialog(parent), m_session(session), m_arrival(std::make_unique<ArrivalService>(session)),
      m_departure(std::make_unique<DepartureService>(session)),
      m_master(std::make_unique<MasterDataService>(session)), m_progressBar(progressBar),
      m_progressLabel(progressLabel), m_zielFree(session.options().zielBearbeiten),
      m_manualBadge(session.options().awnManuell), m_binding(controls(), m_zielFree)
{
    setObjectName(QStringLiteral("TBesucher"));
    setWindowTitle(QStringLiteral("Besucher"));
    setModal(true);
    createControls(this, m_zielFree);
    m_manualEntry = std::make_unique<ManualBadgeEntry>(
        *this, controls(), m_binding, *m_arrival,
        ManualBadgeEntry::Hooks{[this](const VisitData &r) { takeOverMasterRecord(r, false); },
                                [this](QWidget *field) { focusField(field); }});
    connectControls();
}

TBesucher::~TBesucher() = default;

void TBesucher::connectControls()
{
    connect(cbxAusweis, &QComboBox::currentIndexChanged, this, [this] {
        if (!mandatory.filling())
            cbxAusweisChange();
    });
    connect(btnStammAuswahl, &QPushButton::clicked, this, &TBesucher::btnStammClick);
    connect(btnKalender1, &QToolButton::clicked, this, &TBesucher::btnKalender1Click);
    connect(btnKalender2, &QToolButton::clicked, this, &TBesucher::btnKalender2Click);
    connect(btnFoto, &QToolButton::clicked, this, &TBesucher::btnFotoClick);
    connect(btnStamm, &QToolButton::clicked, this, &TBesucher::btnStammClick);
    connect(btnVoranmeldung, &QToolButton::clicked, this, &TBesucher::btnVoranmeldungClick);
    connect(btnAusweis, &QPushButton::clicked, this, &TBesucher::btnAusweisClick);
    connect(btnBestaetigung, &QPushButton::clicked, this, &TBesucher::btnBestaetigungClick);
    for (int i = 0; i < 4; ++i) {
        connect(chkInfo[i], &QCheckBox::clicked, this, [this, i] { chkInfoClick(i); });
        lbInfo[i]->installEventFilter(this); // a click on the caption ticks the box
    }
    connect(btnSpeichern, &QPushButton::clicked, this, &TBesucher::btnSpeichernClick);
    connect(btnNeu, &QPushButton::clicked, this, &TBesucher::btnNeuClick);
    connect(btnLoeschen, &QPushButton::clicked, this, &TBesucher::btnLoeschenClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &TBesucher::btnAbbrechenClick);
    mandatory.setCheck([this] {
        // Departure: nothing can be saved before a visit is loaded.
        const bool loaded = !m_mode->loadsVisitOfBadge || m_loaded;
        return loaded && opening().settings.mandatoryFieldsFilled(visitData(), m_mode->masterDataRule);
    });

    // Enter works as Tab in every field; in the typed badge number it checks the number.
    auto *enter = new ui::EnterAsTab(this);
    enter->setHandler(meAWN, [this] { meAWNKeyPress(); });
    meAWN->installEventFilter(this); // leaving and clicking the field
}

const FormOpening &TBesucher::opening() const
{
    switch (m_mode->mode) {
    case VisitMode::Departure:
        return m_departure->opening();
    case VisitMode::MasterData:
        return m_master->opening();
    case VisitMode::Arrival:
        break;
    }
    return m_arrival->opening();
}

VisitFormService &TBesucher::service()
{
    switch (m_mode->mode) {
    case VisitMode::Departure:
        return *m_departure;
    case VisitMode::MasterData:
        return *m_master;
    case VisitMode::Arrival:
        break;
    }
    return *m_arrival;
}

void TBesucher::setMode(VisitMode mode)
{
    m_mode = &VisitFormMode::of(mode);
    m_preRegistration.clear();
}

// --- opening ------------------------------------------------------------------------------

int TBesucher::btnBeginnClick()
{
    prepareArrival();
    return exec();
}

int TBesucher::btnEndeClick()
{
    prepareDeparture();
    return exec();
}

int TBesucher::Besucherstammbearbeiten1Click()
{
    prepareMasterData();
    return exec();
}

void TBesucher::prepareArrival()
{
    setMode(VisitMode::Arrival);
}

void TBesucher::prepareDeparture()
{
    setMode(VisitMode::Departure);
}

void TBesucher::prepareMasterData()
{
    setMode(VisitMode::MasterData);
    m_masterIdentity.reset();
}

void TBesucher::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TBesucher::FormShow()
{
    m_opened = false;
    m_loaded.reset();
    m_binding.clearVisitor();
    edRessourcen->clear();
    btnSpeichern->show();
    m_manualEntry->setColour(ManualBadgeEntry::Colour::Normal);
    bool ok = false;
    switch (m_mode->mode) {
    case VisitMode::Arrival:
        ok = openArrival();
        break;
    case VisitMode::Departure:
        ok = openDeparture();
        break;
    case VisitMode::MasterData:
        ok = openMasterData();
        break;
    }
    m_opened = true; // the lock is set from here on, also when the opening failed
    if (!ok)
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

bool TBesucher::openArrival()
{
    const ArrivalService::Opening *o = nullptr;
    if (!readWithProgress(
            [&](const BadgePool::Progress &progress) { o = &m_arrival->open(progress); }))
        return false;
    prepareCommon(*o);

    // The time and date of the opening count for the whole arrival.
    lbKommt->setText(o->time);
    lbTag->setText(o->date);
    meVon->setText(o->date);
    meBis->clear();
    m_date = o->date;
    lbGeht->setText(VisitFormControls::noEntry());
    lbAnwesend->setText(VisitFormControls::noEntry());

    setPrintControlsEnabled(false); // until the mandatory-field check allows saving
    chkUebernahme->show();
    chkUebernahme->setEnabled(true);
    chkUebernahme->setChecked(o->settings.autoStamm);
    btnStamm->setVisible(m_session.isServiceLogin() ||
                         m_session.user()->has(shell::Right::StammLesen));
    btnVoranmeldung->setVisible(o->settings.voranmeldung);
    prepareConfirmation(*o, false);
    setModePanel();

    {
        const ui::MandatoryGroup::Filling filling(mandatory);
        cbxAusweis->clear();
        cbxAusweis->addItems(o->badgeEntries);
        cbxAusweis->setCurrentIndex(o->selectedBadge);
    }
    cbxAusweis->setEnabled(true);
    lbVorgang->setText(o->visitNumber);

    pnAWNManuell->setVisible(m_manualBadge);
    cbxAusweis->setVisible(!m_manualBadge);
    meAWN->setText(BadgePool::manualBadgeText(0));

    if (!o->noBadgeMessage.isEmpty()) {
        ui::MessageBoxes::show(this, o->noBadgeMessage);
        setHint(o->noBadgeMessage);
        btnSpeichern->hide();
    } else {
        setHint(QString());
    }
    focusField(m_manualBadge ? static_cast<QWidget *>(meAWN) : edName);
    return true;
}

bool TBesucher::openDeparture()
{
    const DepartureService::Opening *o = nullptr;
    if (!readWithProgress(
            [&](const BadgePool::Progress &progress) { o = &m_departure->open(progress); }))
        return false;
    prepareCommon(*o);

    // The departure time and date count for the whole form, however long it stays open.
    lbGeht->setText(o->time);
    m_date = o->date;
    lbKommt->clear();
    lbTag->clear();
    meVon->clear();
    meBis->clear();
    lbVorgang->clear();
    lbAnwesend->setText(VisitFormControls::noEntry());

    chkUebernahme->show();
    chkUebernahme->setChecked(o->settings.autoStamm); // no effect in this mode
    chkUebernahme->setEnabled(false);
    btnStamm->hide();
    btnVoranmeldung->hide();
    prepareConfirmation(*o, true);
    setModePanel();

    // Badges are always chosen from the list in this mode.
    pnAWNManuell->hide();
    cbxAusweis->show();
    cbxAusweis->setEnabled(true);
    {
        const ui::MandatoryGroup::Filling filling(mandatory);
        cbxAusweis->clear();
        cbxAusweis->addItems(m_departure->entryTexts(cbxAusweis->width(), [this](const QString &text) {
            return cbxAusweis->fontMetrics().horizontalAdvance(text);
        }));
        cbxAusweis->setCurrentIndex(-1);
    }

    if (o->loaded) {
        {
            const ui::MandatoryGroup::Filling filling(mandatory);
            cbxAusweis->setCurrentIndex(0);
        }
        m_loaded = std::make_unique<Loaded>(Loaded{*o->loaded});
        showLoadedVisit();
    } else {
        setPrintControlsEnabled(false);
        setHint(o->hint);
        btnSpeichern->setVisible(o->saveVisible);
    }
    focusField(cbxAusweis);
    return true;
}

void TBesucher::prepareCommon(const FormOpening &opening)
{
    showMandatoryMarks(opening);
    prepareInformation(opening);
    fillLists(opening);
    chkQuittungErbracht->show();
    chkQuittungErbracht->setChecked(false);
    chkQuittungErbracht->setEnabled(false); // the departure enables it when needed
    edZiel->show();
    lbZiel->show();
    lbAusweis->show();
    btnStammAuswahl->hide();
    btnNeu->hide();
    btnLoeschen->hide();
}

void TBesucher::showMandatoryMarks(const FormOpening &opening)
{
    for (int i = 0; i < MandatoryFieldCount; ++i)
        mandatory.setRequired(i, opening.settings.mandatory[i]);
}

void TBesucher::prepareInformation(const FormOpening &opening)
{
    for (int i = 0; i < 4; ++i) {
        lbInfo[i]->hide();
        chkInfo[i]->hide();
        chkInfo[i]->setChecked(false);
        ui::setInk(lbInfo[i], Blue);
        lbInfo[i]->setText(opening.settings.infoCaptions[i]);
        const QString caption = opening.settings.infoCaptions[i];
        ui::setAccessibleCaption(chkInfo[i], caption.trimmed().isEmpty()
                                                 ? QStringLiteral("Hinweis %1").arg(i + 1)
                                                 : caption);
    }
    lbZiel->setText(opening.settings.zielCaption);
    ui::setAccessibleCaption(edZiel, opening.settings.zielCaption);
    lbBemerk->setText(opening.settings.bemerkCaption);
    ui::setAccessibleCaption(edBemerk, opening.settings.bemerkCaption);
    lbRessourcen->setText(opening.settings.ressourcenCaption);
    ui::setAccessibleCaption(edRessourcen, opening.settings.ressourcenCaption);
    showInfoPanel(opening.settings.showInfoStamm);
}

void TBesucher::showInfoPanel(bool shown)
{
    // Without the panel the form is shorter, the controls below it moving up.
    pnInfo->setVisible(shown);
    const int lift = shown ? 0 : LowerTop - InfoPanelTop;
    pnUnten->move(0, LowerTop - lift);
    setFixedSize(FormWidth, FormHeight - lift);
}

void TBesucher::prepareConfirmation(const FormOpening &opening, bool departure)
{
    const VisitFormSettings &s = opening.settings;
    lbBestaetigungNotwendig->setVisible(s.quittung);
    lbAusrufezeichen->setVisible(s.quittung);
    lbQuittung->setVisible(s.quittung);
    lbQuittung->setText(s.autoQuittung ? QStringLiteral("Ausdruck automatisch beim Speichern")
                                       : QStringLiteral("Ausstellung erfolgt beim Besuchsziel"));
    ui::setInk(lbQuittung, departure ? Grey : QColor(Qt::black));
    if (departure) {
        btnBestaetigung->hide();
        chkQuittungErbracht->setEnabled(s.quittung);
    } else {
        btnBestaetigung->setVisible(s.quittung && !s.autoQuittung);
    }
}

void TBesucher::fillLists(const FormOpening &opening)
{
    const ui::MandatoryGroup::Filling filling(mandatory);
    cbxAusweisTyp->clear();
    cbxAusweisTyp->addItems(opening.badgeLayouts);
    cbxAusweisTyp->setCurrentIndex(opening.badgeLayouts.isEmpty() ? -1 : 0);
    edZiel->clear();
    edZiel->addItems(opening.destinations);
    m_binding.setDestination(QString());
    cbxLand->clear();
    cbxLand->addItems(opening.countries);
    cbxLand->setCurrentIndex(-1);
    cbxLand->clearEditText();
}

void TBesucher::setModePanel()
{
    ui::setGround(pnModus, m_mode->ground);
    lbModus->setText(m_mode->caption);
    lbBesuchsbeginn->setText(m_mode->timesLabel);
}

void TBesucher::setHint(const QString &text)
{
    if (!text.isEmpty())
        pnHinweis->setText(text);
    pnHinweis->setVisible(!text.isEmpty());
}

void TBesucher::setPrintControlsEnabled(bool enabled)
{
    mandatory.setGuardedEnabled(enabled);
}

void TBesucher::showProgress(int done, int total)
{
    if (!m_progressBar || !m_progressLabel)
        return;
    m_progressLabel->setText(BadgePool::progressText(done, total));
    m_progressLabel->adjustSize();
    m_progressBar->setRange(0, total);
    m_progressBar->setValue(done);
    m_progressBar->show();
    m_progressLabel->show();
    m_progressBar->repaint();
    m_progressLabel->repaint();
}

bool TBesucher::readWithProgress(const std::function<void(const BadgePool::Progress &)> &open)
{
    try {
        open([this](int done, int total) { showProgress(done, total); });
    } catch (const Error &e) {
        hideProgress();
        showError(e.message());
        return false;
    }
    hideProgress();
    return true;
}

void TBesucher::hideProgress()
{
    if (m_progressBar)
        m_progressBar->hide();
    if (m_progressLabel)
        m_progressLabel->hide();
}

// --- the visitor's data -------------------------------------------------------------------

void TBesucher::edNameChange()
{
    mandatory.refresh();
}

VisitData TBesucher::visitData() const
{
    return m_binding.visitData();
}

void TBesucher::takeOverMasterRecord(const VisitData &record, bool withInformation)
{
    m_binding.setVisitorFields(record, false);
    if (withInformation) {
        if (m_mode->takeOverHidesInformation) {
            for (QLabel *l : lbInfo)
                l->hide();
        }
        m_binding.setInformation(record.info);
    }
    m_binding.setValidity(record.gueltigVon, record.gueltigBis);
    // The master record's photo is shown, but the visit records no photo of its own.
    const QString photo = ImageFile::plainName(record.photo);
    pnFoto->load(photo.isEmpty() ? QString() : QDir(m_session.folders().images).filePath(photo));
    chkUebernahme->setChecked(false);
    chkUebernahme->setEnabled(false);
    edNameChange();
}

void TBesucher::takeOverPreRegistration(const PreRegistration &row)
{
    m_binding.setVisitorFields(row.visit, true);
    for (QLabel *l : lbInfo)
        l->hide();
    m_binding.setInformation(row.visit.info);
    {
        const Filling filling(mandatory);
        edRessourcen->setText(row.ressourcen);
    }
    m_binding.setValidity(row.visit.gueltigVon, row.visit.gueltigBis);
    m_preRegistration = row.nr;
    edNameChange();
}

void TBesucher::btnStammClick()
{
    if (!m_pickMaster)
        return;
    if (const std::optional<VisitData> record = m_pickMaster(visitData(), meAWN->text())) {
        takeOverMasterRecord(*record);
        if (m_mode->selectsMasterRecord)
            selectMasterRecord(*record);
    }
}

void TBesucher::btnVoranmeldungClick()
{
    if (!m_pickPreRegistration)
        return;
    if (const std::optional<PreRegistration> row = m_pickPreRegistration(visitData()))
        takeOverPreRegistration(*row);
}

void TBesucher::lbInfoClick(int index)
{
    chkInfo[index]->toggle();
    chkInfoClick(index);
}

void TBesucher::chkInfoClick(int index)
{
    m_binding.showTicked(index);
}

void TBesucher::btnKalender1Click()
{
    if (m_calendar)
        m_calendar->PickDateInto(btnKalender1, meVon);
}

void TBesucher::btnKalender2Click()
{
    if (m_calendar)
        m_calendar->PickDateInto(btnKalender2, meBis);
}

void TBesucher::btnFotoClick()
{
    const QString folder = m_session.folders().images;
    const QString file =
        m_choosePhoto ? m_choosePhoto(this, folder)
                      : QFileDialog::getOpenFileName(
                            this, QStringLiteral("Foto auswählen"), folder,
                            QStringLiteral("Bitmap (*.bmp);;Bilder (*.bmp *.png *.jpg *.jpeg)"));
    if (file.isEmpty())
        return;
    // Only the file name is kept: the photo is found again in the images folder.
    lbBildpfad->setText(pnFoto->load(file) ? fileNameOf(file) : QString());
}

void TBesucher::showPhoto(const QString &fileName)
{
    const QString plain = ImageFile::plainName(fileName);
    if (plain.isEmpty() || !pnFoto->load(QDir(m_session.folders().images).filePath(plain)))
        lbBildpfad->clear();
    else
        lbBildpfad->setText(fileName);
}

// --- manual badge entry -------------------------------------------------------------------

void TBesucher::focusField(QWidget *field)
{
    m_movingFocus = true;
    field->setFocus(Qt::OtherFocusReason);
    m_movingFocus = false;
}

void TBesucher::meAWNKeyPress()
{
    if (m_mode->checksManualBadge)
        m_manualEntry->enterPressed();
    else if (m_mode->looksUpPersonalNumber)
        lookUpPersonalNumber();
}

void TBesucher::meAWNExit()
{
    if (m_mode->checksManualBadge) {
        m_manualEntry->left();
    } else if (m_mode->looksUpPersonalNumber) {
        const QWidget *to = QApplication::focusWidget();
        if (to == btnAbbrechen || to == btnNeu)
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isVisible() && pnAWNManuell->isVisible())
                    lookUpPersonalNumber();
            },
            Qt::QueuedConnection);
    }
}

void TBesucher::meAWNClick()
{
    m_manualEntry->clicked();
}

// --- departure ----------------------------------------------------------------------------

void TBesucher::cbxAusweisChange()
{
    if (!m_mode->loadsVisitOfBadge || cbxAusweis->currentIndex() < 0)
        return;
    try {
        m_loaded = std::make_unique<Loaded>(Loaded{m_departure->load(cbxAusweis->currentIndex())});
    } catch (const Error &e) {
        m_loaded.reset();
        showError(e.message());
        return;
    }
    showLoadedVisit();
}

void TBesucher::showLoadedVisit()
{
    const DepartureService::LoadedVisit &v = m_loaded->visit;
    m_binding.clearVisitor();
    for (int i = 0; i < 4; ++i) {
        lbInfo[i]->hide();
        chkInfo[i]->setChecked(false);
    }
    if (v.hasVisit) {
        m_binding.setVisitorFields(v.visit, true);
        m_binding.setInformation(v.visit.info);
    }
    lbVorgang->setText(v.vorgang);
    lbKommt->setText(v.kommt);
    lbTag->setText(v.tag);
    m_binding.setValidity(v.visit.gueltigVon, v.visit.gueltigBis);
    showPhoto(v.photo);
    setPrintControlsEnabled(true);
    setHint(v.hasVisit ? QString() : v.message);
    lbAnwesend->setText(v.duration.isEmpty() ? VisitFormControls::noEntry() : v.duration);
}

// --- master data --------------------------------------------------------------------------

bool TBesucher::openMasterData()
{
    const FormOpening *o = nullptr;
    try {
        o = &m_master->open();
    } catch (const Error &e) {
        showError(e.message());
        return false;
    }
    prepareCommon(*o);
    for (int i = 0; i < 4; ++i) {
        lbInfo[i]->show();
        chkInfo[i]->show();
        ui::setInk(lbInfo[i], Qt::black);
    }
    for (QWidget *w : std::initializer_list<QWidget *>{
             lbBestaetigungNotwendig, lbAusrufezeichen, lbQuittung, lbDrucker, chkQuittungErbracht,
             btnBestaetigung, chkUebernahme, btnStamm, btnVoranmeldung, lbAusweis, cbxAusweis,
             edZiel, lbZiel, mandatory.mark(int(MandatoryField::Ziel))})
        w->hide();
    chkQuittungErbracht->setChecked(false);
    setModePanel();
    lbKommt->clear();
    lbTag->clear();
    lbVorgang->clear();
    lbGeht->setText(VisitFormControls::noEntry());
    lbAnwesend->setText(VisitFormControls::noEntry());
    m_date = o->date;

    // The selection button stands in place of the badge list, after the typed number.
    pnAWNManuell->setVisible(m_manualBadge);
    meAWN->setText(BadgePool::manualBadgeText(0));
    btnStammAuswahl->move(m_manualBadge ? pnAWNManuell->geometry().right() + 8 : 96,
                          btnStammAuswahl->y());
    btnStammAuswahl->show();
    btnNeu->show();
    btnNeu->setEnabled(true);
    btnLoeschen->show();
    btnLoeschen->setEnabled(false);
    setHint(QString(24, u' ') + QStringLiteral("Wählen Sie den Besucher aus der Liste aus."));
    setPrintControlsEnabled(false);
    m_binding.setValidity(QString(), QString());
    focusField(m_manualBadge ? static_cast<QWidget *>(meAWN) : btnStammAuswahl);
    return true;
}

void TBesucher::selectMasterRecord(const VisitData &record)
{
    setHint(QString());
    const MasterDataService::Identity identity = MasterDataService::Identity::of(record);
    m_masterIdentity = identity.values;
    try {
        btnLoeschen->setEnabled(m_master->countMatches(identity) == 1);
    } catch (const Error &e) {
        btnLoeschen->setEnabled(false);
        showError(e.message());
    }
}

void TBesucher::lookUpPersonalNumber()
{
    const std::optional<int> number = BadgePool::readManualBadgeNumber(meAWN->text());
    if (!number) {
        m_manualEntry->setColour(ManualBadgeEntry::Colour::Refused);
        focusField(meAWN);
        ui::MessageBoxes::show(this, BadgePool::invalidManualNumberMessage());
        return;
    }
    m_lookingUp = true;
    m_binding.clearVisitor();
    m_binding.setValidity(QString(), QString());
    std::optional<VisitData> record;
    try {
        record = m_master->findByPersonalNumber(*number);
    } catch (const Error &e) {
        showError(e.message());
    }
    if (record) {
        m_manualEntry->setColour(ManualBadgeEntry::Colour::Accepted);
        focusField(edName);
        takeOverMasterRecord(*record, false);
        selectMasterRecord(*record);
    } else if (btnNeu->isEnabled()) {
        // While a new record is entered the number "&Neu" proposed is kept.
        m_manualEntry->setColour(ManualBadgeEntry::Colour::Refused);
        focusField(meAWN);
    }
    m_lookingUp = false;
}

void TBesucher::btnNeuClick()
{
    {
        const Filling filling(mandatory);
        for (QLineEdit *e : {edVorname, edFirma, edPANr, edKFZ, edStrasse, edPLZ, edOrt, edTel, edBemerk})
            e->clear();
        edName->setText(MasterDataService::newRecordName());
        cbxLand->setCurrentIndex(cbxLand->count() > 0 ? 0 : -1);
        m_binding.setDestination(QString());
        pnFoto->clear();
        lbBildpfad->clear();
    }
    btnNeu->setEnabled(false);
    btnLoeschen->setEnabled(false);
    mandatory.refresh();
    if (m_manualBadge) {
        meAWN->setText(BadgePool::manualBadgeText(0));
        std::optional<int> next;
        try {
            next = m_master->nextPersonalNumber();
        } catch (const Error &e) {
            showError(e.message());
        }
        if (next) {
            meAWN->setText(BadgePool::manualBadgeText(*next));
        } else {
            ui::MessageBoxes::show(this, BadgePool::noPersonalNumberMessage());
            btnSpeichern->setEnabled(false);
        }
    }
    focusField(edName);
}

void TBesucher::btnLoeschenClick()
{
    if (!m_masterIdentity ||
        !ui::MessageBoxes::askYesNo(this,
                                    QStringLiteral("Wollen Sie die ausgewählten Daten wirklich "
                                                   "unwiderruflich löschen ?"),
                                    QStringLiteral("Achtung"), QMessageBox::Critical))
        return;
    btnLoeschen->setEnabled(false);
    {
        const Filling filling(mandatory);
        for (QLineEdit *e : {edName, edVorname, edFirma, edPANr, edKFZ, edStrasse, edPLZ, edOrt,
                             edTel, edBemerk})
            e->clear();
        cbxLand->setCurrentIndex(-1);
        cbxLand->clearEditText();
        m_binding.setDestination(QString());
    }
    btnNeu->setEnabled(true);
    setPrintControlsEnabled(false);
    try {
        const MasterDataService::Removal r = m_master->remove({*m_masterIdentity});
        if (!r.message.isEmpty())
            ui::MessageBoxes::show(this, r.message);
    } catch (const Error &e) {
        showError(e.message());
    }
}

// --- saving and printing ------------------------------------------------------------------

void TBesucher::btnSpeichernClick()
{
    VisitFormSaving saving(*this);
    switch (m_mode->mode) {
    case VisitMode::Arrival:
        saving.saveArrival();
        break;
    case VisitMode::Departure:
        if (m_loaded)
            saving.saveDeparture(m_loaded->visit);
        break;
    case VisitMode::MasterData:
        saving.saveMasterRecord();
        break;
    }
}

bool TBesucher::print(PrintKind kind, bool automatic, const QString &visitNumber)
{
    if (!m_print)
        return false;
    VisitPrintRequest request = m_binding.printRequest(
        kind, {m_date, m_session.currentUserName(), opening().settings.quittung});
    request.automatic = automatic;
    request.visitNumber = visitNumber;
    if (automatic)
        return m_print(request); // the save reports a failure and goes on
    try {
        return m_print(request);
    } catch (const Error &e) {
        showError(e.message());
        return false;
    }
}

void TBesucher::btnAusweisClick()
{
    print(PrintKind::Badge, false, lbVorgang->text());
}

void TBesucher::btnBestaetigungClick()
{
    print(PrintKind::VisitorSheet, false, lbVorgang->text());
}

// --- closing ------------------------------------------------------------------------------

void TBesucher::btnAbbrechenClick()
{
    if (m_mode->cancelUndoesOpening) {
        try {
            m_arrival->cancel();
        } catch (const Error &e) {
            showError(e.message());
        }
    }
    reject();
}

void TBesucher::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TBesucher::FormClose()
{
    if (!m_opened)
        return; // the form was not open: another workstation's lock is not ours to clear
    m_opened = false;
    m_loaded.reset();
    pnHinweis->setText(DepartureService::chooseBadgeHint());
    hideProgress();
    try {
        service().close();
    } catch (const Error &e) {
        showError(e.message());
    }
}

bool TBesucher::validityDatesAccepted()
{
    const auto problem = ValidityDates::check(meVon->text(), meBis->text());
    if (!problem)
        return true;
    focusField(problem->field == ValidityDates::Field::Von ? meVon : meBis);
    ui::MessageBoxes::show(this, problem->message);
    return false;
}

void TBesucher::showError(const QString &message)
{
    ui::MessageBoxes::error(this, message);
}

// --- keyboard and mouse -------------------------------------------------------------------

void TBesucher::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        focusNextChild();
        return;
    case Qt::Key_Escape:
        return; // the form closes by its buttons or its close box, never by a stray key
    default:
        QDialog::keyPressEvent(event);
    }
}

bool TBesucher::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusOut:
        if (watched == meAWN && !m_movingFocus && !m_manualEntry->checking() && !m_lookingUp &&
            (m_mode->checksManualBadge || m_mode->looksUpPersonalNumber)) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            // A message box or another window taking the focus is no leaving of the field.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                meAWNExit();
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == meAWN) {
            meAWNClick();
        } else {
            for (int i = 0; i < 4; ++i) {
                if (watched == lbInfo[i])
                    lbInfoClick(i);
            }
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace lobrix::registration

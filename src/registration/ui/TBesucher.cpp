#include "registration/ui/TBesucher.h"

#include "common/Error.h"
#include "registration/ArrivalService.h"
#include "registration/BadgePool.h"
#include "registration/DepartureService.h"
#include "registration/ValidityDates.h"
#include "registration/ui/PhotoPanel.h"
#include "registration/ui/TKalender.h"
#include "shell/Session.h"
#include "common/ui/MessageBoxes.h"

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
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QToolButton>

namespace lobrix::registration {

struct TBesucher::Loaded {
    DepartureService::LoadedVisit visit;
};

namespace {

constexpr int kFormWidth = 680;
constexpr int kFormHeight = 672;
constexpr int kInfoPanelTop = 484;
constexpr int kInfoPanelHeight = 76;
constexpr int kLowerTop = kInfoPanelTop + kInfoPanelHeight + 6;
constexpr int kRowHeight = 26;
constexpr int kFieldsTop = 168;
constexpr int kFieldLeft = 124; // the visitor fields, right of their labels

const QColor Blue(0, 0, 255);
const QColor Grey(128, 128, 128);

QString noEntry()
{
    return QStringLiteral("----");
}

void setInk(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

void setGround(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// The small calendar picture of the two date buttons.
QIcon calendarIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(200, 0, 0));
    for (int y = 8; y <= 12; y += 2)
        for (int x = 3; x <= 12; x += 3)
            p.drawPoint(x, y);
    return QIcon(pm);
}

// The file name after the last folder separator of either kind.
QString fileNameOf(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

} // namespace

TBesucher::TBesucher(shell::Session &session, QProgressBar *progressBar, QLabel *progressLabel,
                     QWidget *parent)
    : QDialog(parent), m_session(session), m_arrival(std::make_unique<ArrivalService>(session)),
      m_departure(std::make_unique<DepartureService>(session)), m_progressBar(progressBar),
      m_progressLabel(progressLabel)
{
    setObjectName(QStringLiteral("TBesucher"));
    setWindowTitle(QStringLiteral("Besucher"));
    setModal(true);
    m_zielFree = session.options().zielBearbeiten;
    m_manualBadge = session.options().awnManuell;
    createControls();
}

TBesucher::~TBesucher() = default;

// --- construction -------------------------------------------------------------------------

QLabel *TBesucher::label(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit *TBesucher::edit(QWidget *parent, const char *name, int maxLength, QRect geometry)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    e->setGeometry(geometry);
    return e;
}

QPushButton *TBesucher::button(QWidget *parent, const char *name, const QString &caption,
                               const QString &hint, QRect geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAutoDefault(false); // Enter moves on; it never presses a button
    b->setGeometry(geometry);
    return b;
}

void TBesucher::createControls()
{
    setFixedSize(kFormWidth, kFormHeight);
    createHeader();
    createVisitorFields();
    createSidePanel();
    createInfoPanel();
    createLowerPart();
    setTabOrder();

    // Enter works as Tab in every field (the form sees the keys first).
    for (QWidget *w : findChildren<QWidget *>()) {
        if (w->focusPolicy() != Qt::NoFocus && w->window() == this)
            w->installEventFilter(this);
    }
    for (QLabel *l : lbInfo)
        l->installEventFilter(this);
}

void TBesucher::createHeader()
{
    pnModus = new QFrame(this);
    pnModus->setObjectName(QStringLiteral("pnModus"));
    pnModus->setGeometry(0, 0, kFormWidth, 30);
    lbModus = new QLabel(pnModus);
    lbModus->setObjectName(QStringLiteral("lbModus"));
    lbModus->setGeometry(0, 0, kFormWidth, 30);
    lbModus->setAlignment(Qt::AlignCenter);
    QFont bold = lbModus->font();
    bold.setBold(true);
    bold.setPointSize(12);
    lbModus->setFont(bold);
    setInk(lbModus, Qt::white);

    lbAusweis = label(this, "lbAusweis", QStringLiteral("Ausweis Nr."), 8, 42);
    cbxAusweis = new QComboBox(this);
    cbxAusweis->setObjectName(QStringLiteral("cbxAusweis"));
    cbxAusweis->setGeometry(96, 38, 260, 24);
    connect(cbxAusweis, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            cbxAusweisChange();
    });

    pnAWNManuell = new QFrame(this);
    pnAWNManuell->setObjectName(QStringLiteral("pnAWNManuell"));
    pnAWNManuell->setGeometry(96, 38, 64, 24);
    meAWN = new QLineEdit(pnAWNManuell);
    meAWN->setObjectName(QStringLiteral("meAWN"));
    meAWN->setGeometry(0, 0, 64, 24);
    meAWN->setMaxLength(4);
    meAWN->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}")), meAWN));
    meAWN->setAlignment(Qt::AlignCenter);
    pnAWNManuell->hide();

    btnStammAuswahl = button(this, "btnStammAuswahl", QStringLiteral("Auswahl aus Besucherstamm"),
                             QString(), QRect(96, 36, 200, 28));
    btnStammAuswahl->hide();
    connect(btnStammAuswahl, &QPushButton::clicked, this, &TBesucher::btnStammClick);

    label(this, "lbVorgangNr", QStringLiteral("Vorgang Nr."), 380, 42);
    lbVorgang = label(this, "lbVorgang", QString(), 480, 42);
    lbVorgang->resize(120, lbVorgang->height());
    QFont strong = lbVorgang->font();
    strong.setBold(true);
    lbVorgang->setFont(strong);

    lbBesuchsbeginn = label(this, "lbBesuchsbeginn", QStringLiteral("Besuchsbeginn"), 8, 70);
    lbBesuchsbeginn->resize(86, lbBesuchsbeginn->height());
    lbTag = label(this, "lbTag", QString(), 96, 70);
    lbTag->resize(80, lbTag->height());
    lbKommt = label(this, "lbKommt", QString(), 180, 70);
    lbKommt->resize(40, lbKommt->height());
    label(this, "lbUhr", QStringLiteral("Uhr"), 222, 70);
    for (QLabel *l : {lbTag, lbKommt})
        l->setFont(strong);

    label(this, "lbBeendet", QStringLiteral("Besuch beendet um"), 380, 70);
    lbGeht = label(this, "lbGeht", noEntry(), 520, 70);
    lbGeht->resize(70, lbGeht->height());
    lbGeht->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label(this, "lbDauer", QStringLiteral("Besuchsdauer"), 380, 94);
    // Right-aligned under the departure time.
    lbAnwesend = label(this, "lbAnwesend", noEntry(), 520, 94);
    lbAnwesend->resize(70, lbAnwesend->height());
    lbAnwesend->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label(this, "lbStd", QStringLiteral("Std."), 594, 94);
    for (QLabel *l : {lbGeht, lbAnwesend})
        l->setFont(strong);

    pnHinweis = new QLabel(this);
    pnHinweis->setObjectName(QStringLiteral("pnHinweis"));
    pnHinweis->setGeometry(8, 116, kFormWidth - 16, 22);
    pnHinweis->setFrameShape(QFrame::Panel);
    pnHinweis->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pnHinweis->setFont(strong);
    setGround(pnHinweis, Qt::red);
    setInk(pnHinweis, Qt::white);
    pnHinweis->setText(DepartureService::chooseBadgeHint());
    pnHinweis->hide();

    lbBestaetigungNotwendig = label(this, "lbBestaetigungNotwendig",
                                    QStringLiteral("Besuchsbestätigung notwendig"), 8, 144);
    lbBestaetigungNotwendig->setFont(strong);
    lbBestaetigungNotwendig->adjustSize();
    setInk(lbBestaetigungNotwendig, Qt::red);
    const int markX = lbBestaetigungNotwendig->geometry().right() + 8;
    lbAusrufezeichen = label(this, "lbAusrufezeichen", QStringLiteral("!"), markX, 138);
    QFont big = strong;
    big.setPointSize(16);
    lbAusrufezeichen->setFont(big);
    lbAusrufezeichen->adjustSize();
    setInk(lbAusrufezeichen, Qt::red);
    lbQuittung = label(this, "lbQuittung", QString(), markX + 20, 144);
    lbQuittung->resize(370 - markX - 20, lbQuittung->height());
    lbDrucker = label(this, "lbDrucker", QString(), 380, 144);
    lbDrucker->resize(290, lbDrucker->height());
    for (QWidget *w :
         {static_cast<QWidget *>(lbBestaetigungNotwendig), static_cast<QWidget *>(lbAusrufezeichen),
          static_cast<QWidget *>(lbQuittung), static_cast<QWidget *>(lbDrucker)})
        w->hide();
}

void TBesucher::createVisitorFields()
{
    int y = kFieldsTop;
    const auto row = [&](const char *labelName, const QString &caption, const char *editName,
                         int maxLength, int width) {
        label(this, labelName, caption, 8, y + 4);
        QLineEdit *e = edit(this, editName, maxLength, QRect(kFieldLeft, y, width, 22));
        y += kRowHeight;
        return e;
    };
    edName = row("lbName", QStringLiteral("Name"), "edName", 30, 250);
    edVorname = row("lbVorname", QStringLiteral("Vorname"), "edVorname", 30, 250);
    edFirma = row("lbFirma", QStringLiteral("Firma"), "edFirma", 40, 250);
    edStrasse = row("lbStrasse", QStringLiteral("Strasse"), "edStrasse", 40, 250);
    edPLZ = row("lbPLZ", QStringLiteral("PLZ"), "edPLZ", 10, 90);
    edOrt = row("lbOrt", QStringLiteral("Ort"), "edOrt", 30, 250);
    edTel = row("lbTel", QStringLiteral("Telefon"), "edTel", 20, 160);
    edPANr = row("lbPANr", QStringLiteral("PA-Nr."), "edPANr", 20, 160);
    edKFZ = row("lbKFZ", QStringLiteral("Kfz-Kz."), "edKFZ", 10, 90);

    label(this, "lbLand", QStringLiteral("Land"), 8, y + 4);
    cbxLand = new QComboBox(this);
    cbxLand->setObjectName(QStringLiteral("cbxLand"));
    cbxLand->setEditable(true);
    cbxLand->setInsertPolicy(QComboBox::NoInsert);
    cbxLand->lineEdit()->setMaxLength(40);
    cbxLand->setGeometry(kFieldLeft, y, 250, 22);
    y += kRowHeight;

    lbBemerk = label(this, "lbBemerk", QStringLiteral("Bemerkungen"), 8, y + 4);
    lbBemerk->resize(100, lbBemerk->height());
    edBemerk = edit(this, "edBemerk", 100, QRect(kFieldLeft, y, 250, 22));
    y += kRowHeight;

    label(this, "lbVon", QStringLiteral("Ausweis gültig von"), 8, y + 4);
    meVon = edit(this, "meVon", 10, QRect(kFieldLeft, y, 84, 22));
    btnKalender1 = new QToolButton(this);
    btnKalender1->setObjectName(QStringLiteral("btnKalender1"));
    btnKalender1->setGeometry(kFieldLeft + 86, y, 24, 22);
    label(this, "lbBis", QStringLiteral("bis"), kFieldLeft + 116, y + 4);
    meBis = edit(this, "meBis", 10, QRect(kFieldLeft + 138, y, 84, 22));
    btnKalender2 = new QToolButton(this);
    btnKalender2->setObjectName(QStringLiteral("btnKalender2"));
    btnKalender2->setGeometry(kFieldLeft + 224, y, 24, 22);
    for (QToolButton *b : {btnKalender1, btnKalender2}) {
        b->setIcon(calendarIcon());
        b->setToolTip(QStringLiteral("Datum aus Kalender auswählen"));
    }
    connect(btnKalender1, &QToolButton::clicked, this, &TBesucher::btnKalender1Click);
    connect(btnKalender2, &QToolButton::clicked, this, &TBesucher::btnKalender2Click);

    // The "*" marks, in the order of the mandatory-field settings.
    const auto mark = [&](const char *name, QWidget *field) {
        QLabel *m = label(field->parentWidget(), name, QStringLiteral("*"),
                          field->x() + field->width() + 3, field->y() + 2);
        QFont f = m->font();
        f.setBold(true);
        m->setFont(f);
        setInk(m, Qt::red);
        m->hide();
        return m;
    };
    m_marks[int(MandatoryField::Name)] = mark("lbNameSoll", edName);
    m_marks[int(MandatoryField::Vorname)] = mark("lbVornameSoll", edVorname);
    m_marks[int(MandatoryField::PANr)] = mark("lbPANrSoll", edPANr);
    m_marks[int(MandatoryField::Firma)] = mark("lbFirmaSoll", edFirma);
    m_marks[int(MandatoryField::Strasse)] = mark("lbStrasseSoll", edStrasse);
    m_marks[int(MandatoryField::PLZ)] = mark("lbPLZSoll", edPLZ);
    m_marks[int(MandatoryField::Ort)] = mark("lbOrtSoll", edOrt);
    m_marks[int(MandatoryField::Land)] = mark("lbLandSoll", cbxLand);
    m_marks[int(MandatoryField::KFZ)] = mark("lbKFZSoll", edKFZ);
    m_marks[int(MandatoryField::Telefon)] = mark("lbTelSoll", edTel);

    // The mandatory-field check watches every field but the remark.
    for (QLineEdit *e : {edName, edVorname, edFirma, edKFZ, edPANr, edTel, edStrasse, edPLZ, edOrt})
        connect(e, &QLineEdit::textChanged, this, [this] {
            if (!m_filling)
                edNameChange();
        });
    connect(cbxLand, &QComboBox::currentTextChanged, this, [this] {
        if (!m_filling)
            edNameChange();
    });
}

void TBesucher::createSidePanel()
{
    const int x = 400;
    pnFoto = new PhotoPanel(this);
    pnFoto->move(x, kFieldsTop);
    btnFoto = new QToolButton(this);
    btnFoto->setObjectName(QStringLiteral("btnFoto"));
    btnFoto->setText(QStringLiteral("..."));
    btnFoto->setToolTip(QStringLiteral("Foto auswählen ..."));
    btnFoto->setGeometry(x + PhotoPanel::PanelSize + 4, kFieldsTop, 26, 22);
    connect(btnFoto, &QToolButton::clicked, this, &TBesucher::btnFotoClick);
    lbBildpfad = label(this, "lbBildpfad", QString(), x, kFieldsTop + PhotoPanel::PanelSize + 2);
    lbBildpfad->hide();

    const auto small = [&](const char *name, QStyle::StandardPixmap icon, const QString &hint,
                           int y) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(hint);
        b->setGeometry(kFormWidth - 8 - 26, y, 26, 24);
        return b;
    };
    btnStamm = small("btnStamm", QStyle::SP_FileDialogDetailedView,
                     QStringLiteral("Besucher aus Besucherstamm auswählen"), kFieldsTop);
    btnVoranmeldung = small("btnVoranmeldung", QStyle::SP_FileDialogContentsView,
                            QStringLiteral("vorangemeldeten Besucher auswählen"), kFieldsTop + 28);
    connect(btnStamm, &QToolButton::clicked, this, &TBesucher::btnStammClick);
    connect(btnVoranmeldung, &QToolButton::clicked, this, &TBesucher::btnVoranmeldungClick);

    const int typeY = kFieldsTop + PhotoPanel::PanelSize + 24;
    label(this, "lbAusweisTyp", QStringLiteral("Typ"), x, typeY + 4);
    cbxAusweisTyp = new QComboBox(this);
    cbxAusweisTyp->setObjectName(QStringLiteral("cbxAusweisTyp"));
    cbxAusweisTyp->setGeometry(x + 30, typeY, kFormWidth - 8 - x - 30, 22);

    btnAusweis = button(this, "btnAusweis", QStringLiteral("&Ausweis drucken"),
                        QStringLiteral("Besucherausweis drucken"), QRect(x, typeY + 30, 136, 28));
    btnBestaetigung = button(this, "btnBestaetigung", QStringLiteral("&Besuchsbestätigung"),
                             QStringLiteral("Besuchsbestätigung drucken"),
                             QRect(x + 140, typeY + 30, kFormWidth - 8 - x - 140, 28));
    connect(btnAusweis, &QPushButton::clicked, this, &TBesucher::btnAusweisClick);
    connect(btnBestaetigung, &QPushButton::clicked, this, &TBesucher::btnBestaetigungClick);

    chkUebernahme = new QCheckBox(QStringLiteral("in Besucherstamm aufnehmen"), this);
    chkUebernahme->setObjectName(QStringLiteral("chkUebernahme"));
    chkUebernahme->setGeometry(x, typeY + 66, 260, 22);
}

void TBesucher::createInfoPanel()
{
    pnInfo = new QGroupBox(QStringLiteral("Hinweise:"), this);
    pnInfo->setObjectName(QStringLiteral("pnInfo"));
    pnInfo->setGeometry(8, kInfoPanelTop, kFormWidth - 16, kInfoPanelHeight);
    for (int i = 0; i < 4; ++i) {
        const int x = 10 + (i / 2) * 330;
        const int y = 22 + (i % 2) * 26;
        chkInfo[i] = new QCheckBox(pnInfo);
        chkInfo[i]->setObjectName(QStringLiteral("chkInfo%1").arg(i + 1));
        chkInfo[i]->setGeometry(x, y, 20, 20);
        lbInfo[i] = new QLabel(pnInfo);
        lbInfo[i]->setObjectName(QStringLiteral("lbInfo%1").arg(i + 1));
        lbInfo[i]->setGeometry(x + 22, y + 2, 290, 18);
        lbInfo[i]->setCursor(Qt::PointingHandCursor);
        connect(chkInfo[i], &QCheckBox::clicked, this, [this, i] { chkInfoClick(i); });
    }
}

void TBesucher::createLowerPart()
{
    pnUnten = new QWidget(this);
    pnUnten->setObjectName(QStringLiteral("pnUnten"));
    pnUnten->setGeometry(0, kLowerTop, kFormWidth, kFormHeight - kLowerTop);

    lbRessourcen = label(pnUnten, "lbRessourcen", QStringLiteral("Ressourcen"), 8, 4);
    lbRessourcen->resize(100, lbRessourcen->height());
    edRessourcen =
        edit(pnUnten, "edRessourcen", 100, QRect(kFieldLeft, 0, kFormWidth - 8 - kFieldLeft, 22));
    edRessourcen->setReadOnly(true);

    lbZiel = label(pnUnten, "lbZiel", QStringLiteral("Ziel"), 8, 32);
    lbZiel->resize(100, lbZiel->height());
    edZiel = new QComboBox(pnUnten);
    edZiel->setObjectName(QStringLiteral("edZiel"));
    edZiel->setGeometry(kFieldLeft, 28, 250, 22);
    edZiel->setEditable(m_zielFree);
    if (m_zielFree) {
        edZiel->setInsertPolicy(QComboBox::NoInsert);
        edZiel->lineEdit()->setMaxLength(100);
    }
    connect(edZiel, &QComboBox::currentTextChanged, this, [this] {
        if (!m_filling)
            edNameChange();
    });
    QLabel *zielMark = label(pnUnten, "lbZielSoll", QStringLiteral("*"), kFieldLeft + 253, 30);
    QFont f = zielMark->font();
    f.setBold(true);
    zielMark->setFont(f);
    setInk(zielMark, Qt::red);
    zielMark->hide();
    m_marks[int(MandatoryField::Ziel)] = zielMark;

    chkQuittungErbracht = new QCheckBox(QStringLiteral("Besuch bestätigt"), pnUnten);
    chkQuittungErbracht->setObjectName(QStringLiteral("chkQuittungErbracht"));
    chkQuittungErbracht->setGeometry(400, 28, 200, 22);

    const int by = 66;
    btnNeu = button(pnUnten, "btnNeu", QStringLiteral("&Neu"),
                    QStringLiteral("neuen Besucher anlegen"), QRect(8, by, 100, 30));
    btnLoeschen =
        button(pnUnten, "btnLoeschen", QStringLiteral("&Löschen"),
               QStringLiteral("ausgewählte Besucherdaten löschen"), QRect(112, by, 100, 30));
    btnNeu->hide();
    btnLoeschen->hide();
    btnSpeichern = button(pnUnten, "btnSpeichern", QStringLiteral("&Speichern"), QString(),
                          QRect(400, by, 134, 30));
    btnAbbrechen =
        button(pnUnten, "btnAbbrechen", QStringLiteral("&Abbrechen"),
               QStringLiteral("Erfassung abbrechen"), QRect(538, by, kFormWidth - 8 - 538, 30));
    connect(btnSpeichern, &QPushButton::clicked, this, &TBesucher::btnSpeichernClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &TBesucher::btnAbbrechenClick);
}

void TBesucher::setTabOrder()
{
    const QList<QWidget *> chain = {
        cbxAusweis,   meAWN,           btnStammAuswahl, edName,
        edVorname,    edFirma,         edStrasse,       edPLZ,
        edOrt,        edTel,           edPANr,          edKFZ,
        cbxLand,      edBemerk,        meVon,           meBis,
        btnKalender1, btnKalender2,    btnAusweis,      btnBestaetigung,
        btnStamm,     btnVoranmeldung, chkUebernahme,   cbxAusweisTyp,
        btnFoto,      chkInfo[0],      chkInfo[1],      chkInfo[2],
        chkInfo[3],   edRessourcen,    edZiel,          chkQuittungErbracht,
        btnNeu,       btnLoeschen,     btnSpeichern,    btnAbbrechen};
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
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

void TBesucher::prepareArrival()
{
    m_mode = Mode::Arrival;
    m_preRegistration.clear();
}

void TBesucher::prepareDeparture()
{
    m_mode = Mode::Departure;
    m_preRegistration.clear();
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
    clearVisitor();
    edRessourcen->clear();
    btnSpeichern->show();
    setAwnColour(AwnColour::Normal);
    const bool ok = m_mode == Mode::Departure ? openDeparture() : openArrival();
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
    lbGeht->setText(noEntry());
    lbAnwesend->setText(noEntry());

    setPrintControlsEnabled(false); // until the mandatory-field check allows saving
    chkUebernahme->show();
    chkUebernahme->setEnabled(true);
    chkUebernahme->setChecked(o->settings.autoStamm);
    btnStamm->setVisible(m_session.isServiceLogin() ||
                         m_session.user()->has(shell::Right::StammLesen));
    btnVoranmeldung->setVisible(o->settings.voranmeldung);
    prepareConfirmation(*o, false);
    setModePanel(QColor(0, 128, 0), QStringLiteral("Besuchsbeginn erfassen"),
                 QStringLiteral("Besuchsbeginn"));

    m_filling = true;
    cbxAusweis->clear();
    cbxAusweis->addItems(o->badgeEntries);
    cbxAusweis->setCurrentIndex(o->selectedBadge);
    m_filling = false;
    cbxAusweis->setEnabled(true);
    lbVorgang->setText(o->visitNumber);

    pnAWNManuell->setVisible(m_manualBadge);
    cbxAusweis->setVisible(!m_manualBadge);
    meAWN->setText(BadgePool::ManualBadgeText(0));

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
    lbAnwesend->setText(noEntry());

    chkUebernahme->show();
    chkUebernahme->setChecked(o->settings.autoStamm); // no effect in this mode
    chkUebernahme->setEnabled(false);
    btnStamm->hide();
    btnVoranmeldung->hide();
    prepareConfirmation(*o, true);
    setModePanel(QColor(128, 0, 0), QStringLiteral("Besuchsende erfassen"),
                 QStringLiteral("anwesend seit"));

    // Badges are always chosen from the list in this mode.
    pnAWNManuell->hide();
    cbxAusweis->show();
    cbxAusweis->setEnabled(true);
    m_filling = true;
    cbxAusweis->clear();
    cbxAusweis->addItems(m_departure->entryTexts(cbxAusweis->width(), [this](const QString &text) {
        return cbxAusweis->fontMetrics().horizontalAdvance(text);
    }));
    cbxAusweis->setCurrentIndex(-1);
    m_filling = false;

    if (o->loaded) {
        m_filling = true;
        cbxAusweis->setCurrentIndex(0);
        m_filling = false;
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
        m_marks[i]->setVisible(opening.settings.mandatory[i]);
}

void TBesucher::prepareInformation(const FormOpening &opening)
{
    for (int i = 0; i < 4; ++i) {
        lbInfo[i]->hide();
        chkInfo[i]->hide();
        chkInfo[i]->setChecked(false);
        setInk(lbInfo[i], Blue);
        lbInfo[i]->setText(opening.settings.infoCaptions[i]);
    }
    lbZiel->setText(opening.settings.zielCaption);
    lbBemerk->setText(opening.settings.bemerkCaption);
    lbRessourcen->setText(opening.settings.ressourcenCaption);
    showInfoPanel(opening.settings.showInfoStamm);
}

void TBesucher::showInfoPanel(bool shown)
{
    // Without the panel the form is shorter, the controls below it moving up.
    pnInfo->setVisible(shown);
    const int lift = shown ? 0 : kLowerTop - kInfoPanelTop;
    pnUnten->move(0, kLowerTop - lift);
    setFixedSize(kFormWidth, kFormHeight - lift);
}

void TBesucher::prepareConfirmation(const FormOpening &opening, bool departure)
{
    const VisitFormSettings &s = opening.settings;
    lbBestaetigungNotwendig->setVisible(s.quittung);
    lbAusrufezeichen->setVisible(s.quittung);
    lbQuittung->setVisible(s.quittung);
    lbQuittung->setText(s.autoQuittung ? QStringLiteral("Ausdruck automatisch beim Speichern")
                                       : QStringLiteral("Ausstellung erfolgt beim Besuchsziel"));
    setInk(lbQuittung, departure ? Grey : QColor(Qt::black));
    if (departure) {
        btnBestaetigung->hide();
        chkQuittungErbracht->setEnabled(s.quittung);
    } else {
        btnBestaetigung->setVisible(s.quittung && !s.autoQuittung);
    }
}

void TBesucher::fillLists(const FormOpening &opening)
{
    m_filling = true;
    cbxAusweisTyp->clear();
    cbxAusweisTyp->addItems(opening.badgeLayouts);
    cbxAusweisTyp->setCurrentIndex(opening.badgeLayouts.isEmpty() ? -1 : 0);
    edZiel->clear();
    edZiel->addItems(opening.destinations);
    setDestination(QString());
    cbxLand->clear();
    cbxLand->addItems(opening.countries);
    cbxLand->setCurrentIndex(-1);
    cbxLand->clearEditText();
    m_filling = false;
}

void TBesucher::setModePanel(const QColor &ground, const QString &caption,
                             const QString &headerLabel)
{
    setGround(pnModus, ground);
    lbModus->setText(caption);
    lbBesuchsbeginn->setText(headerLabel);
}

void TBesucher::setHint(const QString &text)
{
    if (!text.isEmpty())
        pnHinweis->setText(text);
    pnHinweis->setVisible(!text.isEmpty());
}

void TBesucher::setPrintControlsEnabled(bool enabled)
{
    btnSpeichern->setEnabled(enabled);
    btnAusweis->setEnabled(enabled);
    cbxAusweisTyp->setEnabled(enabled);
}

void TBesucher::showProgress(int done, int total)
{
    if (!m_progressBar || !m_progressLabel)
        return;
    m_progressLabel->setText(BadgePool::ProgressLabel(done, total));
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

void TBesucher::clearVisitor()
{
    m_filling = true;
    for (QLineEdit *e :
         {edName, edVorname, edFirma, edPANr, edKFZ, edStrasse, edPLZ, edOrt, edTel, edBemerk})
        e->clear();
    setDestination(QString());
    cbxLand->setCurrentIndex(-1);
    cbxLand->clearEditText();
    pnFoto->clear();
    lbBildpfad->clear();
    m_filling = false;
}

void TBesucher::setVisitorFields(const VisitData &visit, bool withDestination)
{
    m_filling = true;
    edName->setText(visit.name);
    edVorname->setText(visit.vorname);
    edFirma->setText(visit.firma);
    edPANr->setText(visit.panr);
    edKFZ->setText(visit.kfz);
    edStrasse->setText(visit.strasse);
    edPLZ->setText(visit.plz);
    edOrt->setText(visit.ort);
    cbxLand->setCurrentIndex(-1);
    cbxLand->setEditText(visit.land);
    edTel->setText(visit.telefon);
    edBemerk->setText(visit.bemerkung);
    if (withDestination)
        setDestination(visit.ziel);
    m_filling = false;
}

void TBesucher::setDestination(const QString &destination)
{
    const bool filling = m_filling;
    m_filling = true;
    if (m_zielFree) {
        edZiel->setCurrentIndex(-1);
        edZiel->setEditText(destination);
    } else {
        // Only list entries can be chosen: the entry equal to the destination, or none.
        edZiel->setCurrentIndex(
            destination.isEmpty() ? -1 : edZiel->findText(destination, Qt::MatchExactly));
    }
    m_filling = filling;
}

void TBesucher::setInformation(const std::array<bool, 4> &info)
{
    for (int i = 0; i < 4; ++i) {
        chkInfo[i]->setChecked(info[i]);
        if (info[i])
            lbInfo[i]->show();
        chkInfoClick(i);
    }
}

VisitData TBesucher::visitData() const
{
    VisitData v;
    v.name = edName->text();
    v.vorname = edVorname->text();
    v.firma = edFirma->text();
    v.strasse = edStrasse->text();
    v.plz = edPLZ->text();
    v.ort = edOrt->text();
    v.telefon = edTel->text();
    v.panr = edPANr->text();
    v.kfz = edKFZ->text();
    v.land = cbxLand->currentText();
    v.bemerkung = edBemerk->text();
    v.ziel = edZiel->currentText();
    v.gueltigVon = meVon->text();
    v.gueltigBis = meBis->text();
    for (int i = 0; i < 4; ++i)
        v.info[i] = !lbInfo[i]->isHidden();
    v.photo = lbBildpfad->text();
    return v;
}

void TBesucher::edNameChange()
{
    // Departure: nothing can be saved before a visit is loaded.
    const bool loaded = m_mode != Mode::Departure || m_loaded;
    const VisitFormSettings &s =
        m_mode == Mode::Departure ? m_departure->opening().settings : m_arrival->opening().settings;
    setPrintControlsEnabled(loaded &&
                            s.mandatoryFieldsFilled(visitData(), m_mode == Mode::MasterData));
}

void TBesucher::takeOverMasterRecord(const VisitData &record, bool withInformation)
{
    setVisitorFields(record, false);
    if (withInformation) {
        if (m_mode == Mode::Arrival) {
            for (QLabel *l : lbInfo)
                l->hide();
        }
        setInformation(record.info);
    }
    m_filling = true;
    meVon->setText(record.gueltigVon);
    meBis->setText(record.gueltigBis);
    m_filling = false;
    // The master record's photo is shown, but the visit records no photo of its own.
    pnFoto->load(record.photo.isEmpty() ? QString()
                                        : QDir(m_session.folders().images).filePath(record.photo));
    chkUebernahme->setChecked(false);
    chkUebernahme->setEnabled(false);
    edNameChange();
}

void TBesucher::takeOverPreRegistration(const PreRegistration &row)
{
    setVisitorFields(row.visit, true);
    for (QLabel *l : lbInfo)
        l->hide();
    setInformation(row.visit.info);
    m_filling = true;
    edRessourcen->setText(row.ressourcen);
    meVon->setText(row.visit.gueltigVon);
    meBis->setText(row.visit.gueltigBis);
    m_filling = false;
    m_preRegistration = row.nr;
    edNameChange();
}

void TBesucher::btnStammClick()
{
    if (!m_pickMaster)
        return;
    if (const std::optional<VisitData> record = m_pickMaster(visitData()))
        takeOverMasterRecord(*record);
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
    setInk(lbInfo[index], chkInfo[index]->isChecked() ? Blue : QColor(Qt::black));
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
    if (fileName.isEmpty() || !pnFoto->load(QDir(m_session.folders().images).filePath(fileName)))
        lbBildpfad->clear();
    else
        lbBildpfad->setText(fileName);
}

// --- manual badge entry -------------------------------------------------------------------

void TBesucher::setAwnColour(AwnColour colour)
{
    QPalette p = meAWN->palette();
    const QPalette standard = QApplication::palette(meAWN);
    switch (colour) {
    case AwnColour::Normal:
        p.setColor(QPalette::Base, standard.color(QPalette::Base));
        p.setColor(QPalette::Text, standard.color(QPalette::Text));
        break;
    case AwnColour::Accepted:
        p.setColor(QPalette::Base, QColor(255, 255, 128));
        p.setColor(QPalette::Text, Qt::black);
        break;
    case AwnColour::Refused:
        p.setColor(QPalette::Base, Qt::red);
        p.setColor(QPalette::Text, Qt::white);
        break;
    }
    meAWN->setPalette(p);
}

void TBesucher::focusField(QWidget *field)
{
    m_movingFocus = true;
    field->setFocus(Qt::OtherFocusReason);
    m_movingFocus = false;
}

bool TBesucher::checkManualBadge(bool showMessages)
{
    if (m_mode != Mode::Arrival || m_checkingAwn)
        return false;
    m_checkingAwn = true;
    const ArrivalService::ManualBadge r = m_arrival->checkManualBadge(meAWN->text());
    using Outcome = ArrivalService::ManualBadge::Outcome;
    const auto refuse = [&] {
        setAwnColour(AwnColour::Refused);
        focusField(meAWN);
        if (showMessages && !r.message.isEmpty())
            ui::MessageBoxes::show(this, r.message);
    };
    if (r.outcome == Outcome::Invalid) {
        refuse();
        m_checkingAwn = false;
        return false;
    }
    // A valid number: the form starts afresh from what the number stands for.
    clearVisitor();
    m_filling = true;
    meVon->clear();
    meBis->clear();
    m_filling = false;
    if (r.master)
        takeOverMasterRecord(*r.master, false);
    if (r.entryIndex >= 0) {
        m_filling = true;
        cbxAusweis->setCurrentIndex(r.entryIndex);
        m_filling = false;
    }
    bool accepted = false;
    if (r.outcome == Outcome::Unavailable) {
        refuse();
        btnSpeichern->setEnabled(false);
    } else if (r.outcome == Outcome::MasterRecord) {
        setAwnColour(AwnColour::Accepted);
        focusField(edName);
        accepted = true;
    } else {
        refuse(); // a free badge, but no visitor keeps it
    }
    m_checkingAwn = false;
    return accepted;
}

void TBesucher::meAWNKeyPress()
{
    checkManualBadge(true);
}

void TBesucher::meAWNExit()
{
    // Leaving for "&Abbrechen" or "&Neu" needs no valid number.
    const QWidget *to = QApplication::focusWidget();
    if (to == btnAbbrechen || to == btnNeu)
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible() && pnAWNManuell->isVisible())
                checkManualBadge(true);
        },
        Qt::QueuedConnection);
}

void TBesucher::meAWNClick()
{
    QMetaObject::invokeMethod(meAWN, &QLineEdit::selectAll, Qt::QueuedConnection);
}

// --- departure ----------------------------------------------------------------------------

void TBesucher::cbxAusweisChange()
{
    if (m_mode != Mode::Departure || cbxAusweis->currentIndex() < 0)
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
    clearVisitor();
    for (int i = 0; i < 4; ++i) {
        lbInfo[i]->hide();
        chkInfo[i]->setChecked(false);
    }
    if (v.hasVisit) {
        setVisitorFields(v.visit, true);
        setInformation(v.visit.info);
    }
    m_filling = true;
    lbVorgang->setText(v.vorgang);
    lbKommt->setText(v.kommt);
    lbTag->setText(v.tag);
    meVon->setText(v.visit.gueltigVon);
    meBis->setText(v.visit.gueltigBis);
    m_filling = false;
    showPhoto(v.photo);
    setPrintControlsEnabled(true);
    setHint(v.hasVisit ? QString() : v.message);
    lbAnwesend->setText(v.duration.isEmpty() ? noEntry() : v.duration);
}

// --- saving -------------------------------------------------------------------------------

void TBesucher::btnSpeichernClick()
{
    if (m_mode == Mode::Departure)
        saveDeparture();
    else if (m_mode == Mode::Arrival)
        saveArrival();
}

void TBesucher::saveArrival()
{
    if (m_manualBadge) {
        // The badge is the one typed in, never a default the clerk has not seen.
        const ArrivalService::ManualBadge r = m_arrival->checkManualBadge(meAWN->text());
        using Outcome = ArrivalService::ManualBadge::Outcome;
        if (r.outcome == Outcome::Invalid || r.outcome == Outcome::Unavailable) {
            setAwnColour(AwnColour::Refused);
            focusField(meAWN);
            ui::MessageBoxes::show(this, r.message);
            return;
        }
        m_filling = true;
        cbxAusweis->setCurrentIndex(r.entryIndex);
        m_filling = false;
    }
    if (!validityDatesAccepted())
        return;
    btnSpeichern->setEnabled(false);
    ArrivalService::Input in;
    in.visit = visitData();
    in.badgeEntry = cbxAusweis->currentText();
    in.storeAsMaster = chkUebernahme->isChecked();
    in.preRegistration = m_preRegistration;
    ArrivalService::Result r;
    try {
        r = m_arrival->save(in, [this](const QString &visitNumber) {
            print(PrintKind::VisitorSheet, true, visitNumber);
        });
    } catch (const Error &e) {
        showError(e.message());
        btnSpeichern->setEnabled(true);
        return;
    }
    using Status = ArrivalService::Result::Status;
    switch (r.status) {
    case Status::Saved:
        if (!r.message.isEmpty())
            showError(r.message); // the automatic print failed; the visit is stored
        accept();
        return;
    case Status::BadgeTaken:
        m_filling = true;
        cbxAusweis->clear();
        cbxAusweis->addItems(r.badgeEntries);
        cbxAusweis->setCurrentIndex(r.badgeEntries.isEmpty() ? -1 : 0);
        m_filling = false;
        ui::MessageBoxes::show(this, r.message);
        if (r.badgeEntries.isEmpty()) {
            setHint(BadgePool::noFreeBadgeMessage());
            btnSpeichern->hide();
        } else {
            btnSpeichern->setEnabled(true);
        }
        return;
    case Status::Refused:
    case Status::Busy:
        ui::MessageBoxes::show(this, r.message);
        btnSpeichern->setEnabled(true);
        return;
    }
}

void TBesucher::saveDeparture()
{
    if (!m_loaded || !validityDatesAccepted())
        return;
    btnSpeichern->setEnabled(false);
    DepartureService::Result r;
    try {
        r = m_departure->save(m_loaded->visit, visitData(), chkQuittungErbracht->isChecked(),
                              [this](const QString &caption, const QString &text) {
                                  return ui::MessageBoxes::askYesNo(this, text, caption,
                                                                       QMessageBox::Warning);
                              });
    } catch (const Error &e) {
        showError(e.message());
        btnSpeichern->setEnabled(true);
        return;
    }
    using Status = DepartureService::Result::Status;
    switch (r.status) {
    case Status::Saved:
        accept();
        return;
    case Status::Declined:
        btnSpeichern->setEnabled(true);
        return;
    case Status::Gone:
        ui::MessageBoxes::show(this, r.message);
        return; // the list is out of date: only cancelling is left
    case Status::Refused:
    case Status::Busy:
        ui::MessageBoxes::show(this, r.message);
        btnSpeichern->setEnabled(true);
        return;
    }
}

// --- printing -----------------------------------------------------------------------------

VisitPrintRequest TBesucher::printRequest(PrintKind kind) const
{
    VisitPrintRequest r;
    r.kind = kind;
    r.visit = visitData();
    r.visitNumber = lbVorgang->text();
    if (cbxAusweis->currentIndex() >= 0)
        r.badge = BadgePool::BadgeOfListEntry(cbxAusweis->currentText());
    r.kommt = lbKommt->text();
    r.tag = lbTag->text();
    r.formDate = m_date;
    r.user = m_session.currentUserName();
    const FormOpening &o = m_mode == Mode::Departure
                               ? static_cast<const FormOpening &>(m_departure->opening())
                               : m_arrival->opening();
    r.quittung = o.settings.quittung;
    for (int i = 0; i < 4; ++i) {
        r.infoCaptions[i] = lbInfo[i]->text();
        r.infoTicked[i] = chkInfo[i]->isChecked();
    }
    r.ressourcen = edRessourcen->text();
    if (cbxAusweisTyp->currentIndex() >= 0)
        r.badgeLayout = cbxAusweisTyp->currentText();
    if (pnFoto->hasPhoto())
        r.photo = pnFoto->displayed();
    QLabel *status = lbDrucker;
    r.showStatus = [status](const QString &text) {
        status->setText(text);
        status->setVisible(!text.isEmpty());
        status->repaint();
    };
    return r;
}

bool TBesucher::print(PrintKind kind, bool automatic, const QString &visitNumber)
{
    if (!m_print)
        return false;
    VisitPrintRequest request = printRequest(kind);
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
    if (m_mode == Mode::Arrival) {
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
        if (m_mode == Mode::Departure)
            m_departure->close();
        else
            m_arrival->close();
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
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            break;
        if (watched == meAWN)
            meAWNKeyPress();
        else
            focusNextChild(); // Enter works as Tab and does not reach the field
        return true;
    }
    case QEvent::FocusOut:
        if (watched == meAWN && !m_movingFocus && !m_checkingAwn && m_mode == Mode::Arrival) {
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

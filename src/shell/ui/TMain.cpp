#include "shell/ui/TMain.h"

#include "common/Clock.h"
#include "common/Error.h"
#include "data/DatabaseMaintenance.h"
#include "common/TimeText.h"
#include "shell/LoginCheck.h"
#include "shell/Startup.h"
#include "shell/Session.h"
#include "shell/SettingsKeys.h"
#include "shell/UsersFile.h"
#include "shell/ui/ClockBox.h"
#include "common/ui/Desktop.h"
#include "common/ui/Controls.h"
#include "common/ui/MessageBoxes.h"
#include "shell/ui/TInfo.h"
#include "shell/ui/TStart.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace lobrix::shell {
namespace {

constexpr int kMinWidth = 620;
constexpr int kMinHeight = 470;

// The pictures of the two large buttons: a person with an arrow going in or out.
QIcon visitorIcon(const QColor &arrow, bool arriving)
{
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(QRectF(arriving ? 28 : 6, 4, 12, 12));
    p.drawRoundedRect(QRectF(arriving ? 26 : 4, 18, 16, 24), 5, 5);
    p.setBrush(arrow);
    const qreal x0 = arriving ? 2 : 24;
    const QPolygonF shaft({{x0, 24}, {x0 + 14, 24}, {x0 + 14, 18}, {x0 + 22, 30}, {x0 + 14, 42},
                           {x0 + 14, 36}, {x0, 36}});
    p.drawPolygon(shaft);
    return QIcon(pm);
}

} // namespace

TMain::TMain(Startup &startup, const Clock &clock, QWidget *parent)
    : QMainWindow(parent), m_clock(clock), m_startup(startup), m_session(&startup.session())
{
    setObjectName(QStringLiteral("TMain"));
    m_quit = [](int code) { QCoreApplication::exit(code); };
    createControls();
    createMenus();
    FormCreate();
}

Session &TMain::session()
{
    return *m_session;
}

UsersFile &TMain::users()
{
    return m_startup.users();
}

TMain::~TMain() = default;

void TMain::createControls()
{
    setWindowTitle(QStringLiteral("Besucherverwaltung Lobrix Version 10.12"));
    resize(800, 600);
    setMinimumSize(kMinWidth, kMinHeight);
    // Opens maximised; restored it is 800 x 600 in the middle of the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("pnClient"));
    ui::setGround(m_client, QColor(218, 238, 248));
    setCentralWidget(m_client);

    auto bigButton = [&](const char *name, const QString &caption, const QString &hint,
                         const QColor &colour, bool arriving, int width) {
        auto *b = new QToolButton(m_client);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setToolTip(hint);
        b->setIcon(visitorIcon(colour, arriving));
        b->setIconSize(QSize(48, 48));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        QFont f = b->font();
        f.setBold(true);
        f.setPointSize(10);
        b->setFont(f);
        b->setStyleSheet(QStringLiteral("QToolButton { color: %1; }").arg(colour.name()));
        b->resize(width, 106);
        b->setVisible(false); // until the rights allow it
        return b;
    };
    btnBeginn = bigButton("btnBeginn", QStringLiteral("Besucher kommt"),
                          QStringLiteral("neuen Besucher erfassen"), QColor(0, 128, 0), true, 166);
    btnEnde = bigButton("btnEnde", QStringLiteral("Besucher geht"),
                        QStringLiteral("beendeten Besuch erfassen"), QColor(255, 0, 0), false, 169);
    connect(btnBeginn, &QToolButton::clicked, this, &TMain::btnBeginnClick);
    connect(btnEnde, &QToolButton::clicked, this, &TMain::btnEndeClick);

    pnSperre = new QFrame(m_client);
    pnSperre->setObjectName(QStringLiteral("pnSperre"));
    pnSperre->resize(166, 106);
    pnSperre->setFrameShape(QFrame::Panel);
    pnSperre->setFrameShadow(QFrame::Raised);
    pnSperre->setAutoFillBackground(true);
    auto *lbGesperrt = ui::label(pnSperre, "lbGesperrt",
                                 QStringLiteral("neue Erfassung derzeit durch anderen Benutzer gesperrt"));
    lbGesperrt->setWordWrap(true);
    lbGesperrt->setAlignment(Qt::AlignCenter);
    lbGesperrt->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    lbGesperrt->setGeometry(4, 4, 158, 48);
    auto *lbWarten = ui::label(pnSperre, "lbWarten", QStringLiteral("bitte warten"));
    lbWarten->setAlignment(Qt::AlignCenter);
    lbWarten->setStyleSheet(QStringLiteral("color: green; font-weight: bold;"));
    lbWarten->setGeometry(4, 52, 158, 18);
    lbStatus = ui::label(pnSperre, "lbStatus", QString());
    lbStatus->setAlignment(Qt::AlignCenter);
    lbStatus->setFont(QFont(QStringLiteral("Arial"), 20, QFont::Bold));
    lbStatus->setStyleSheet(QStringLiteral("color: green;"));
    lbStatus->setGeometry(4, 68, 158, 32);
    pnSperre->setVisible(false);

    pbxUhr = new ClockBox(m_clock, m_client);
    pbxUhr->setArrivalButton(btnBeginn);
    pbxUhr->setVisible(false);
    connect(pbxUhr, &ClockBox::boxResized, this, &TMain::FormResize);

    Label1 = ui::label(m_client, "Label1", QStringLiteral("Besucherverwaltung Lobrix"));
    Label1->setFont(QFont(QStringLiteral("Arial"), 14, QFont::Bold));
    Label1->adjustSize();
    lbNutzer = ui::label(m_client, "lbNutzer", QStringLiteral("angemeldeter Nutzer:"));
    lbNutzer->adjustSize();
    lbNutzerName = ui::label(m_client, "lbNutzerName", QString::fromUtf8(LoginUser::ServiceUserName));
    lbNutzerName->adjustSize();

    pgrBar = new QProgressBar(m_client);
    pgrBar->setObjectName(QStringLiteral("pgrBar"));
    pgrBar->setRange(0, 100);
    pgrBar->setTextVisible(false);
    pgrBar->setFixedHeight(16);
    pgrBar->setVisible(false);
    lbFortschritt = ui::label(m_client, "lbFortschritt", QStringLiteral("Moment bitte ..."));
    lbFortschritt->setVisible(false);

    // Maintenance actions: present but never shown.
    Button1 = ui::button(m_client, "Button1", QStringLiteral("Daten separieren"));
    Button1->setVisible(false);
    connect(Button1, &QPushButton::clicked, this, &TMain::Button1Click);
    Button2 = ui::button(m_client, "Button2", QStringLiteral("Ausweise bis 5000 erweitern"));
    Button2->setVisible(false);
    connect(Button2, &QPushButton::clicked, this, &TMain::Button2Click);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(500);
    connect(Timer, &QTimer::timeout, this, &TMain::TimerTimer);
}

QAction *TMain::item(QMenu *menu, const char *name, const QString &caption)
{
    QAction *a = caption.isEmpty() ? menu->addSeparator() : menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

void TMain::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    Datei1 = bar->addMenu(QStringLiteral("&Datei"));
    Datei1->setObjectName(QStringLiteral("Datei1"));
    Einstellung1 = item(Datei1, "Einstellung1", QStringLiteral("&Einstellungen"));
    item(Datei1, "N4", QString());
    Dateneditieren1 = item(Datei1, "Dateneditieren1", QStringLiteral("Daten e&ditieren"));
    Datenlschen1 = item(Datei1, "Datenlschen1", QStringLiteral("&Daten löschen"));
    item(Datei1, "N3", QString());
    connect(item(Datei1, "Beenden1", QStringLiteral("&Beenden")), &QAction::triggered, this,
            &QWidget::close);

    auto topItem = [&](const char *name, const QString &caption) {
        QAction *a = bar->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    connect(topItem("Besucherstamm1", QStringLiteral("Besucher&stamm")), &QAction::triggered, this,
            &TMain::Besucherstammbearbeiten1Click);
    Besuchsziele1 = topItem("Besuchsziele1", QStringLiteral("Besuchs&ziele"));
    Nutzer1 = topItem("Nutzer1", QStringLiteral("&Nutzer"));
    Berichte1 = topItem("Berichte1", QStringLiteral("&Berichte"));

    Designer1 = bar->addMenu(QStringLiteral("De&signer"));
    Designer1->setObjectName(QStringLiteral("Designer1"));
    Designer1->menuAction()->setObjectName(QStringLiteral("Designer1Action"));
    Besucherausweis1 = item(Designer1, "Besucherausweis1", QStringLiteral("Besucher&ausweis"));
    Besucherschein1 = item(Designer1, "Besucherschein1", QStringLiteral("Besucher&schein"));

    Hilfe1 = bar->addMenu(QStringLiteral("&Hilfe"));
    Hilfe1->setObjectName(QStringLiteral("Hilfe1"));
    connect(item(Hilfe1, "Bedienanleitung1", QStringLiteral("Bedienanleitung")),
            &QAction::triggered, this, &TMain::Bedienanleitung1Click);
    item(Hilfe1, "N1", QString());
    connect(item(Hilfe1, "technischeUntersttzung1", QStringLiteral("technische Unterstützung")),
            &QAction::triggered, this, [this] {
                if (m_windows.info)
                    m_windows.info->exec();
            });
}

void TMain::FormCreate()
{
    IniFile &settings = m_session->settings();
    m_showClock = keys::read(settings, keys::settings::UhrzeitDatum);
    pbxUhr->readSettings(settings);
    if (m_startup.usersMissing()) {
        Timer->stop();
        ui::MessageBoxes::error(this, QString::fromUtf8(UsersFile::NotFoundMessage));
        m_creationFailed = true;
    }
}

void TMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_startedUp && !m_creationFailed) {
        // After the window is on screen, as the clerk expects: then the login.
        QTimer::singleShot(0, this, [this] {
            if (!m_startedUp)
                FormShow();
        });
    }
}

void TMain::FormShow()
{
    m_startedUp = true;
    m_startup.updateStructure([this](const QString &message) { ui::MessageBoxes::show(this, message); });
    if (!login())
        return;
    applyRights();
    TimerTimer();
    Timer->start();
    FormResize();
}

bool TMain::login()
{
    if (!m_windows.start) {
        endProgram(1);
        return false;
    }
    const auto ask = [this]() -> std::optional<Startup::Credentials> {
        m_windows.start->reset();
        if (m_windows.start->exec() != QDialog::Accepted)
            return std::nullopt;
        return Startup::Credentials{m_windows.start->typedName(), m_windows.start->typedPassword()};
    };
    const auto tell = [this](const QString &message, bool last) {
        if (last)
            ui::MessageBoxes::error(this, message, QString::fromUtf8(LoginCheck::FailedCaption));
        else
            ui::MessageBoxes::show(this, message);
    };
    switch (m_startup.login(ask, tell)) {
    case Startup::LoginResult::LoggedIn:
        lbNutzerName->setText(m_session->currentUserName());
        lbNutzerName->adjustSize();
        return true;
    case Startup::LoginResult::Cancelled:
    case Startup::LoginResult::Failed:
        break;
    }
    endProgram(0);
    return false;
}

void TMain::endProgram(int code)
{
    m_ended = true;
    Timer->stop();
    hide();
    m_quit(code);
}

void TMain::applyRights()
{
    const LoginUser user = m_session->isServiceLogin()
                               ? LoginUser::service()
                               : LoginUser::fromSlot(m_session->user()->slot(),
                                                     m_startup.users().loadUserSlot(m_session->user()->slot()));
    const auto has = [&user](Right r) { return user.has(r); };
    const auto hideUnless = [this](bool allowed, std::initializer_list<const char *> names) {
        if (allowed)
            return;
        for (const char *name : names)
            if (auto *a = findChild<QAction *>(QString::fromLatin1(name)))
                a->setVisible(false);
    };
    hideUnless(has(Right::Einstellungen), {"Einstellung1", "N4"});
    hideUnless(has(Right::Service), {"Dateneditieren1", "Datenlschen1", "N3"});
    hideUnless(has(Right::StammLesen) && has(Right::StammSchreiben), {"Besucherstamm1"});
    hideUnless(has(Right::Rechte), {"Nutzer1"});
    hideUnless(has(Right::BerichteLesen), {"Berichte1"});
    if (has(Right::Erfassen)) {
        btnBeginn->setVisible(true);
        btnEnde->setVisible(true);
    }
    Designer1->menuAction()->setVisible(
        user.seesDesigner(keys::read(m_session->settings(), keys::settings::Designer)));
    if (m_rightsListener)
        m_rightsListener(user);
}

QPoint TMain::settingsDialogPosition(const QSize &dialog) const
{
    const QPoint client = m_client->mapToGlobal(QPoint(0, 0));
    QPoint p(client.x() + m_client->width() / 2 - dialog.width() / 2,
             client.y() + btnBeginn->y() + btnBeginn->height() - dialog.height() + 60);
    // A dialog taller than the space above the buttons would reach above the screen.
    const QScreen *screen = this->screen();
    if (!screen)
        return p;
    const QRect area = screen->availableGeometry();
    p.setX(std::clamp(p.x(), area.left(), std::max(area.left(), area.right() + 1 - dialog.width())));
    p.setY(std::clamp(p.y(), area.top(), std::max(area.top(), area.bottom() + 1 - dialog.height())));
    return p;
}

void TMain::TimerTimer()
{
    pbxUhr->setVisible(m_showClock);
    if (m_tickListener)
        m_tickListener(CurrentDateText(m_clock), CurrentTimeText(m_clock));
    pbxUhr->PaintClock();

    const bool locked = PollRegistrationLock();
    if (locked) {
        QString dots = lbStatus->text() + u'.';
        if (dots.size() >= 9)
            dots.clear();
        lbStatus->setText(dots);
    }
}

bool TMain::PollRegistrationLock()
{
    // Only another workstation's open form locks: this one's own form is modal anyway,
    // and when it closes the button is usable at once, not at the next tick.
    const bool locked = m_session->registrationLock().registrationLocked();
    btnBeginn->setEnabled(!locked);
    pnSperre->setVisible(locked);
    if (locked)
        pnSperre->raise();
    return locked;
}

void TMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TMain::FormResize()
{
    if (width() < kMinWidth || height() < kMinHeight)
        resize(std::max(width(), kMinWidth), std::max(height(), kMinHeight));
    const int cw = m_client->width();
    const int ch = m_client->height();

    pgrBar->setGeometry(0, 0, cw, pgrBar->height());
    lbFortschritt->move(0, pgrBar->height() + 2);

    const int top = static_cast<int>(ch * 2 / 2.7 - btnBeginn->height() / 2);
    btnBeginn->move(cw / 2 - btnBeginn->width() - 50, top);
    btnEnde->move(cw / 2 + 50, top);

    pbxUhr->move(cw / 2 - pbxUhr->width() / 2,
                 (btnBeginn->y() + btnBeginn->height() - 32) / 2 - pbxUhr->height() / 2);

    const int line = ch - 20;
    lbNutzerName->move(5, ch - 33);
    lbNutzer->move(5, lbNutzerName->y() - 3 - lbNutzer->height());
    Label1->move((cw - Label1->width()) / 2, line - Label1->height());

    pnSperre->move(btnBeginn->pos());
}

void TMain::closeEvent(QCloseEvent *event)
{
    Timer->stop();
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && !m_ended) {
        // The only settings kept at the end of a run.
        pbxUhr->writeSettings(m_session->settings());
        m_ended = true;
        m_quit(0);
    }
}

void TMain::btnBeginnClick()
{
    if (m_openArrival)
        m_openArrival();
    PollRegistrationLock();
}

void TMain::Besucherstammbearbeiten1Click()
{
    if (m_openMasterData)
        m_openMasterData();
    PollRegistrationLock();
}

void TMain::btnEndeClick()
{
    if (m_openDeparture)
        m_openDeparture();
    PollRegistrationLock();
}

void TMain::Bedienanleitung1Click()
{
    const QString file = QDir::toNativeSeparators(
        QDir(m_session->folders().start).filePath(QStringLiteral("Hilfe/BEDIEN.PDF")));
    try {
        if (!ui::Desktop::open(QUrl::fromLocalFile(QDir::fromNativeSeparators(file))))
            ui::MessageBoxes::show(this, QStringLiteral("Datei '") + file +
                                         QStringLiteral("' konnte nicht geöffnet werden."));
    } catch (...) {
        // Any other failure while opening the manual is ignored.
    }
}

void TMain::Button1Click()
{
    data::DatabaseMaintenance::separateVisits(m_session->folders().database);
}

void TMain::Button2Click()
{
    data::DatabaseMaintenance::extendBadgesTo5000(m_session->folders().database);
}

} // namespace lobrix::shell

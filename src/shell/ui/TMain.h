#pragma once
// The main window: the clerk's home screen with the two large buttons, the menus, the
// lock panel and the clock. It owns the Session (folders, settings, user) for the run
// and runs the start-up sequence (structure update, login, rights) when first shown.
#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;
class QFrame;

namespace lobrix {
class Clock;
}

namespace lobrix::shell {

class ClockBox;
class Session;
class TInfo;
class TStart;
class LoginUser;
class Startup;
class UsersFile;

class TMain : public QMainWindow {
    Q_OBJECT
public:
    // Creates the window for the start (FormCreate); `startup` outlives it. When the users
    // file cannot be read the error has been shown and creationFailed() is true: the
    // program ends.
    TMain(Startup &startup, const Clock &clock, QWidget *parent = nullptr);
    ~TMain() override;

    bool creationFailed() const { return m_creationFailed; }
    Session &session();
    // The working copy of user.dat read at start: the login reads it, the settings dialog
    // edits it.
    UsersFile &users();

    // The windows the main window opens; set once after they are created.
    struct Windows {
        TStart *start = nullptr;
        TInfo *info = nullptr;
    };
    void setWindows(const Windows &windows) { m_windows = windows; }
    // The visit form in arrival and in departure mode, opened by the two large buttons.
    void setVisitForm(std::function<void()> arrival, std::function<void()> departure)
    {
        m_openArrival = std::move(arrival);
        m_openDeparture = std::move(departure);
    }
    // The visit form in master-data mode, opened by "Besucher&stamm".
    void setMasterDataForm(std::function<void()> open) { m_openMasterData = std::move(open); }
    // The settings dialog's "Uhr anzeigen": shown or hidden from the next timer tick.
    void setShowClock(bool show) { m_showClock = show; }
    void Besucherstammbearbeiten1Click();

    // How the program ends (a failed login, "&Beenden"); QCoreApplication::exit by default.
    void setQuitHandler(std::function<void(int)> quit) { m_quit = std::move(quit); }
    // Called on every timer tick with the current date text and time text (HH:MM); the
    // reports window registers here.
    void setTickListener(std::function<void(const QString &, const QString &)> l)
    {
        m_tickListener = std::move(l);
    }

    // The start-up sequence: structure update, login, rights, first tick, layout.
    void FormShow();
    void TimerTimer();
    // Shows or hides the lock panel for another workstation's open visit form; true
    // while it is shown.
    bool PollRegistrationLock();
    void FormResize();
    // Hides what the logged-in user may not use, by the rights in the users working copy
    // (changed there, they count from the settings dialog's next opening).
    void applyRights();
    // Where the settings dialog opens: its bottom 60 pixels below the arrival button,
    // centred on the window, kept on the screen.
    QPoint settingsDialogPosition(const QSize &dialog) const;

    // Told the rights each time they are applied (the reports window shows its
    // maintenance buttons by them).
    void setRightsListener(std::function<void(const LoginUser &)> l) { m_rightsListener = std::move(l); }

    // The progress display for other windows (hidden until shown by them).
    QProgressBar *progressBar() const { return pgrBar; }
    QLabel *progressLabel() const { return lbFortschritt; }

    void btnBeginnClick();
    void btnEndeClick();
    void Bedienanleitung1Click();
    void Button1Click();
    void Button2Click();

    // The menu items that open the other windows, for the composition root to wire: a
    // renamed item is a compile error, not a menu that silently does nothing.
    QAction *settingsAction() const { return Einstellung1; }
    QAction *usersAction() const { return Nutzer1; }
    QAction *destinationsAction() const { return Besuchsziele1; }
    QAction *reportsAction() const { return Berichte1; }
    QAction *editRecordsAction() const { return Dateneditieren1; }
    QAction *deleteRecordsAction() const { return Datenlschen1; }
    QAction *badgeDesignerAction() const { return Besucherausweis1; }
    QAction *sheetDesignerAction() const { return Besucherschein1; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void createControls();
    void createMenus();
    QAction *item(QMenu *menu, const char *name, const QString &caption);
    bool login();
    void endProgram(int code);

    QAction *Einstellung1 = nullptr, *Nutzer1 = nullptr, *Besuchsziele1 = nullptr, *Berichte1 = nullptr;
    QAction *Dateneditieren1 = nullptr, *Datenlschen1 = nullptr, *Besucherausweis1 = nullptr, *Besucherschein1 = nullptr;

    const Clock &m_clock;
    Startup &m_startup;
    Session *m_session = nullptr; // the startup's
    Windows m_windows;
    std::function<void(int)> m_quit;
    std::function<void()> m_openArrival;
    std::function<void()> m_openMasterData;
    std::function<void()> m_openDeparture;
    std::function<void(const QString &, const QString &)> m_tickListener;
    std::function<void(const LoginUser &)> m_rightsListener;
    bool m_creationFailed = false;
    bool m_startedUp = false;
    bool m_ended = false;
    bool m_showClock = false;

    QWidget *m_client = nullptr;
    QToolButton *btnBeginn = nullptr;
    QToolButton *btnEnde = nullptr;
    QFrame *pnSperre = nullptr;
    QLabel *lbStatus = nullptr;
    ClockBox *pbxUhr = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lbNutzer = nullptr;
    QLabel *lbNutzerName = nullptr;
    QProgressBar *pgrBar = nullptr;
    QLabel *lbFortschritt = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QTimer *Timer = nullptr;

    QMenu *Datei1 = nullptr;
    QMenu *Designer1 = nullptr;
    QMenu *Hilfe1 = nullptr;
};

} // namespace lobrix::shell

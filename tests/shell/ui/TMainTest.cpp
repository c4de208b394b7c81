// The main window as a clerk meets it: start-up, login, rights, lock panel, layout.
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/Clock.h"
#include "common/IniFile.h"
#include "shell/RegistrationLock.h"
#include "shell/Session.h"
#include "shell/SettingsKeys.h"
#include "shell/UsersFile.h"
#include "app/AppWindows.h"
#include "common/ui/Desktop.h"
#include "common/ui/MessageBoxes.h"
#include "shell/ui/TEinstellungen.h"
#include "shell/ui/TInfo.h"
#include "shell/ui/TMain.h"
#include "shell/ui/TStart.h"

#include <QAction>
#include <QCheckBox>
#include <QTableView>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <deque>

using namespace lobrix;
using namespace lobrix::shell;
using namespace lobrix::ui;
using lobrix::app::AppWindows;

namespace {

struct Answer {
    QString name;
    QString password;
    bool cancel = false;
};

// Answers the login dialog each time it is shown, like a clerk typing at the keyboard.
class LoginDriver : public QObject {
public:
    LoginDriver(TStart *dialog, std::deque<Answer> answers)
        : m_dialog(dialog), m_answers(std::move(answers))
    {
        dialog->installEventFilter(this);
    }
    int shown = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            ++shown;
            QTimer::singleShot(0, this, [this] { answer(); });
        }
        return false;
    }

private:
    void answer()
    {
        if (m_answers.empty()) {
            m_dialog->reject();
            return;
        }
        const Answer a = m_answers.front();
        m_answers.pop_front();
        if (a.cancel) {
            QTest::mouseClick(m_dialog->findChild<QPushButton *>(QStringLiteral("btnAbbrechen")), Qt::LeftButton);
            return;
        }
        auto *name = m_dialog->findChild<QLineEdit *>(QStringLiteral("edBenutzer"));
        auto *password = m_dialog->findChild<QLineEdit *>(QStringLiteral("edPasswort"));
        QTest::keyClicks(name, a.name);
        QTest::keyClick(name, Qt::Key_Return);
        QTest::keyClicks(password, a.password);
        QTest::keyClick(password, Qt::Key_Return); // focus moves to "&OK"
        QTest::keyClick(m_dialog->focusWidget(), Qt::Key_Return);
    }
    TStart *m_dialog;
    std::deque<Answer> m_answers;
};

void addUser(const test::TestInstallation &inst, int slot, const QString &name,
             const QString &password, const UserRights &rights)
{
    const QString path = UsersFile::pathIn(inst.startFolder());
    UsersFile users = UsersFile::read(path);
    users.storeUserSlot(slot, {name, password, rights});
    users.write(path);
}

struct Started {
    std::unique_ptr<AppWindows> windows;
    std::unique_ptr<LoginDriver> driver;
    QList<MessageRecord> messages;
    int quitCode = -1;
};

// Builds the windows like main() and runs the start-up sequence with the given answers.
void start(Started &s, const test::TestInstallation &inst, std::deque<Answer> answers,
           const Clock &clock)
{
    MessageBoxes::setHooks([&s](const MessageRecord &m) { s.messages << m; },
                           [](const MessageRecord &) { return false; });
    s.windows = std::make_unique<AppWindows>(inst.startFolder(), clock);
    s.windows->main->setQuitHandler([&s](int code) { s.quitCode = code; });
    s.driver = std::make_unique<LoginDriver>(s.windows->start, std::move(answers));
    s.windows->main->show();
    s.windows->main->FormShow();
}

bool visibleAction(TMain *w, const char *name)
{
    auto *a = w->findChild<QAction *>(QString::fromLatin1(name));
    return a && a->isVisible();
}

const QStringList kItems = {"Einstellung1",   "N4",        "Dateneditieren1", "Datenlschen1", "N3",
                            "Besucherstamm1", "Nutzer1",   "Berichte1",       "Besuchsziele1",
                            "Beenden1",       "Designer1Action"};

} // namespace

class TMainTest : public QObject {
    Q_OBJECT
private:
    FixedClock m_clock{QDateTime(QDate(2026, 12, 10), QTime(8, 30, 0))};

private slots:
    void cleanup()
    {
        MessageBoxes::setHooks({}, {});
        Desktop::setOpener({});
    }

    void loginFlows_data()
    {
        QTest::addColumn<QList<QStringList>>("answers"); // name, password; "cancel"
        QTest::addColumn<QString>("userName");           // empty: not logged in
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("quitCode");
        QTest::addColumn<QString>("logged"); // the last event-log line ends so; empty: none written
        const QString again = QStringLiteral("Benutzername oder Paßwort sind ungültig. Sie haben noch %1");
        QTest::newRow("service account") << QList<QStringList>{{"qzt", "kuvet48"}}
                                         << "Systemanmeldung" << QStringList{} << -1
                                         << "Anmeldung -> Servicezugang angemeldet";
        QTest::newRow("user") << QList<QStringList>{{"demo", "demo"}} << "demo" << QStringList{} << -1
                              << "Anmeldung -> Benutzer demo angemeldet";
        QTest::newRow("empty name and password") << QList<QStringList>{{"", ""}}
                                                 << "[kein Benutzername]" << QStringList{} << -1
                                                 << "Anmeldung -> Benutzer [kein Benutzername] angemeldet";
        QTest::newRow("first of two equal slots") << QList<QStringList>{{"pforte", "geheim"}}
                                                  << "pforte" << QStringList{} << -1
                                                  << "Anmeldung -> Benutzer pforte angemeldet";
        QTest::newRow("service password is case-sensitive")
            << QList<QStringList>{{"qzt", "KUVET48"}, {"demo", "demo"}} << "demo"
            << QStringList{again.arg("2 Versuche.")} << -1 << "Anmeldung -> Benutzer demo angemeldet";
        QTest::newRow("third attempt succeeds")
            << QList<QStringList>{{"demo", "x"}, {"x", "demo"}, {"demo", "demo"}} << "demo"
            << QStringList{again.arg("2 Versuche."), again.arg("1 Versuch.")} << -1
            << "Anmeldung -> Benutzer demo angemeldet";
        QTest::newRow("three failures end the program")
            << QList<QStringList>{{"a", "b"}, {"c", "d"}, {"e", "f"}} << ""
            << QStringList{again.arg("2 Versuche."), again.arg("1 Versuch."),
                           "Die Anmeldung ist fehlgeschlagen. Programm wird beendet."}
            << 0 << "Anmeldung -> 3. fehlgeschlagener Anmeldeversuch, Programm beendet";
        QTest::newRow("cancel ends the program") << QList<QStringList>{{"cancel"}} << ""
                                                 << QStringList{} << 0 << "";
        // Switched off for this workstation: the service account is refused like any
        // wrong name.
        QTest::newRow("service account switched off")
            << QList<QStringList>{{"qzt", "kuvet48"}, {"demo", "demo"}} << "demo"
            << QStringList{again.arg("2 Versuche.")} << -1 << "Anmeldung -> Benutzer demo angemeldet";
    }
    void loginFlows()
    {
        QFETCH(QList<QStringList>, answers);
        QFETCH(QString, userName);
        QFETCH(QStringList, messages);
        QFETCH(int, quitCode);
        QFETCH(QString, logged);
        test::TestInstallation inst(10, true);
        if (QTest::currentDataTag() == QByteArray("service account switched off")) {
            IniFile settings(QDir(inst.startFolder()).filePath(QStringLiteral("settings.ini")));
            keys::write(settings, keys::settings::ServiceLogin, false);
        }
        const QString logFile = QDir(inst.databaseFolder()).filePath(QStringLiteral("BesucherLog.log"));
        QFile::remove(logFile);
        // Slot 1 stays empty (empty name and password); slots 3 and 5 are the same user.
        addUser(inst, 3, QStringLiteral("pforte"), QStringLiteral("geheim"), UserRights{Right::Erfassen});
        addUser(inst, 5, QStringLiteral("pforte"), QStringLiteral("geheim"), UserRights::all());
        std::deque<Answer> queue;
        for (const QStringList &a : answers)
            queue.push_back(a.first() == u"cancel" ? Answer{{}, {}, true} : Answer{a[0], a[1]});
        Started s;
        start(s, inst, queue, m_clock);
        QStringList texts;
        for (const MessageRecord &m : s.messages)
            texts << m.text;
        QCOMPARE(texts, messages);
        QCOMPARE(s.quitCode, quitCode);
        if (!messages.isEmpty() && quitCode == 0)
            QCOMPARE(s.messages.last().caption, QStringLiteral("Anmeldung fehlgeschlagen"));
        if (!userName.isEmpty()) {
            auto *label = s.windows->main->findChild<QLabel *>(QStringLiteral("lbNutzerName"));
            QCOMPARE(label->text(), userName);
        }
        const QStringList lines = QString::fromLatin1(test::fileBytes(logFile)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        if (logged.isEmpty())
            QVERIFY2(lines.isEmpty(), qPrintable(lines.join(u'|')));
        else
            QVERIFY2(!lines.isEmpty() && lines.last().endsWith(logged), qPrintable(lines.join(u'|')));
        if (QTest::currentDataTag() == QByteArray("first of two equal slots")) {
            // Slot 3 (only "Besucher erfassen") wins over slot 5 (every right).
            QVERIFY(!visibleAction(s.windows->main, "Berichte1"));
            QVERIFY(s.windows->main->findChild<QToolButton *>(QStringLiteral("btnBeginn"))->isVisible());
        }
    }

    void rightsShowExactlyTheirItems_data()
    {
        QTest::addColumn<int>("right"); // -1: none
        QTest::addColumn<QStringList>("visible");
        QTest::addColumn<bool>("bigButtons");
        const QStringList always = {"Besuchsziele1", "Beenden1"};
        QTest::newRow("none") << -1 << always << false;
        QTest::newRow("Besucher erfassen") << int(Right::Erfassen) << always << true;
        QTest::newRow("Besucherstamm einsehen") << int(Right::StammLesen) << always << false;
        QTest::newRow("Besucherstamm ändern") << int(Right::StammSchreiben) << always << false;
        QTest::newRow("Berichte einsehen") << int(Right::BerichteLesen) << (always + QStringList{"Berichte1"}) << false;
        QTest::newRow("Berichte erstellen") << int(Right::BerichteErstellen) << always << false;
        QTest::newRow("Einstellungen") << int(Right::Einstellungen) << (always + QStringList{"Einstellung1", "N4"}) << false;
        QTest::newRow("Nutzerrechte") << int(Right::Rechte) << (always + QStringList{"Nutzer1"}) << false;
        QTest::newRow("Daten löschen / editieren")
            << int(Right::Service) << (always + QStringList{"Dateneditieren1", "Datenlschen1", "N3"}) << false;
        QTest::newRow("both Besucherstamm rights") << 100 << (always + QStringList{"Besucherstamm1"}) << false;
    }
    void rightsShowExactlyTheirItems()
    {
        QFETCH(int, right);
        QFETCH(QStringList, visible);
        QFETCH(bool, bigButtons);
        test::TestInstallation inst(10, false);
        UserRights rights;
        if (right == 100) {
            rights.set(Right::StammLesen, true);
            rights.set(Right::StammSchreiben, true);
        } else if (right >= 0) {
            rights.set(right, true);
        }
        addUser(inst, 0, QStringLiteral("anna"), QStringLiteral("pw"), rights);
        Started s;
        start(s, inst, {{QStringLiteral("anna"), QStringLiteral("pw")}}, m_clock);
        QStringList shown;
        for (const QString &item : kItems)
            if (visibleAction(s.windows->main, item.toLatin1().constData()))
                shown << item;
        std::sort(visible.begin(), visible.end());
        std::sort(shown.begin(), shown.end());
        QCOMPARE(shown, visible);
        QCOMPARE(s.windows->main->findChild<QToolButton *>(QStringLiteral("btnBeginn"))->isVisible(), bigButtons);
        QCOMPARE(s.windows->main->findChild<QToolButton *>(QStringLiteral("btnEnde"))->isVisible(), bigButtons);
    }

    void designerMenu_data()
    {
        QTest::addColumn<QString>("designerKey"); // empty: missing
        QTest::addColumn<bool>("service");
        QTest::addColumn<bool>("settingsRight");
        QTest::addColumn<bool>("shown");
        QTest::newRow("missing, user with right") << "" << false << true << false;
        QTest::newRow("missing, service") << "" << true << false << true;
        QTest::newRow("1, user with right") << "1" << false << true << true;
        QTest::newRow("1, user without right") << "1" << false << false << false;
        QTest::newRow("0, service") << "0" << true << false << true;
    }
    void designerMenu()
    {
        QFETCH(QString, designerKey);
        QFETCH(bool, service);
        QFETCH(bool, settingsRight);
        QFETCH(bool, shown);
        test::TestInstallation inst(10, false);
        if (!designerKey.isEmpty())
            IniFile(QDir(inst.startFolder()).filePath("settings.ini")).writeString("Options", "Designer", designerKey);
        UserRights rights;
        rights.set(Right::Einstellungen, settingsRight);
        addUser(inst, 0, QStringLiteral("anna"), QStringLiteral("pw"), rights);
        Started s;
        start(s, inst, {service ? Answer{"qzt", "kuvet48"} : Answer{"anna", "pw"}}, m_clock);
        QCOMPARE(visibleAction(s.windows->main, "Designer1Action"), shown);
    }

    // "&Nutzer" and "&Einstellungen" from the menu: rights saved for the logged-in user hide
    // their items when the dialog opens next, the dialog sits below the arrival button, and
    // the new password counts at the next start.
    void usersDialogFromTheMenu()
    {
        test::TestInstallation inst(10, false);
        addUser(inst, 2, QStringLiteral("anna"), QStringLiteral("pw"),
                {Right::Erfassen, Right::BerichteLesen, Right::Einstellungen, Right::Rechte});
        {
            Started s;
            start(s, inst, {{QStringLiteral("anna"), QStringLiteral("pw")}}, m_clock);
            TMain *w = s.windows->main;
            QVERIFY(visibleAction(w, "Berichte1"));
            auto *dialog = s.windows->einstellungen;
            QString title;
            bool reportsAfterSave = false;
            QPoint placed;
            QSize size;
            QTimer::singleShot(0, dialog, [&] {
                title = dialog->windowTitle();
                placed = dialog->pos();
                size = dialog->size();
                auto *grid = dialog->findChild<QTableView *>(QStringLiteral("GridNutzer"));
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                                  grid->visualRect(grid->model()->index(2, 0)).center());
                dialog->findChild<QCheckBox *>(QStringLiteral("chkBerichteLesen"))->click();
                auto *password = dialog->findChild<QLineEdit *>(QStringLiteral("edPasswort"));
                password->clear();
                QTest::keyClicks(password, QStringLiteral("neu"));
                dialog->findChild<QPushButton *>(QStringLiteral("btnUebernehmen"))->click();
                reportsAfterSave = visibleAction(w, "Berichte1");
                dialog->findChild<QPushButton *>(QStringLiteral("btnSpeichern"))->click(); // "&Schliessen"
            });
            w->findChild<QAction *>(QStringLiteral("Nutzer1"))->trigger();
            QCOMPARE(title, QStringLiteral("Nutzer"));
            QVERIFY(reportsAfterSave); // not before the next opening

            // top = arrival button's top + its height - dialog height + 60, left centred on
            // the window; both within the screen.
            auto *arrival = w->findChild<QToolButton *>(QStringLiteral("btnBeginn"));
            const QPoint client = w->centralWidget()->mapToGlobal(QPoint(0, 0));
            const QRect screen = w->screen()->availableGeometry();
            const int left = client.x() + w->centralWidget()->width() / 2 - size.width() / 2;
            const int top = client.y() + arrival->y() + arrival->height() - size.height() + 60;
            QCOMPARE(placed.x(), std::clamp(left, screen.left(), screen.right() + 1 - size.width()));
            QCOMPARE(placed.y(), std::clamp(top, screen.top(), screen.bottom() + 1 - size.height()));
            QVERIFY(top >= screen.top()); // the rule itself was measured, not only the clamp

            QTimer::singleShot(0, dialog, [&] {
                title = dialog->windowTitle();
                dialog->findChild<QPushButton *>(QStringLiteral("btnAbbrechen"))->click();
            });
            w->findChild<QAction *>(QStringLiteral("Einstellung1"))->trigger();
            QCOMPARE(title, QStringLiteral("Einstellungen"));
            QVERIFY(!visibleAction(w, "Berichte1"));
            QVERIFY(visibleAction(w, "Nutzer1"));
        }
        Started next;
        start(next, inst, {{QStringLiteral("anna"), QStringLiteral("pw")}, {QStringLiteral("anna"), QStringLiteral("neu")}},
              m_clock);
        QCOMPARE(next.messages.size(), 1); // the old password is refused
        QCOMPARE(next.windows->main->findChild<QLabel *>(QStringLiteral("lbNutzerName"))->text(), QStringLiteral("anna"));
        QVERIFY(!visibleAction(next.windows->main, "Berichte1"));
    }

    void lockPanelFollowsGlobalIni()
    {
        test::TestInstallation inst(10, false);
        addUser(inst, 0, QStringLiteral("gast"), QString(), UserRights{}); // no right to register
        Started s;
        start(s, inst, {{QStringLiteral("gast"), QString()}}, m_clock);
        TMain *w = s.windows->main;
        auto *panel = w->findChild<QWidget *>(QStringLiteral("pnSperre"));
        auto *dots = w->findChild<QLabel *>(QStringLiteral("lbStatus"));
        auto *arrival = w->findChild<QToolButton *>(QStringLiteral("btnBeginn"));
        QVERIFY(!panel->isVisible());

        // Another workstation opens its visit form: it owns the flag while it runs.
        IniFile other(QDir(inst.databaseFolder()).filePath("Global.ini"));
        RegistrationLock otherForm(inst.databaseFolder());
        otherForm.setRegistrationLock();
        other.writeBool("Global", "Locked", true);
        w->TimerTimer();
        QVERIFY(panel->isVisible()); // also for a user who cannot register
        QVERIFY(!arrival->isEnabled());
        QCOMPARE(panel->pos(), arrival->pos());
        QCOMPARE(dots->text(), QStringLiteral("."));
        for (int i = 0; i < 7; ++i)
            w->TimerTimer();
        QCOMPARE(dots->text(), QStringLiteral("........"));
        w->TimerTimer();
        QCOMPARE(dots->text(), QString()); // the ninth dot starts the count again

        other.writeBool("Global", "Locked", false);
        w->TimerTimer();
        QVERIFY(!panel->isVisible());
        QVERIFY(arrival->isEnabled());
    }

    // A workstation that died with its form open left Locked=1 without an owner: the
    // first main window to see it clears it, says so in the log once, and stays usable.
    void staleFlagOfACrashedWorkstationIsCleared()
    {
        test::TestInstallation inst(10, false);
        Started s;
        start(s, inst, {{QStringLiteral("demo"), QStringLiteral("demo")}}, m_clock);
        TMain *w = s.windows->main;
        auto *panel = w->findChild<QWidget *>(QStringLiteral("pnSperre"));
        auto *arrival = w->findChild<QToolButton *>(QStringLiteral("btnBeginn"));
        const QString logFile = QDir(inst.databaseFolder()).filePath("BesucherLog.log");
        QFile::remove(logFile);

        IniFile global(QDir(inst.databaseFolder()).filePath("Global.ini"));
        global.writeBool("Global", "Locked", true);
        w->TimerTimer();
        QVERIFY(!panel->isVisible());
        QVERIFY(arrival->isEnabled());
        QCOMPARE(global.readInt("Global", "Locked", -1), 0);
        w->TimerTimer();
        QFile log(logFile);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        QCOMPARE(lines.size(), 2); // one line and the end after it
        QVERIFY2(lines.first().trimmed().endsWith(
                     "Systemanmeldung --> " + RegistrationLock::staleFlagLogText().toLatin1()),
                 lines.first().constData());
    }

    // What an interrupted write left in the two folders goes when the program starts;
    // a temporary file that may still be another workstation's write under way stays.
    void startRemovesStaleTemporaryFiles()
    {
        test::TestInstallation inst(10, false);
        const QString oldDb = QDir(inst.databaseFolder()).filePath(".Global.ini.lbx-q1W2e3");
        const QString oldStart = QDir(inst.startFolder()).filePath(".settings.ini.lbx-r4T5z6");
        const QString young = QDir(inst.databaseFolder()).filePath(".Laender.ini.lbx-u7I8o9");
        for (const QString &path : {oldDb, oldStart, young}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("halb");
            file.flush(); // the time is set after the last write
            if (path != young)
                QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                         QFileDevice::FileModificationTime));
        }
        Started s;
        start(s, inst, {{QStringLiteral("demo"), QStringLiteral("demo")}}, m_clock);
        QVERIFY(!QFile::exists(oldDb));
        QVERIFY(!QFile::exists(oldStart));
        QVERIFY(QFile::exists(young));
    }

    void structureUpdateRunsOncePerStart()
    {
        test::TestInstallation inst(10, true);
        const QString log = QDir(inst.databaseFolder()).filePath("UpdateLog.txt");
        QFile::remove(log);
        // A wrong first attempt: the sequence repeats without a second update.
        QObject watcher;
        Started s;
        MessageBoxes::setHooks([&](const MessageRecord &m) {
            s.messages << m;
            QFile::remove(log); // the update ran before the first login; see if it runs again
        }, {});
        s.windows = std::make_unique<AppWindows>(inst.startFolder(), m_clock);
        s.windows->main->setQuitHandler([&s](int code) { s.quitCode = code; });
        s.driver = std::make_unique<LoginDriver>(s.windows->start,
                                                 std::deque<Answer>{{"demo", "x"}, {"demo", "demo"}});
        s.windows->main->FormShow();
        QCOMPARE(s.messages.size(), 1);
        QVERIFY(!QFile::exists(log));

        test::TestInstallation skip(10, true);
        QFile::remove(QDir(skip.databaseFolder()).filePath("UpdateLog.txt"));
        IniFile(QDir(skip.startFolder()).filePath("settings.ini")).writeBool("Options", "NoDBCheck", true);
        Started t;
        start(t, skip, {{"demo", "demo"}}, m_clock);
        QVERIFY(!QFile::exists(QDir(skip.databaseFolder()).filePath("UpdateLog.txt")));
        Started u;
        test::TestInstallation check(10, true);
        QFile::remove(QDir(check.databaseFolder()).filePath("UpdateLog.txt"));
        start(u, check, {{"demo", "demo"}}, m_clock);
        QVERIFY(QFile::exists(QDir(check.databaseFolder()).filePath("UpdateLog.txt")));
    }

    void clockFollowsSettingsAndIsSavedAtClose()
    {
        test::TestInstallation inst(10, true); // the demo shows the clock
        const QString path = QDir(inst.startFolder()).filePath("settings.ini");
        IniFile(path).writeInt("Options", "UhrSize", 7);
        Started s;
        start(s, inst, {{"demo", "demo"}}, m_clock);
        auto *clock = s.windows->main->findChild<QWidget *>(QStringLiteral("pbxUhr"));
        QVERIFY(clock->isVisible());
        QCOMPARE(clock->size(), QSize(175, 175)); // size step 2 for a value out of range
        QCOMPARE(IniFile(path).readInt("Options", "UhrSize", 0), 7); // nothing written yet
        s.windows->main->close();
        QCOMPARE(s.quitCode, 0);
        QCOMPARE(IniFile(path).readInt("Options", "UhrSize", 0), 2);

        IniFile(path).writeBool("Options", "UhrzeitDatum", false);
        Started t;
        start(t, inst, {{"demo", "demo"}}, m_clock);
        QVERIFY(!t.windows->main->findChild<QWidget *>(QStringLiteral("pbxUhr"))->isVisible());
    }

    // "Uhr anzeigen" saved in the settings dialog shows the clock from the next timer tick;
    // a new database folder waits for the next start.
    void settingsTakeEffectAsTheyShould()
    {
        test::TestInstallation inst(10, true);
        IniFile(QDir(inst.startFolder()).filePath("settings.ini")).writeBool("Options", "UhrzeitDatum", false);
        Started s;
        start(s, inst, {{"demo", "demo"}}, m_clock);
        TMain *w = s.windows->main;
        auto *clock = w->findChild<QWidget *>(QStringLiteral("pbxUhr"));
        QVERIFY(!clock->isVisible());
        auto *dialog = s.windows->einstellungen;
        QTimer::singleShot(0, dialog, [dialog] {
            dialog->findChild<QCheckBox *>(QStringLiteral("chkUhr"))->click();
            dialog->findChild<QLineEdit *>(QStringLiteral("edDatenbank"))->setText(QStringLiteral("/anderswo"));
            dialog->findChild<QPushButton *>(QStringLiteral("btnSpeichern"))->click();
        });
        w->findChild<QAction *>(QStringLiteral("Einstellung1"))->trigger();
        QVERIFY(!clock->isVisible()); // the timer shows it, every 500 ms
        QCOMPARE(w->findChild<QTimer *>(QStringLiteral("Timer"))->interval(), 500);
        w->TimerTimer();
        QVERIFY(clock->isVisible());
        QCOMPARE(w->session().folders().database, inst.databaseFolder());
        QCOMPARE(IniFile(QDir(inst.startFolder()).filePath("settings.ini")).readString("Datenbank", "Pfad"),
                 QStringLiteral("/anderswo"));
        QCOMPARE(s.messages.size(), 1); // the warning about the folder
    }

    void missingUsersFileEndsTheProgram()
    {
        test::TestInstallation inst(10, false);
        QFile::remove(UsersFile::pathIn(inst.startFolder()));
        QList<MessageRecord> messages;
        MessageBoxes::setHooks([&](const MessageRecord &m) { messages << m; }, {});
        AppWindows windows(inst.startFolder(), m_clock);
        QVERIFY(windows.main->creationFailed());
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QStringLiteral("Es konnten keine Einstellungen gefunden werden. Programm wird beendet."));
        QCOMPARE(messages[0].caption, QStringLiteral("Fehler"));
        QCOMPARE(messages[0].icon, QMessageBox::Critical);
    }

    void layoutRules()
    {
        test::TestInstallation inst(10, true);
        Started s;
        start(s, inst, {{"demo", "demo"}}, m_clock);
        TMain *w = s.windows->main;
        w->showNormal();
        w->resize(500, 300);
        QCOMPARE(w->size(), QSize(620, 470));
        w->resize(1000, 700);
        QTRY_COMPARE(w->width(), 1000);
        auto *client = w->centralWidget();
        const int cw = client->width(), ch = client->height();
        auto *arrival = w->findChild<QToolButton *>(QStringLiteral("btnBeginn"));
        auto *departure = w->findChild<QToolButton *>(QStringLiteral("btnEnde"));
        auto *clock = w->findChild<QWidget *>(QStringLiteral("pbxUhr"));
        QCOMPARE(arrival->size(), QSize(166, 106));
        QCOMPARE(departure->size(), QSize(169, 106));
        const int top = static_cast<int>(ch * 2 / 2.7 - 53);
        QCOMPARE(arrival->pos(), QPoint(cw / 2 - 166 - 50, top));
        QCOMPARE(departure->pos(), QPoint(cw / 2 + 50, top));
        QCOMPARE(clock->pos(), QPoint(cw / 2 - clock->width() / 2,
                                      (top + 106 - 32) / 2 - clock->height() / 2));
        auto *user = w->findChild<QLabel *>(QStringLiteral("lbNutzerName"));
        QCOMPARE(user->pos(), QPoint(5, ch - 33));
        auto *title = w->findChild<QLabel *>(QStringLiteral("Label1"));
        QCOMPARE(title->geometry().bottom() + 1, ch - 20);
        QCOMPARE(title->x(), (cw - title->width()) / 2);
        QCOMPARE(w->windowTitle(), QStringLiteral("Besucherverwaltung Lobrix Version 10.12"));
    }

    void manualThatCannotBeOpened()
    {
        test::TestInstallation inst(10, true);
        Started s;
        start(s, inst, {{"demo", "demo"}}, m_clock);
        QList<QUrl> opened;
        Desktop::setOpener([&](const QUrl &url) {
            opened << url;
            return false;
        });
        s.windows->main->findChild<QAction *>(QStringLiteral("Bedienanleitung1"))->trigger();
        const QString file = QDir::toNativeSeparators(QDir(inst.startFolder()).filePath("Hilfe/BEDIEN.PDF"));
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(QDir(inst.startFolder()).filePath("Hilfe/BEDIEN.PDF"))});
        QCOMPARE(s.messages.last().text, "Datei '" + file + "' konnte nicht geöffnet werden.");
    }

    void aboutBoxLinks()
    {
        TInfo info;
        info.show();
        auto *email = info.findChild<QLabel *>(QStringLiteral("lbEmail"));
        auto *web = info.findChild<QLabel *>(QStringLiteral("lbInternet"));
        auto *panel = info.findChild<QWidget *>(QStringLiteral("pnInfo"));
        auto hot = [](QLabel *l) { return l->font().underline(); };
        QTest::mouseMove(panel, email->geometry().center());
        QVERIFY(hot(email));
        QVERIFY(!hot(web));
        QTest::mouseMove(panel, email->geometry().topLeft() + QPoint(2, 2)); // within 5 px of the edge
        QVERIFY(!hot(email));
        QTest::mouseMove(panel, web->geometry().center());
        QVERIFY(hot(web));
        QVERIFY(!hot(email));
        QTest::mouseMove(panel, QPoint(3, 3));
        QVERIFY(!hot(web));

        QList<QUrl> opened;
        QList<MessageRecord> messages;
        Desktop::setOpener([&](const QUrl &url) {
            opened << url;
            return false;
        });
        MessageBoxes::setHooks([&](const MessageRecord &m) { messages << m; }, {});
        info.lbEmailClick();
        info.lbInternetClick();
        QCOMPARE(opened, (QList<QUrl>{QUrl("mailto:support@talvo.example"), QUrl("https://www.talvo.example")}));
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0].text, QStringLiteral("Email-Programm konnte nicht geöffnet werden"));
        QCOMPARE(messages[1].text, QStringLiteral("Browser konnte nicht geöffnet werden"));
        QCOMPARE(info.windowTitle(), QStringLiteral("Info"));
    }
};

LOBRIX_TEST(TMainTest)
#include "TMainTest.moc"

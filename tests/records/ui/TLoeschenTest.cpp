// "Daten löschen" driven through its controls: the caption by the choice, the date entry
// rule, the question, the status line while it deletes, the badges of deleted visits and
// the buttons afterwards; and both record windows opened from the program's menu.
#include "../ReportFixtures.h"
#include "PaintedTexts.h"
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "app/AppWindows.h"
#include "common/Clock.h"
#include "common/ui/MessageBoxes.h"
#include "data/SqlEngine.h"
#include "records/ui/TEditieren.h"
#include "records/ui/TLoeschen.h"
#include "shell/EventLog.h"
#include "registration/ui/TKalender.h"
#include "shell/LoginUser.h"
#include "shell/Session.h"
#include "shell/UsersFile.h"
#include "shell/ui/TMain.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace lobrix;
using namespace lobrix::records;
using namespace lobrix::test;


class TLoeschenTest : public QObject {
    Q_OBJECT

    struct Dialog {
        TestInstallation inst{10};
        QString db = inst.databaseFolder();
        FixedClock clock{QDateTime(QDate(2005, 10, 22), QTime(8, 30))};
        registration::TKalender calendar{clock};
        shell::EventLog log{db, [] { return QStringLiteral("pruefer"); }, clock};
        TLoeschen dialog{db, &calendar, &log};
        QList<ui::MessageRecord> messages;
        QList<ui::MessageRecord> questions;
        bool answer = true;

        Dialog()
        {
            addVisits(db, {{1, "3", "Alt", "A", "", "20.10.2005", "07:00", "08:00", "1:00"},
                           {2, "5", "Da", "B", "", "21.10.2005", "08:00", "", ""},
                           {3, "7", "Fertig", "C", "", "21.10.2005", "10:00", "11:00", "1:00"},
                           {4, "9", "Neu", "D", "", "22.10.2005", "09:00", "", ""}});
            data::SqlEngine engine(db);
            engine.execute(QStringLiteral("Update Ausweis.dbf Set Kommt = '08:00', Tag = '21.10.2005' Where Ausweis = 5"));
            engine.execute(QStringLiteral("Update Ausweis.dbf Set Kommt = '09:00', Tag = '22.10.2005' Where Ausweis = 9"));
            ui::MessageBoxes::setHooks([this](const ui::MessageRecord &m) { messages << m; },
                                       [this](const ui::MessageRecord &m) {
                                           questions << m;
                                           return answer;
                                       });
            dialog.show();
            dialog.activateWindow();
            if (!QTest::qWaitForWindowActive(&dialog))
                qWarning("the delete dialog did not become active");
        }
        ~Dialog() { ui::MessageBoxes::setHooks({}, {}); }
        template <typename W = QWidget> W *w(const char *name) const
        {
            W *found = dialog.findChild<W *>(QString::fromLatin1(name));
            if (!found)
                qFatal("no control %s", name);
            return found;
        }
        QLineEdit *von() const { return w<QLineEdit>("meDatumVon"); }
        QLineEdit *bis() const { return w<QLineEdit>("meDatumBis"); }
        QPushButton *start() const { return w<QPushButton>("btnStart"); }
        void range(const QString &from, const QString &to)
        {
            von()->setText(from);
            bis()->setText(to);
        }
        QStringList badges() const
        {
            return rows(db, QStringLiteral("Select Ausweis, Kommt, Tag From Ausweis.dbf Where Kommt <> '25:00'"));
        }
        QStringList visits() const
        {
            return rows(db, QStringLiteral("Select Vorgang From Besucher.dbf Order By Vorgang"));
        }
    };

private slots:
    void captionAndStart()
    {
        Dialog d;
        QVERIFY(d.w<QRadioButton>("rdZeitdaten")->isChecked());
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Bewegungsdaten löschen"));
        d.w<QRadioButton>("rdVoranmeldungen")->click();
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Voranmeldungen löschen"));
        d.w<QRadioButton>("rdZeitdaten")->click();
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Bewegungsdaten löschen"));
        QVERIFY(!d.start()->isEnabled());
        QCOMPARE(d.von()->displayText(), QStringLiteral("  .  .    "));
        QCOMPARE(d.dialog.focusWidget(), d.von());
        QCOMPARE(d.von()->selectionStart(), 0);
        QCOMPARE(d.von()->selectedText().size(), 1);
        for (QLineEdit *e : {d.von(), d.bis()})
            QVERIFY(!e->accessibleName().isEmpty());
    }

    // Typed digit by digit: the caret jumps to the other field when one is full, the
    // button follows two complete dates.
    void dateEntry()
    {
        Dialog d;
        QTest::keyClicks(d.von(), QStringLiteral("21102005"));
        QCOMPARE(d.von()->displayText(), QStringLiteral("21.10.2005"));
        QCOMPARE(d.dialog.focusWidget(), d.bis());
        QCOMPARE(d.bis()->selectionStart(), 0);
        QVERIFY(!d.start()->isEnabled());
        QTest::keyClicks(d.bis(), QStringLiteral("2110200"));
        QVERIFY(!d.start()->isEnabled());
        QCOMPARE(d.dialog.focusWidget(), d.bis());
        QTest::keyClicks(d.bis(), QStringLiteral("5"));
        QVERIFY(d.start()->isEnabled());
        QCOMPARE(d.dialog.focusWidget(), d.von());
        // A date that is none.
        QTest::keyClicks(d.von(), QStringLiteral("31022005"));
        QVERIFY(!d.start()->isEnabled());
        // Enter moves on like Tab.
        d.von()->setFocus();
        QTest::keyClick(d.von(), Qt::Key_Return);
        QVERIFY(d.dialog.focusWidget() != d.von());
    }

    // A day with a present visitor: the visits of that day go, the badge of the present
    // one is free; the status line showed the day and the packing, and is empty after.
    void deleteADay()
    {
        Dialog d;
        PaintedTexts painted(d.w<QLabel>("lbStatus"));
        d.range(QStringLiteral("21.10.2005"), QStringLiteral("21.10.2005"));
        QVERIFY(d.start()->isEnabled());
        QTest::mouseClick(d.start(), Qt::LeftButton);
        QCOMPARE(d.questions.size(), 1);
        QCOMPARE(d.questions.first().text,
                 QStringLiteral("Wollen Sie die Besucherdaten vom 21.10.2005 bis 21.10.2005 wirklich unwiderruflich "
                                "löschen ?"));
        QCOMPARE(d.questions.first().caption, QStringLiteral("Daten löschen"));
        QCOMPARE(d.questions.first().icon, QMessageBox::Warning);
        QCOMPARE(d.visits(), (QStringList{"1", "4"}));
        QCOMPARE(d.badges(), QStringList{"9|09:00|22.10.2005"});
        QCOMPARE(d.messages.size(), 1);
        QCOMPARE(d.messages.first().text, QStringLiteral("2 Datensätze im ausgewählten Zeitraum gelöscht."));
        const auto lastLog = [&] {
            const QStringList lines = QString::fromLatin1(fileBytes(QDir(d.db).filePath("BesucherLog.log")))
                                          .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            return lines.isEmpty() ? QString() : lines.last();
        };
        QVERIFY2(lastLog().endsWith(QStringLiteral("Löschen -> 2 Besuche vom 21.10.2005 bis 21.10.2005 gelöscht")),
                 qPrintable(lastLog()));
        QVERIFY2(painted.texts.contains(QStringLiteral("Lösche 21.10.2005")), qPrintable(painted.texts.join(u',')));
        QVERIFY(painted.texts.contains(QStringLiteral("Datenbestand wird reorganisiert ...")));
        QCOMPARE(d.w<QLabel>("lbStatus")->text(), QString());
        QVERIFY(d.start()->isEnabled());
        QVERIFY(d.w<QPushButton>("btnSchliessen")->isEnabled());

        // Old finished visits: the pool stays as it is.
        d.messages.clear();
        d.range(QStringLiteral("01.01.2005"), QStringLiteral("20.10.2005"));
        QTest::mouseClick(d.start(), Qt::LeftButton);
        QCOMPARE(d.visits(), QStringList{"4"});
        QCOMPARE(d.badges(), QStringList{"9|09:00|22.10.2005"});
        QCOMPARE(d.messages.first().text, QStringLiteral("1 Datensätze im ausgewählten Zeitraum gelöscht."));
    }

    void nothingDeleted_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("messages");
        QTest::newRow("answered no") << "20.10.2005" << "22.10.2005" << false << 0;
        QTest::newRow("nothing in the range") << "01.01.2004" << "31.12.2004" << true << 1;
        QTest::newRow("von after bis") << "22.10.2005" << "20.10.2005" << true << 1;
    }
    void nothingDeleted()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, answer);
        QFETCH(int, messages);
        Dialog d;
        d.answer = answer;
        d.range(from, to);
        QTest::mouseClick(d.start(), Qt::LeftButton);
        QCOMPARE(d.visits(), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(d.messages.size(), messages);
        if (messages)
            QCOMPARE(d.messages.first().text, QStringLiteral("Keine Daten im ausgewählten Zeitraum vorhanden."));
        QVERIFY(d.start()->isEnabled());
        QVERIFY(d.w<QPushButton>("btnSchliessen")->isEnabled());
        QCOMPARE(d.w<QLabel>("lbStatus")->text(), QString());
    }

    void preRegistrations()
    {
        Dialog d;
        data::SqlEngine engine(d.db);
        for (const char *tag : {"21.10.2005", "23.10.2005"})
            engine.execute(QStringLiteral("Insert Into Voranmel.dbf (NR, Name, Tag) Values (1, 'Gast', ?)"),
                           {QString::fromLatin1(tag)});
        d.w<QRadioButton>("rdVoranmeldungen")->click();
        d.range(QStringLiteral("21.10.2005"), QStringLiteral("22.10.2005"));
        QTest::mouseClick(d.start(), Qt::LeftButton);
        QCOMPARE(d.questions.first().text,
                 QStringLiteral("Wollen Sie die Daten der Voranmeldungen vom 21.10.2005 bis 22.10.2005 wirklich "
                                "unwiderruflich löschen ?"));
        QCOMPARE(rows(d.db, QStringLiteral("Select Tag From Voranmel.dbf Where Tag >= '01.01.2005'")),
                 QStringList{"23.10.2005"});
        QCOMPARE(d.visits(), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(d.badges().size(), 2);
    }

    // Through the program: both windows from the menu of a user with the right.
    void fromTheMenu()
    {
        TestInstallation inst(1);
        ui::MessageBoxes::setHooks([](const ui::MessageRecord &) {}, [](const ui::MessageRecord &) { return false; });
        app::AppWindows windows(inst.startFolder(), systemClock());
        const shell::UserSlot user{QStringLiteral("anna"), QStringLiteral("pw"),
                                   shell::UserRights{shell::Right::Service}};
        windows.main->users().storeUserSlot(0, user);
        windows.main->session().setUser(shell::LoginUser::fromSlot(0, user));
        windows.main->applyRights();
        for (const char *menu : {"Dateneditieren1", "Datenlschen1"}) {
            QAction *action = windows.main->findChild<QAction *>(QString::fromLatin1(menu));
            QVERIFY(action);
            QWidget *opened = nullptr;
            QTimer::singleShot(0, windows.main, [&opened] {
                opened = QApplication::activeModalWidget();
                if (opened)
                    static_cast<QDialog *>(opened)->reject();
            });
            action->trigger();
            QVERIFY2(opened, menu);
            QCOMPARE(opened, menu == QByteArray("Dateneditieren1") ? static_cast<QWidget *>(windows.editieren)
                                                                   : static_cast<QWidget *>(windows.loeschen));
        }
        ui::MessageBoxes::setHooks({}, {});
    }
};

LOBRIX_TEST(TLoeschenTest)
#include "TLoeschenTest.moc"

// "Besuchsziele" through the real window, opened from the main window's menu.
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "app/AppWindows.h"
#include "common/Clock.h"
#include "common/ui/MessageBoxes.h"
#include "shell/Destinations.h"
#include "shell/ui/TBesuchsziele.h"
#include "shell/ui/TMain.h"
#include "shell/ui/TZielBearbeiten.h"

#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace lobrix;
using namespace lobrix::shell;

class TBesuchszieleTest : public QObject {
    Q_OBJECT

    struct Window {
        test::TestInstallation inst;
        FixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(8, 30))};
        app::AppWindows windows{inst.startFolder(), clock};
        TBesuchsziele &ziele = *windows.besuchsziele;
        QList<ui::MessageRecord> messages;
        QList<ui::MessageRecord> questions;
        bool answer = true;
        Window()
        {
            ui::MessageBoxes::setHooks([this](const ui::MessageRecord &m) { messages << m; },
                                       [this](const ui::MessageRecord &m) {
                                           questions << m;
                                           return answer;
                                       });
        }
        ~Window() { ui::MessageBoxes::setHooks({}, {}); }
        // Answers the edit dialog with `text` (none: cancel) once it shows.
        void answerEditor(const std::optional<QString> &text)
        {
            TZielBearbeiten *editor = ziele.editor();
            QTimer::singleShot(0, editor, [editor, text] {
                auto *field = editor->findChild<QLineEdit *>(QStringLiteral("edZiel"));
                auto *save = editor->findChild<QPushButton *>(QStringLiteral("btnSpeichern"));
                field->clear();
                const bool emptyRefused = !save->isEnabled();
                if (text)
                    field->setText(*text);
                if (text && !text->isEmpty() && emptyRefused)
                    save->click();
                else
                    editor->reject();
            });
        }
        void click(const char *name)
        {
            ziele.findChild<QPushButton *>(QString::fromLatin1(name))->click();
        }
        QStringList listed() const
        {
            QStringList out;
            auto *grid = ziele.findChild<QTableView *>(QStringLiteral("Grid"));
            for (int r = 0; r < grid->model()->rowCount(); ++r)
                out << grid->model()->index(r, 0).data().toString();
            return out;
        }
    };

private slots:
    void cleanup() { ui::MessageBoxes::setHooks({}, {}); }

    void openedFromTheMenu()
    {
        Window w;
        bool shown = false;
        QTimer::singleShot(0, &w.ziele, [&] {
            shown = w.ziele.isVisible();
            w.click("btnSchliessen");
        });
        w.windows.main->findChild<QAction *>(QStringLiteral("Besuchsziele1"))->trigger();
        QVERIFY(shown);
        QCOMPARE(w.ziele.windowTitle(), QStringLiteral("Besuchsziele"));
        QVERIFY(!w.ziele.isVisible());
    }

    void newEditDelete()
    {
        Window w;
        w.ziele.show();
        w.answerEditor(QStringLiteral("Werkstatt"));
        w.click("btnNeu");
        QCOMPARE(w.ziele.editor()->windowTitle(), QStringLiteral("Besuchsziel hinzufügen"));
        w.answerEditor(QStringLiteral("Werkstatt"));
        w.click("btnNeu");
        w.answerEditor(QStringLiteral("werkstatt"));
        w.click("btnNeu");
        w.answerEditor(std::nullopt);
        w.click("btnNeu");
        QCOMPARE(w.listed(), (QStringList{"Werkstatt", "werkstatt"}));
        QCOMPARE(w.messages.size(), 1);
        QCOMPARE(w.messages[0].text, Destinations::existsMessage());

        w.ziele.findChild<QTableView *>(QStringLiteral("Grid"))->selectRow(1);
        w.answerEditor(QStringLiteral("Werkstatt")); // renamed to an existing name: accepted
        w.click("btnBearbeiten");
        QCOMPARE(w.ziele.editor()->windowTitle(), QStringLiteral("Besuchsziel bearbeiten"));
        QCOMPARE(w.listed(), (QStringList{"Werkstatt", "Werkstatt"}));

        w.answer = false;
        w.click("btnLoeschen");
        QCOMPARE(w.questions.last().text, QStringLiteral("Wollen Sie den Eintrag 'Werkstatt' wirklich löschen?"));
        QCOMPARE(w.questions.last().caption, QStringLiteral("Achtung"));
        QCOMPARE(w.listed().size(), 2);
        w.answer = true;
        w.click("btnLoeschen");
        QCOMPARE(w.listed(), QStringList{"Werkstatt"});
    }

    // The editor saves only a text that is not empty (checked by answerEditor's guard).
    void emptyTextCannotBeSaved()
    {
        Window w;
        w.ziele.show();
        w.answerEditor(QString());
        w.click("btnNeu");
        QVERIFY(w.listed().isEmpty());
    }

    void importFromTheWindow()
    {
        Window w;
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("gut.txt"));
        const QString bad = dir.filePath(QStringLiteral("schlecht.txt"));
        QVERIFY(test::putFile(good, "Empfang\r\n\r\nLager\r\n"));
        QVERIFY(test::putFile(bad, "Halle\n\xe6\x97\xa5\n"));
        w.ziele.show();
        w.ziele.setFileChooser([&](QWidget *) { return good; });
        w.click("btnImport");
        QCOMPARE(w.listed(), (QStringList{"", "Empfang", "Lager"}));
        w.ziele.setFileChooser([&](QWidget *) { return bad; });
        w.click("btnImport");
        QCOMPARE(w.listed().size(), 3);
        QVERIFY(w.messages.last().text.contains(QStringLiteral("Zeile 2")));
    }

    // Another workstation renames the entry after the list was filled: editing and deleting
    // it are refused with a message, and the list is read anew.
    void changedMeanwhileByAnotherWorkstation()
    {
        Window w;
        Destinations(w.inst.databaseFolder()).add(QStringLiteral("Halle 1"));
        w.ziele.show();
        QCOMPARE(w.listed(), QStringList{"Halle 1"});
        QProcess other;
        other.start(QStringLiteral(LOBRIX_ADMIN_EXE),
                    {QStringLiteral("sql"), w.inst.databaseFolder(),
                     QStringLiteral("Update Ziele.dbf Set Name = 'Halle 9' Where Name = 'Halle 1'")});
        QVERIFY(other.waitForFinished(30000));
        QCOMPARE(other.exitCode(), 0);
        w.answerEditor(QStringLiteral("Halle 2"));
        w.click("btnBearbeiten");
        QCOMPARE(w.messages.last().text, Destinations::changedMessage(QStringLiteral("Halle 1")));
        QCOMPARE(w.listed(), QStringList{"Halle 9"});
        w.click("btnLoeschen"); // the list is current now: this one goes
        QVERIFY(w.listed().isEmpty());
    }
};

LOBRIX_TEST(TBesuchszieleTest)
#include "TBesuchszieleTest.moc"

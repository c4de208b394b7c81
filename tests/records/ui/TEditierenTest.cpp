// "Besucherdaten editieren" driven through its controls: the range and the list, the
// warning that blocks the buttons, saving with the badge carried along and the log lines
// word for word, what another workstation changed meanwhile, deleting, repair and the
// release of badges.
#include "../ReportFixtures.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/Clock.h"
#include "common/TextFile.h"
#include "common/ui/MessageBoxes.h"
#include "data/DbfTable.h"
#include "data/SqlEngine.h"
#include "data/SqlResultModel.h"
#include "data/TableScan.h"
#include "records/ui/TEditieren.h"
#include "registration/ui/TKalender.h"
#include "shell/EventLog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace lobrix;
using namespace lobrix::records;
using namespace lobrix::test;

namespace {

void setBadge(const QString &db, int number, const QString &kommt, const QString &tag)
{
    data::SqlEngine(db).execute(QStringLiteral("Update Ausweis.dbf Set Kommt = ?, Tag = ? Where Ausweis = ?"),
                                {kommt, tag, number});
}

QString badge(const QString &db, int number)
{
    return rows(db, QStringLiteral("Select Kommt, Tag From Ausweis.dbf Where Ausweis = %1").arg(number)).value(0);
}

} // namespace

class TEditierenTest : public QObject {
    Q_OBJECT

    struct Window {
        TestInstallation inst{10};
        QString db = inst.databaseFolder();
        FixedClock clock{QDateTime(QDate(2005, 10, 22), QTime(8, 30))};
        shell::EventLog log{db, [] { return QStringLiteral("pruefer"); }, clock};
        registration::TKalender calendar{clock};
        std::unique_ptr<TEditieren> dialog;
        QList<ui::MessageRecord> messages;
        QList<ui::MessageRecord> questions;
        bool answer = true;

        Window()
        {
            addVisits(db, {{1, "3", "Zander", "Eva", "Acme", "21.10.2005", "08:00", "09:00", "1:00"},
                           {2, "5", "Albers", "Jan", "Bau", "22.10.2005", "07:30", "", ""},
                           {3, "7", "O'Brien", "Pat", "Acme", "22.10.2005", "22:00", "00:30", "2:30"},
                           {4, "", "Ohne", "Nummer", "", "22.10.2005", "06:00", "07:00", "1:00"},
                           {5, "9", "Alt", "Otto", "", "20.10.2005", "10:00", "11:00", "1:00"}});
            setBadge(db, 3, QStringLiteral("08:00"), QStringLiteral("21.10.2005")); // left out by a finished visit
            setBadge(db, 5, QStringLiteral("07:30"), QStringLiteral("22.10.2005"));
            setBadge(db, 8, QStringLiteral("10:00"), QStringLiteral("19.10.2005")); // no visit holds it
            ui::MessageBoxes::setHooks([this](const ui::MessageRecord &m) { messages << m; },
                                       [this](const ui::MessageRecord &m) {
                                           questions << m;
                                           return answer;
                                       });
            dialog = std::make_unique<TEditieren>(db, log, &calendar, clock);
            dialog->show();
            endWarning();
        }
        ~Window() { ui::MessageBoxes::setHooks({}, {}); }

        template <typename W = QWidget> W *w(const char *name) const
        {
            W *found = dialog->findChild<W *>(QString::fromLatin1(name));
            if (!found)
                qFatal("no control %s", name);
            return found;
        }
        QLineEdit *edit(const char *name) const { return w<QLineEdit>(name); }
        void endWarning()
        {
            for (int i = 0; i <= TEditieren::WarningTicks; ++i)
                dialog->TimerTimer();
        }
        int rowOf(int vorgang) const
        {
            data::SqlResultModel *m = dialog->listModel();
            const int c = m->columnIndex(QStringLiteral("Vorgang"));
            for (int r = 0; r < m->rowCount(); ++r)
                if (m->text(r, c).trimmed() == QString::number(vorgang))
                    return r;
            return -1;
        }
        int currentVorgang() const
        {
            data::SqlResultModel *m = dialog->listModel();
            return m->text(dialog->currentRow(), m->columnIndex(QStringLiteral("Vorgang"))).trimmed().toInt();
        }
        void select(int vorgang)
        {
            const int row = rowOf(vorgang);
            QVERIFY2(row >= 0, qPrintable(QString::number(vorgang)));
            QTableView *grid = w<QTableView>("DBGrid");
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(dialog->listModel()->index(row, 1)).center());
            QCOMPARE(currentVorgang(), vorgang);
        }
        void type(const char *field, const QString &text)
        {
            QLineEdit *e = edit(field);
            if (e->isReadOnly()) { // the day fields come from the calendar
                e->setText(text);
                return;
            }
            e->selectAll();
            if (text.isEmpty())
                QTest::keyClick(e, Qt::Key_Delete);
            for (const QChar c : text) {
                if (c.unicode() < 128)
                    QTest::keyClick(e, c.toLatin1());
                else // a letter without a key of its own, as a keyboard layout sends it
                    QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), {});
            }
        }
        void save() { QTest::mouseClick(w<QPushButton>("btnSpeichern"), Qt::LeftButton); }
        QString visit(int vorgang, const QString &columns = QStringLiteral("Name, Kommt, Geht, Tag, Anwesend")) const
        {
            return rows(db, QStringLiteral("Select %1 From Besucher.dbf Where Vorgang = '%2'").arg(columns).arg(vorgang))
                .value(0);
        }
        QStringList logLines(int last) const
        {
            QStringList lines = TextFile::readLines(log.path());
            QStringList events;
            for (const QString &l : lines.mid(std::max<qsizetype>(0, lines.size() - last)))
                events << l.mid(l.indexOf(QStringLiteral("--> ")) + 4);
            return events;
        }
        int logSize() const { return int(TextFile::readLines(log.path()).size()); }
    };

private slots:
    // Yesterday to today at start, every field of the range listed, the search list from
    // the column titles, and the current visit's fields with its end day.
    void listAndCurrentVisit()
    {
        Window win;
        QCOMPARE(win.edit("edDatumVon")->text(), QStringLiteral("21.10.2005"));
        QCOMPARE(win.edit("edDatumBis")->text(), QStringLiteral("22.10.2005"));
        QVERIFY(win.edit("edDatumVon")->isReadOnly());
        data::SqlResultModel *m = win.dialog->listModel();
        QCOMPARE(m->rowCount(), 4);
        QCOMPARE(win.rowOf(5), -1);
        auto *search = win.w<QComboBox>("cbxSuche");
        QCOMPARE(search->count(), m->columnCount() - 1); // every field, not the hidden record number
        QCOMPARE(search->itemText(0).toLower(), QStringLiteral("vorgang"));
        QCOMPARE(search->currentIndex(), 0);
        QVERIFY(m->columnIndex(QStringLiteral("Bemerkung")) >= 0);

        win.select(3);
        QCOMPARE(win.edit("edName")->text(), QStringLiteral("O'Brien"));
        QCOMPARE(win.edit("edBeginn")->text(), QStringLiteral("22:00"));
        QCOMPARE(win.edit("edEnde")->text(), QStringLiteral("00:30"));
        QCOMPARE(win.edit("edDatum")->text(), QStringLiteral("22.10.2005"));
        QCOMPARE(win.edit("edDauer")->text(), QStringLiteral("23.10.2005"));
        win.select(2);
        QCOMPARE(win.edit("edDauer")->text(), QString());
        QVERIFY(!win.w<QCheckBox>("chkQuittung")->isChecked());

        // Quick search by the column chosen.
        search->setCurrentIndex(search->findText(QStringLiteral("Name"), Qt::MatchFixedString));
        QTest::keyClicks(win.edit("edSuche"), QStringLiteral("zan"));
        QCOMPARE(win.currentVorgang(), 1);

        // Every input has a name a screen reader can say.
        for (QWidget *input : win.dialog->findChildren<QLineEdit *>())
            QVERIFY2(!input->accessibleName().isEmpty(), qPrintable(input->objectName()));
    }

    // The calendar buttons set the range and list again; the range stays for the next
    // opening.
    void rangeFromTheCalendar()
    {
        Window win;
        QTimer::singleShot(0, &win.calendar, [&win] {
            for (int i = 0; i < 42; ++i) {
                auto *cell = win.calendar.findChild<QLabel *>(QStringLiteral("lbTag%1").arg(i));
                if (cell && !cell->isHidden() && cell->text() == u"20") {
                    QTest::mouseDClick(cell, Qt::LeftButton);
                    return;
                }
            }
            win.calendar.reject();
        });
        QTest::mouseClick(win.w<QToolButton>("btnKalender1"), Qt::LeftButton);
        QCOMPARE(win.edit("edDatumVon")->text(), QStringLiteral("20.10.2005"));
        QCOMPARE(win.dialog->listModel()->rowCount(), 5);
        win.dialog->hide();
        win.dialog->show();
        QCOMPARE(win.edit("edDatumVon")->text(), QStringLiteral("20.10.2005"));
        QCOMPARE(win.dialog->listModel()->rowCount(), 5);
    }

    // About four seconds of warning on every showing, the five buttons disabled meanwhile.
    void warningOnEveryShowing()
    {
        Window win;
        win.dialog->hide();
        win.dialog->show();
        auto *panel = win.w<QLabel>("pnHinweis");
        const QList<QPushButton *> buttons{win.w<QPushButton>("btnSpeichern"), win.w<QPushButton>("btnLoeschen"),
                                           win.w<QPushButton>("btnRepair"), win.w<QPushButton>("NummernFreigeben"),
                                           win.w<QPushButton>("btnSchliessen")};
        QVERIFY(panel->isVisible());
        QVERIFY(win.dialog->findChild<QTimer *>(QStringLiteral("Timer"))->isActive());
        for (int tick = 1; tick <= TEditieren::WarningTicks; ++tick) {
            win.dialog->TimerTimer();
            QCOMPARE(panel->palette().color(QPalette::WindowText), tick % 2 ? QColor(Qt::red) : QColor(Qt::black));
            for (QPushButton *b : buttons)
                QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        }
        QVERIFY(panel->isVisible());
        win.dialog->TimerTimer();
        QVERIFY(!panel->isVisible());
        QVERIFY(!win.dialog->findChild<QTimer *>(QStringLiteral("Timer"))->isActive());
        for (QPushButton *b : buttons)
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        // The real timer ends it too.
        win.dialog->hide();
        win.dialog->show();
        QVERIFY(!buttons.first()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(buttons.first()->isEnabled(), 8000);
        QVERIFY(!panel->isVisible());
    }

    void save_data()
    {
        QTest::addColumn<int>("vorgang");
        QTest::addColumn<QStringList>("edits"); // field=text
        QTest::addColumn<QString>("stored");    // Name|Kommt|Geht|Tag|Anwesend
        QTest::addColumn<int>("badgeNumber");
        QTest::addColumn<QString>("badgeAfter"); // Kommt|Tag
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("stays"); // badge, day and arrival unchanged: the list stays at the visit

        QTest::newRow("name of a finished visit")
            << 1 << QStringList{"edName=Zander-Ost", "edBeginn=08:15"}
            << "Zander-Ost|08:15|09:00|21.10.2005|0:45" << 3 << "25:00|"
            << QStringList{"Editieren -> Datensatz in Besuchertabelle Vorgang-Nr.1 geändert.",
                           "Editieren -> Ausweis 3 in Ausweistabelle frei gegeben: Kommt 25:00"} << false;
        QTest::newRow("end cleared: present again, the free badge taken")
            << 3 << QStringList{"edEnde="} << "O'Brien|22:00||22.10.2005|" << 7 << "22:00|22.10.2005"
            << QStringList{"Editieren -> Datensatz in Besuchertabelle Vorgang-Nr.3 geändert.",
                           "Editieren -> Ausweis 7 in Ausweistabelle belegt: Kommt 22:00"} << true;
        QTest::newRow("begin of a present visitor: the held badge stays")
            << 2 << QStringList{"edBeginn=07:45"} << "Albers|07:45||22.10.2005|" << 5 << "07:30|22.10.2005"
            << QStringList{"Editieren -> Datensatz in Besuchertabelle Vorgang-Nr.2 geändert.",
                           "Editieren -> Ausweis 5 in Ausweistabelle belegt: Kommt 07:45"} << false;
        QTest::newRow("over midnight, the badge returned")
            << 2 << QStringList{"edBeginn=22:00", "edEnde=00:30", "edDauer=23.10.2005"}
            << "Albers|22:00|00:30|22.10.2005|2:30" << 5 << "25:00|"
            << QStringList{"Editieren -> Datensatz in Besuchertabelle Vorgang-Nr.2 geändert.",
                           "Editieren -> Ausweis 5 in Ausweistabelle frei gegeben: Kommt 25:00"} << false;
        QTest::newRow("negative duration") << 3 << QStringList{"edEnde=21:45", "edDauer=22.10.2005"}
                                           << "O'Brien|22:00|21:45|22.10.2005|-0:15" << 7 << "25:00|"
                                           << QStringList{"Editieren -> Datensatz in Besuchertabelle Vorgang-Nr.3 "
                                                          "geändert.",
                                                          "Editieren -> Ausweis 7 in Ausweistabelle frei gegeben: "
                                                          "Kommt 25:00"} << true;
        QTest::newRow("an apostrophe, another day")
            << 3 << QStringList{"edName=D'Arcy", "edDatum=21.10.2005", "edDauer=22.10.2005"}
            << "D'Arcy|22:00|00:30|21.10.2005|2:30" << 7 << "25:00|"
            << QStringList{"Editieren -> Datensatz in Besuchertabelle Vorgang-Nr.3 geändert.",
                           "Editieren -> Ausweis 7 in Ausweistabelle frei gegeben: Kommt 25:00"} << false;
    }
    void save()
    {
        QFETCH(int, vorgang);
        QFETCH(QStringList, edits);
        QFETCH(QString, stored);
        QFETCH(int, badgeNumber);
        QFETCH(QString, badgeAfter);
        QFETCH(QStringList, log);
        QFETCH(bool, stays);
        Window win;
        win.select(vorgang);
        for (const QString &e : edits) {
            const QStringList parts = e.split(u'=');
            win.type(parts[0].toLatin1().constData(), parts[1]);
        }
        const int before = win.logSize();
        win.save();
        QCOMPARE(win.messages.size(), 0);
        QCOMPARE(win.visit(vorgang), stored);
        QCOMPARE(badge(win.db, badgeNumber), badgeAfter);
        QCOMPARE(win.logSize(), before + 2);
        QCOMPARE(win.logLines(2), log);
        // The list again, at the saved visit, or at the first row when its arrival changed.
        if (stays)
            QCOMPARE(win.currentVorgang(), vorgang);
        else
            QCOMPARE(win.dialog->currentRow(), 0);
    }

    // A value that cannot be stored, or a time that is none: a message, nothing written.
    void refusedSave_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("letter outside the code page")
            << "edName" << QStringLiteral("Zandeř") << "Das Zeichen 'ř' im Feld 'Name' kann in der Datenbank nicht";
        QTest::newRow("no time") << "edBeginn" << "8 Uhr" << "'8 Uhr' im Feld 'Besuchsbeginn' ist keine gültige Uhrzeit";
        QTest::newRow("end without its day") << "edDauer" << "" << "Datum des Besuchsendes";
    }
    void refusedSave()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Window win;
        win.select(1);
        const QString before = win.visit(1);
        const int logBefore = win.logSize();
        win.type(field.toLatin1().constData(), text);
        win.save();
        QCOMPARE(win.messages.size(), 1);
        QVERIFY2(win.messages.first().text.contains(message), qPrintable(win.messages.first().text));
        QCOMPARE(win.visit(1), before);
        QCOMPARE(win.logSize(), logBefore);
        QCOMPARE(badge(win.db, 3), QStringLiteral("08:00|21.10.2005"));
        QCOMPARE(win.edit(field.toLatin1().constData())->text(), text); // the typing stays
    }

    // Another workstation changed or deleted the visit since the list was read: nothing is
    // written, the clerk is told, the list shows what is stored now.
    void changedElsewhere_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("after");
        QTest::newRow("changed") << "Update Besucher.dbf Set Firma = 'Neu' Where Vorgang = '1'"
                                 << "Zander|08:00|09:00|21.10.2005|1:00";
        QTest::newRow("departure saved") << "Update Besucher.dbf Set Geht = '10:00', Anwesend = '2:00' Where Vorgang = '1'"
                                         << "Zander|08:00|10:00|21.10.2005|2:00";
        QTest::newRow("deleted") << "Delete From Besucher.dbf Where Vorgang = '1'" << "";
    }
    void changedElsewhere()
    {
        QFETCH(QString, statement);
        QFETCH(QString, after);
        Window win;
        win.select(1);
        win.type("edName", QStringLiteral("Meins"));
        data::SqlEngine(win.db).execute(statement);
        const int logBefore = win.logSize();
        win.save();
        QCOMPARE(win.visit(1), after);
        QCOMPARE(win.logSize(), logBefore);
        QCOMPARE(win.messages.size(), 1);
        QVERIFY2(win.messages.first().text.contains(QStringLiteral("Vorgang-Nr. 1 wurde inzwischen")),
                 qPrintable(win.messages.first().text));
        QCOMPARE(win.dialog->listModel()->rowCount(), after.isEmpty() ? 3 : 4);
    }

    // Delete with its question; the badge of a present visitor goes back; the log lines
    // with their tab; the file packed.
    void deleteVisit()
    {
        Window win;
        win.select(2);
        win.answer = false;
        QTest::mouseClick(win.w<QPushButton>("btnLoeschen"), Qt::LeftButton);
        QCOMPARE(win.questions.size(), 1);
        QCOMPARE(win.questions.first().text,
                 QStringLiteral("Wollen Sie den ausgewählten Datensatz wirklich unwiderruflich löschen?"));
        QCOMPARE(win.questions.first().caption, QStringLiteral("Achtung"));
        QCOMPARE(win.questions.first().icon, QMessageBox::Critical);
        QCOMPARE(win.visit(2, QStringLiteral("Name")), QStringLiteral("Albers"));

        win.answer = true;
        QTest::mouseClick(win.w<QPushButton>("btnLoeschen"), Qt::LeftButton);
        QCOMPARE(win.visit(2), QString());
        QCOMPARE(badge(win.db, 5), QStringLiteral("25:00|"));
        QCOMPARE(win.logLines(2),
                 (QStringList{"Editieren -> Löschen eines Datensatzes Ausweis 5 in Besuchertabelle\tVorgang 2",
                              "Editieren -> Löschen eines Datensatzes und Ausweis 5 in Ausweistabelle frei gegeben: "
                              "Kommt 25:00"}));
        QCOMPARE(data::DbfTable::open(data::DbfTable::resolve(win.db, QStringLiteral("Besucher.dbf")))->recordCount(), 4);
        QCOMPARE(win.dialog->listModel()->rowCount(), 3);
        QVERIFY(win.messages.isEmpty());

        // A finished visit: its badge is no longer its own, one log line.
        win.select(3);
        setBadge(win.db, 7, QStringLiteral("09:00"), QStringLiteral("22.10.2005"));
        const int before = win.logSize();
        QTest::mouseClick(win.w<QPushButton>("btnLoeschen"), Qt::LeftButton);
        QCOMPARE(win.logSize(), before + 1);
        QCOMPARE(badge(win.db, 7), QStringLiteral("09:00|22.10.2005"));
    }

    // Two visits without a badge at the same day and time: the one selected is deleted.
    void deleteTheSelectedOfTwoAlike()
    {
        Window win;
        addVisits(win.db, {{6, "", "Zweiter", "", "", "22.10.2005", "06:00", "07:00", "1:00"}});
        win.dialog->Relist();
        win.select(6);
        QTest::mouseClick(win.w<QPushButton>("btnLoeschen"), Qt::LeftButton);
        QCOMPARE(win.visit(6), QString());
        QCOMPARE(win.visit(4, QStringLiteral("Name")), QStringLiteral("Ohne"));
    }

    // Another workstation holds the table: the visit is deleted all the same, the clerk
    // is told that the file is compacted later, the buttons work on.
    void deleteWhileTheTableIsHeld()
    {
        Window win;
        QProcess holder;
        holder.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_worker")),
                     {QStringLiteral("hold"), win.inst.startFolder(), QStringLiteral("Besucher.dbf")});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(30000));
        win.select(2);
        QTest::mouseClick(win.w<QPushButton>("btnLoeschen"), Qt::LeftButton);
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(30000));
        QCOMPARE(win.visit(2), QString());
        QCOMPARE(badge(win.db, 5), QStringLiteral("25:00|"));
        QCOMPARE(win.messages.size(), 1);
        QVERIFY2(win.messages.first().text.contains(QStringLiteral("beim nächsten Löschen verdichtet")),
                 qPrintable(win.messages.first().text));
        QCOMPARE(win.dialog->listModel()->rowCount(), 3);
        QVERIFY(win.w<QPushButton>("btnSpeichern")->isEnabled());
    }

    void repair()
    {
        Window win;
        win.answer = false;
        QTest::mouseClick(win.w<QPushButton>("btnRepair"), Qt::LeftButton);
        QCOMPARE(win.questions.size(), 1);
        QCOMPARE(win.questions.first().text,
                 QStringLiteral("Achtung!\nDiese Funktion entfernt Datensätze ohne gültige Ausweisnummer.\nSie ist nur "
                                "nach Rücksprache mit Talvo GmbH durchzuführen!\n\nWollen Sie fortfahren?"));
        QCOMPARE(win.visit(4, QStringLiteral("Name")), QStringLiteral("Ohne"));
        win.answer = true;
        for (int expected : {1, 0}) {
            win.messages.clear();
            QTest::mouseClick(win.w<QPushButton>("btnRepair"), Qt::LeftButton);
            QCOMPARE(win.messages.size(), 1);
            QCOMPARE(win.messages.first().text,
                     QStringLiteral("Reparatur fertig. Es wurden %1 ungültige Datensätze gelöscht.").arg(expected));
            QCOMPARE(win.logLines(1),
                     QStringList{QStringLiteral("Editieren -> %1 ungültige Datensätze in Besuchertabelle gelöscht.")
                                     .arg(expected)});
        }
        QCOMPARE(win.visit(4), QString());
        QCOMPARE(rows(win.db, QStringLiteral("Select count(*) From Besucher.dbf")), QStringList{"4"});
        QCOMPARE(win.dialog->listModel()->rowCount(), 3);
    }

    // Badges out without a present visitor go back; a held one stays; a second run frees 0.
    void releaseBadges()
    {
        Window win;
        win.answer = false;
        QTest::mouseClick(win.w<QPushButton>("NummernFreigeben"), Qt::LeftButton);
        QCOMPARE(win.questions.first().text,
                 QStringLiteral("Achtung!\nDiese Funktion gibt alle abwesenden Ausweisnummern wieder frei.\nSie ist "
                                "nur nach Rücksprache mit Talvo GmbH durchzuführen!\n\nWollen Sie fortfahren?"));
        QCOMPARE(badge(win.db, 8), QStringLiteral("10:00|19.10.2005"));
        win.answer = true;
        for (int expected : {2, 0}) {
            win.messages.clear();
            QTest::mouseClick(win.w<QPushButton>("NummernFreigeben"), Qt::LeftButton);
            QCOMPARE(win.messages.size(), 1);
            QCOMPARE(win.messages.first().text,
                     QStringLiteral("Freigabe fertig. Es wurde(n) %1 Ausweis(e) freigegeben.").arg(expected));
            QCOMPARE(win.logLines(1),
                     QStringList{QStringLiteral("Editieren -> %1 Ausweise in Ausweistabelle frei gegeben: Kommt 25:00")
                                     .arg(expected)});
        }
        QCOMPARE(badge(win.db, 3), QStringLiteral("25:00|"));
        QCOMPARE(badge(win.db, 8), QStringLiteral("25:00|"));
        QCOMPARE(badge(win.db, 5), QStringLiteral("07:30|22.10.2005"));
    }
};

LOBRIX_TEST(TEditierenTest)
#include "TEditierenTest.moc"

// "Berichte" driven through its controls on an installation with visits: the list, a run
// with its grid, search, new / edit / rename / delete, printing to PDF, export, rights.
#include "../ReportFixtures.h"
#include "PdfProbe.h"
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "app/AppWindows.h"
#include "common/Clock.h"
#include "common/ui/MessageBoxes.h"
#include "layouts/ui/PrintConfirmation.h"
#include "records/ReportFolder.h"
#include "records/ReportGridModel.h"
#include "records/ui/ReportPrinter.h"
#include "records/ui/TBerichtErstellen.h"
#include "records/ui/TBerichte.h"
#include "shell/EventLog.h"
#include "registration/ui/TKalender.h"
#include "shell/LoginUser.h"
#include "shell/Session.h"
#include "shell/UsersFile.h"
#include "shell/ui/TMain.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace lobrix;
using namespace lobrix::records;
using namespace lobrix::test;

namespace {

bool portrait(const QString &pdf)
{
    const QSizeF size = pdfPageSize(pdf);
    return size.height() > size.width();
}

} // namespace

class TBerichteTest : public QObject {
    Q_OBJECT

    struct Window {
        TestInstallation inst{10};
        QString lists = QDir(inst.databaseFolder()).filePath(QStringLiteral("Listen"));
        FixedClock clock{QDateTime(QDate(2005, 10, 22), QTime(8, 30))};
        registration::TKalender calendar{clock};
        shell::EventLog log{inst.databaseFolder(), [] { return QStringLiteral("pruefer"); }, clock};
        TBerichtErstellen builder{&calendar};
        std::unique_ptr<TBerichte> reports;
        QList<ui::MessageRecord> messages;
        QList<ui::MessageRecord> questions;
        bool answer = true;

        explicit Window(bool checkWidth = true)
        {
            addVisits(inst.databaseFolder(),
                      {{1, "3", "Zander", "Eva", "Acme", "21.10.2005", "08:00", "09:00", "1:00"},
                       {2, "5", "Albers", "Jan", "Bau; Co", "22.10.2005", "22:00", "00:30", "02:30", "ja"},
                       {3, "7", "O'Brien", "Pat", "Acme", "22.10.2005", "07:30", "", ""},
                       {4, "9", "Müller", "Jürgen", "Öhringen GmbH & Co. KG Niederlassung", "22.10.2005",
                        "06:00", "07:00", "1:00"}});
            ui::MessageBoxes::setHooks([this](const ui::MessageRecord &m) { messages << m; },
                                       [this](const ui::MessageRecord &m) {
                                           questions << m;
                                           return answer;
                                       });
            reports = std::make_unique<TBerichte>(
                TBerichte::Options{lists, inst.databaseFolder(), checkWidth, false, &log}, &builder);
            reports->setCurrentDateTime(QStringLiteral("22.10.2005"), QStringLiteral("08:30"));
            reports->showMaintenance();
            reports->show();
            reports->activateWindow();
            // Focus changes (which save the column widths) need an active window.
            if (!QTest::qWaitForWindowActive(reports.get()))
                qWarning("the reports window did not become active");
        }
        ~Window()
        {
            ui::MessageBoxes::setHooks({}, {});
            layouts::PrintConfirmation::setHook({});
        }
        template <typename W = QWidget> W *w(const char *name) const
        {
            return reports->findChild<W *>(QString::fromLatin1(name));
        }
        QTableView *grid() const { return w<QTableView>("Grid"); }
        void run(const QString &name)
        {
            auto *list = w<QListWidget>("ListBox");
            const auto items = list->findItems(ReportFolder::entryText(name), Qt::MatchExactly);
            QVERIFY2(!items.isEmpty(), qPrintable(name));
            const QRect r = list->visualItemRect(items.first());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        }
        QStringList titles() const
        {
            QStringList t;
            for (int c = 0; c < grid()->model()->columnCount(); ++c)
                t << grid()->model()->headerData(c, Qt::Horizontal).toString();
            return t;
        }
        int column(const QString &title) const { return int(titles().indexOf(title)); }
        QString cell(int row, const QString &title) const
        {
            return grid()->model()->index(row, column(title)).data().toString();
        }
        // The builder answers once it is shown.
        void answerBuilder(const std::function<void()> &fill)
        {
            QTimer::singleShot(0, &builder, [this, fill] {
                fill();
                builder.findChild<QPushButton *>(QStringLiteral("btnSpeichern"))->click();
            });
        }
        void write(const QString &file, const QByteArray &bytes) const
        {
            QVERIFY(putFile(QDir(lists).filePath(file), bytes));
        }
    };

private slots:
    void listAndRun()
    {
        Window w;
        QCOMPARE(w.reports->entries(), (QStringList{"-- Anwesende Besucher", "-- Besucher gestern", "-- Besucher heute"}));
        QVERIFY(!w.grid()->isVisible());
        QVERIFY(w.w("lbKeinBericht")->isVisible());
        QVERIFY(!w.w("btnDrucken")->isEnabled());
        w.run(QStringLiteral("Besucher heute"));
        QVERIFY(w.grid()->isVisible());
        QVERIFY(w.w("btnDrucken")->isEnabled());
        QCOMPARE(w.titles(), (QStringList{"Vorgang", "Ausw", "Name", "Firma", "Ziel", "Tag", "Beginn", "Ende", "Dauer"}));
        QCOMPARE(w.grid()->model()->rowCount(), 3);
        auto *search = w.w<QComboBox>("cbxSuche");
        QCOMPARE(search->count(), 9);
        QCOMPARE(search->currentText(), QStringLiteral("Vorgang"));
        QCOMPARE(w.reports->queryLines().at(2), QStringLiteral("WHERE Tag = '22.10.2005'"));
        // The cells as the report rules show them: past midnight, still present.
        QCOMPARE(w.cell(2, QStringLiteral("Name")), QStringLiteral("Albers, Jan"));
        QCOMPARE(w.cell(2, QStringLiteral("Dauer")), QStringLiteral("bis 23.10.2005"));
        QCOMPARE(w.cell(1, QStringLiteral("Dauer")), QString());
        QCOMPARE(w.cell(0, QStringLiteral("Dauer")), QStringLiteral("1:00"));
        QCOMPARE(w.grid()->horizontalHeader()->font().bold(), true);
        QCOMPARE(w.grid()->font().family(), QStringLiteral("Arial"));
    }

    // The title table's widths, the measured ones, and the column file over all of them;
    // the widths are written back when the grid loses the focus.
    void columnWidths()
    {
        Window w;
        w.run(QStringLiteral("Besucher heute"));
        auto *grid = w.grid();
        QCOMPARE(grid->columnWidth(w.column(QStringLiteral("Ausw"))), 40);
        QCOMPARE(grid->columnWidth(w.column(QStringLiteral("Tag"))), 70);
        QCOMPARE(grid->columnWidth(w.column(QStringLiteral("Name"))), 150);
        // Renamed by the table ("ZIEL" -> "Ziel"): not measured, the candidate width.
        QCOMPARE(grid->columnWidth(w.column(QStringLiteral("Ziel"))), 80);
        const QFontMetrics fm(grid->font());
        QCOMPARE(grid->columnWidth(w.column(QStringLiteral("Firma"))), 160);
        QCOMPARE(grid->columnWidth(0), 80); // "VORGANG" -> "Vorgang": not measured either

        w.w<QLineEdit>("edSuche")->setFocus(); // the grid loses the focus
        const QByteArray saved = fileBytes(QDir(w.lists).filePath(QStringLiteral("Besucher heute.col")));
        QVERIFY(saved.startsWith("80\r\n40\r\n150\r\n160\r\n80\r\n70\r\n50\r\n50\r\n80\r\nVORGANG\r\nAUSW\r\nNAME\r\n"));

        w.write(QStringLiteral("Besucher heute.col"), "33\r\n12\r\nbreit\r\n");
        w.reports->RunSelected(); // (a click on the list would save the grid's widths first)
        QCOMPARE(grid->columnWidth(0), 33);
        QCOMPARE(grid->columnWidth(1), 12);  // over the fixed 40 of "Ausw"
        QCOMPARE(grid->columnWidth(2), 150); // not a number: the computed width
    }

    // A long value widens its column when the title table leaves the column as delivered.
    void measuredWidth()
    {
        Window w;
        w.write(QStringLiteral("Firmen.sql"), "Select Firma AS Betrieb From Besucher.dbf\r\n");
        w.reports->BuildList();
        w.run(QStringLiteral("Firmen"));
        const QFontMetrics fm(w.grid()->font());
        QCOMPARE(w.grid()->columnWidth(0),
                 fm.horizontalAdvance(QStringLiteral("Öhringen GmbH & Co. KG Niederlassung")) + 5);
    }

    // Light blue even records, white odd ones, the selection lime green while the grid
    // has no focus.
    void cellColours()
    {
        Window w;
        w.run(QStringLiteral("Besucher heute"));
        auto *grid = w.grid();
        grid->selectRow(2);
        w.w<QLineEdit>("edSuche")->setFocus();
        QTRY_VERIFY(!grid->hasFocus());
        const QImage image = grid->viewport()->grab().toImage();
        const auto ground = [&](int row) {
            const QRect cell = grid->visualRect(grid->model()->index(row, 4)); // "Ziel": empty cells
            return image.pixelColor(cell.center() * image.devicePixelRatio());
        };
        QCOMPARE(ground(1), QColor(215, 235, 255)); // record 2
        QCOMPARE(ground(0), QColor(Qt::white));      // record 1
        QCOMPARE(ground(2), QColor(0, 255, 0));      // selected, no focus
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        const QImage focused = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(grid->model()->index(2, 4));
        QCOMPARE(focused.pixelColor(cell.center()), grid->palette().highlight().color());
    }

    void search()
    {
        Window w;
        w.run(QStringLiteral("Besucher heute"));
        auto *box = w.w<QComboBox>("cbxSuche");
        box->setCurrentIndex(box->findText(QStringLiteral("Name")));
        emit box->activated(box->currentIndex());
        QTest::keyClicks(w.w("edSuche"), QStringLiteral("o'b"));
        QCOMPARE(w.grid()->currentIndex().row(), 1);
        QTest::keyClicks(w.w("edSuche"), QStringLiteral("x")); // no match: the row stays
        QCOMPARE(w.grid()->currentIndex().row(), 1);
        QVERIFY(w.messages.isEmpty());
    }

    void refusedStatement()
    {
        Window w;
        w.write(QStringLiteral("Kaputt.sql"), "Select Unsinn From Besucher.dbf\r\n");
        w.write(QStringLiteral("Schreiben.sql"), "Delete From Besucher.dbf\r\n");
        w.reports->BuildList();
        for (const char *name : {"Kaputt", "Schreiben"}) {
            w.messages.clear();
            w.run(QString::fromLatin1(name));
            QCOMPARE(w.messages.size(), 1);
            QCOMPARE(w.messages[0].text, QStringLiteral("Ein Fehler beim Ausführen der SQL-Anweisung ist "
                                                         "aufgetreten. Bitte wenden Sie sich an den Administrator."));
            QVERIFY(w.grid()->isVisible());
            QVERIFY(w.w("btnDrucken")->isEnabled());
            QCOMPARE(w.w<QComboBox>("cbxSuche")->count(), 0);
        }
    }

    // A new report of a taken name gets " [n]" and is the one selected and run.
    void newReport()
    {
        Window w;
        w.write(QStringLiteral("Monatsliste.sql"), "Select Vorgang From Besucher.dbf\r\n");
        w.write(QStringLiteral("Monatsliste [1].sql"), "Select Vorgang From Besucher.dbf\r\n");
        w.reports->BuildList();
        w.answerBuilder([&] {
            auto *name = w.builder.findChild<QLineEdit *>(QStringLiteral("edName"));
            name->setText(QStringLiteral("Monatsliste"));
        });
        QTest::mouseClick(w.w<QPushButton>("btnNeu"), Qt::LeftButton);
        QCOMPARE(w.reports->selectedName(), QStringLiteral("Monatsliste [2]"));
        QCOMPARE(w.titles(), QStringList{"Vorgang"});
        QCOMPARE(fileBytes(QDir(w.lists).filePath(QStringLiteral("Monatsliste [2].sql"))),
                 QByteArray("Select Vorgang\r\nFrom Besucher.dbf\r\n\r\n\r\n"));
        QCOMPARE(ReportFolder(w.lists).readState(QStringLiteral("Monatsliste [2]")).size(), 40);

        // A name that is no file name: refused, nothing written.
        w.answerBuilder([&] {
            w.builder.findChild<QLineEdit *>(QStringLiteral("edName"))->setText(QStringLiteral("../außen"));
        });
        QTest::mouseClick(w.w<QPushButton>("btnNeu"), Qt::LeftButton);
        QCOMPARE(w.messages.size(), 1);
        QVERIFY(w.messages[0].text.contains(QStringLiteral("Dateiname")));
        QCOMPARE(ReportFolder(w.lists).names().size(), 6);
    }

    void editReport()
    {
        Window w;
        w.run(QStringLiteral("Besucher heute"));
        w.grid()->setColumnWidth(0, 99); // widened by the user, saved as the builder takes the focus
        w.answerBuilder([&] {
            auto *field = w.builder.findChild<QComboBox *>(QStringLiteral("cbxFeld1"));
            QCOMPARE(field->currentIndex(), 0);
            QVERIFY(!w.builder.findChild<QLineEdit *>(QStringLiteral("edName"))->isEnabled());
            auto *date = w.builder.findChild<QComboBox *>(QStringLiteral("cbxDatum1"));
            date->setCurrentIndex(1);
            emit date->activated(1); // gestern
        });
        QTest::mouseClick(w.w<QPushButton>("btnBearbeiten"), Qt::LeftButton);
        QCOMPARE(w.reports->queryLines().at(2), QStringLiteral("WHERE Tag = '21.10.2005'"));
        QCOMPARE(w.grid()->model()->rowCount(), 1);
        QCOMPARE(w.grid()->columnWidth(0), 99); // the column file stays

        // Written by hand: no state file, so no builder.
        w.write(QStringLiteral("Hand.sql"), "Select Vorgang From Besucher.dbf\r\n");
        w.reports->BuildList();
        w.run(QStringLiteral("Hand"));
        bool shown = false;
        QTimer::singleShot(0, &w.builder, [&] {
            shown = w.builder.isVisible();
            w.builder.reject();
        });
        QTest::mouseClick(w.w<QPushButton>("btnBearbeiten"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!shown);
        QCOMPARE(w.messages.size(), 1);
    }

    void renameReport()
    {
        Window w;
        w.write(QStringLiteral("Besucher heute.col"), "99\r\n");
        w.run(QStringLiteral("Besucher heute"));
        auto *editor = w.w<QLineEdit>("edFileName");
        QTest::mouseClick(w.w<QPushButton>("btnUmbenennen"), Qt::LeftButton);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->text(), QStringLiteral("Besucher heute"));
        editor->setText(QStringLiteral("Heute da"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!editor->isVisible());
        QCOMPARE(w.reports->selectedName(), QStringLiteral("Heute da"));
        QCOMPARE(folderEntries(w.lists), (QStringList{"Anwesende Besucher.lst", "Anwesende Besucher.sql",
                                                      "Besucher gestern.lst", "Besucher gestern.sql",
                                                      "Besucher heute.col", "Heute da.lst", "Heute da.sql"}));
        // Onto an existing report: a message, the old name stays.
        QTest::mouseClick(w.w<QPushButton>("btnUmbenennen"), Qt::LeftButton);
        editor->setText(QStringLiteral("Besucher gestern"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(w.messages.size(), 1);
        QCOMPARE(w.reports->selectedName(), QStringLiteral("Heute da"));
        // Empty, and Escape: nothing changes.
        for (const auto &finish : {std::function<void()>([&] { QTest::keyClick(editor, Qt::Key_Return); }),
                                   std::function<void()>([&] { QTest::keyClick(editor, Qt::Key_Escape); })}) {
            QTest::mouseClick(w.w<QPushButton>("btnUmbenennen"), Qt::LeftButton);
            editor->setText(editor->text().isEmpty() ? QStringLiteral("Anders") : QString());
            finish();
            QCOMPARE(w.reports->selectedName(), QStringLiteral("Heute da"));
        }
        QCOMPARE(ReportFolder(w.lists).names(), (QStringList{"Anwesende Besucher", "Besucher gestern", "Heute da"}));
    }

    void deleteReport()
    {
        Window w;
        w.run(QStringLiteral("Besucher heute"));
        w.answer = false;
        QTest::mouseClick(w.w<QPushButton>("btnLoeschen"), Qt::LeftButton);
        QCOMPARE(w.questions.size(), 1);
        QCOMPARE(w.questions[0].text, QStringLiteral("Wollen Sie den ausgewählten Bericht 'Besucher heute' wirklich löschen ?"));
        QCOMPARE(w.questions[0].caption, QStringLiteral("Achtung"));
        QCOMPARE(w.questions[0].icon, QMessageBox::Warning);
        QCOMPARE(w.reports->entries().size(), 3);
        // After the grid lost the focus to the button (which saved its widths).
        w.write(QStringLiteral("Besucher heute.col"), "99\r\n");
        w.answer = true;
        QTest::mouseClick(w.w<QPushButton>("btnLoeschen"), Qt::LeftButton);
        QCOMPARE(w.reports->entries(), (QStringList{"-- Anwesende Besucher", "-- Besucher gestern"}));
        QVERIFY(!w.grid()->isVisible());
        QVERIFY(w.w("lbKeinBericht")->isVisible());
        // The column file stays, and a new report of that name takes its widths.
        QVERIFY(QFile::exists(QDir(w.lists).filePath(QStringLiteral("Besucher heute.col"))));
        QVERIFY(!QFile::exists(QDir(w.lists).filePath(QStringLiteral("Besucher heute.sql"))));
        w.answerBuilder([&] {
            w.builder.findChild<QLineEdit *>(QStringLiteral("edName"))->setText(QStringLiteral("Besucher heute"));
        });
        QTest::mouseClick(w.w<QPushButton>("btnNeu"), Qt::LeftButton);
        QCOMPARE(w.reports->selectedName(), QStringLiteral("Besucher heute"));
        QCOMPARE(w.grid()->columnWidth(0), 99);
    }

    void nothingSelected()
    {
        Window w;
        for (const char *button : {"btnBearbeiten", "btnUmbenennen", "btnLoeschen"})
            QTest::mouseClick(w.w<QPushButton>(button), Qt::LeftButton);
        QVERIFY(w.questions.isEmpty());
        QVERIFY(!w.w("edFileName")->isVisible());
        QTest::mouseClick(w.w<QPushButton>("btnSchliessen"), Qt::LeftButton);
        QCOMPARE(QDir(w.lists).entryList({QStringLiteral("*.col")}), QStringList());
    }

    void missingListsFolder()
    {
        Window w;
        QDir(w.lists).removeRecursively();
        TBerichte reports(TBerichte::Options{w.lists, w.inst.databaseFolder(), true, false}, &w.builder);
        reports.open();
        QCOMPARE(reports.entries(), QStringList());
        QCOMPARE(w.messages.size(), 1);
        QVERIFY(w.messages[0].text.contains(QDir::toNativeSeparators(w.lists)));
        reports.hide();
    }

    // Printed through the print dialog into a PDF: heads, titles, the cell rules.
    void printToPdf()
    {
        Window w;
        w.run(QStringLiteral("Besucher heute"));
        const QString pdf = QDir(w.inst.root()).filePath(QStringLiteral("bericht.pdf"));
        int confirmed = 0;
        layouts::PrintConfirmation::setHook([&](QPrinter &printer, QWidget *) {
            ++confirmed;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageOrientation(QPageLayout::Portrait); // the width decides anyway
            return true;
        });
        QTest::mouseClick(w.w<QPushButton>("btnDrucken"), Qt::LeftButton);
        QCOMPARE(confirmed, 1);
        const auto info = pdfInfo(pdf);
        QCOMPARE(info.value(QStringLiteral("Title")), QStringLiteral("Lobrix Bericht 'Besucher heute'"));
        QCOMPARE(info.value(QStringLiteral("Pages")), QStringLiteral("1"));
        const QStringList lines = pdfLines(pdf);
        QVERIFY2(lines.value(0) == QStringLiteral("Druckauswertung Besucher heute"), qPrintable(lines.join(u'\n')));
        QVERIFY2(lines.value(1).startsWith(QStringLiteral("gedruckt am 22.10.2005 um 08:30")) &&
                     lines.value(1).endsWith(QStringLiteral("Seite 1 von 1")),
                 qPrintable(lines.value(1)));
        QCOMPARE(lines.value(2), QStringLiteral("Vorgang Ausw Name Firma Ziel Tag Beginn Ende Dauer"));
        const QString text = lines.join(u'\n');
        QVERIFY2(text.contains(QStringLiteral("bis 23.10.2005")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Müller, Jürgen")));
        QVERIFY(!portrait(pdf)); // nine columns are too wide for portrait
    }

    // Many records run over pages whose heads count them.
    void pagesAndOrientation()
    {
        Window w;
        data::SqlEngine engine(w.inst.databaseFolder());
        for (int i = 0; i < 157; ++i)
            engine.execute(QStringLiteral("Insert Into Besucher.dbf (Vorgang, Name, Tag, Kommt) Values (?, ?, '20.10.2005', '08:00')"),
                           {100 + i, QStringLiteral("Name %1").arg(i, 3, 10, QLatin1Char('0'))});
        w.write(QStringLiteral("Viele.sql"), "Select Vorgang, Name From Besucher.dbf WHERE Tag = '20.10.2005'\r\n");
        w.reports->BuildList();
        w.run(QStringLiteral("Viele"));
        const QString pdf = QDir(w.inst.root()).filePath(QStringLiteral("viele.pdf"));
        layouts::PrintConfirmation::setHook([&](QPrinter &printer, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        QTest::mouseClick(w.w<QPushButton>("btnDrucken"), Qt::LeftButton);
        const int pages = pdfInfo(pdf).value(QStringLiteral("Pages")).toInt();
        QVERIFY2(pages > 1, qPrintable(QString::number(pages)));
        const QString text = pdfText(pdf);
        for (int p = 1; p <= pages; ++p)
            QVERIFY(text.contains(QStringLiteral("Seite %1 von %2").arg(p).arg(pages)));
        QVERIFY(text.contains(QStringLiteral("Name 156")));
        QVERIFY(portrait(pdf));
    }

    void tooWide_data()
    {
        QTest::addColumn<bool>("checkWidth");
        QTest::newRow("SeitenBreitePruefen on") << true;
        QTest::newRow("SeitenBreitePruefen off") << false;
    }
    void tooWide()
    {
        QFETCH(bool, checkWidth);
        Window w(checkWidth);
        w.write(QStringLiteral("Besucher heute.col"), "900\r\n900\r\n");
        w.run(QStringLiteral("Besucher heute"));
        const QString pdf = QDir(w.inst.root()).filePath(QStringLiteral("breit.pdf"));
        int confirmed = 0;
        layouts::PrintConfirmation::setHook([&](QPrinter &printer, QWidget *) {
            ++confirmed;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        QTest::mouseClick(w.w<QPushButton>("btnDrucken"), Qt::LeftButton);
        if (checkWidth) {
            QCOMPARE(confirmed, 0);
            QCOMPARE(w.messages.size(), 1);
            QCOMPARE(w.messages[0].text, QString::fromUtf8(ReportPrinter::TooWideMessage));
            QVERIFY(!QFile::exists(pdf));
        } else {
            QCOMPARE(confirmed, 1);
            QVERIFY(!portrait(pdf)); // landscape, and over the margin
        }
    }

    void exportCsv()
    {
        Window w;
        w.run(QStringLiteral("Anwesende Besucher"));
        const QString csv = QDir(w.inst.root()).filePath(QStringLiteral("anwesend.csv"));
        w.reports->setFileChooser([&](QWidget *) { return csv; });
        QTest::mouseClick(w.w<QPushButton>("btnExportieren"), Qt::LeftButton);
        const QByteArray bytes = fileBytes(csv);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFVorgang;Ausw;Name;Firma;Ziel;Tag;Beginn;Ende\r\n3;7;O'Brien, Pat;Acme;"));
        QCOMPARE(bytes.count("\r\n"), 2);
        QCOMPARE(w.messages.size(), 1);
        // Personal data left the program: the log says which report, how much, where to.
        const QStringList lines = QString::fromLatin1(fileBytes(QDir(w.inst.databaseFolder()).filePath("BesucherLog.log")))
                                      .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        QVERIFY2(lines.last().endsWith(QStringLiteral("Export -> Bericht 'Anwesende Besucher': 1 Zeilen nach %1").arg(csv)),
                 qPrintable(lines.last()));
        QVERIFY(lines.last().contains(QStringLiteral("pruefer")));
    }

    // Through the program: the menu opens the window maximised; the four buttons follow
    // the right "Berichte erstellen".
    void menuAndRights_data()
    {
        QTest::addColumn<bool>("mayCreate");
        QTest::newRow("Berichte erstellen") << true;
        QTest::newRow("only Berichte einsehen") << false;
    }
    void menuAndRights()
    {
        QFETCH(bool, mayCreate);
        TestInstallation inst(1);
        ui::MessageBoxes::setHooks([](const ui::MessageRecord &) {}, [](const ui::MessageRecord &) { return false; });
        app::AppWindows windows(inst.startFolder(), systemClock());
        shell::UserRights rights{shell::Right::BerichteLesen};
        rights.set(shell::Right::BerichteErstellen, mayCreate);
        const shell::UserSlot user{QStringLiteral("anna"), QStringLiteral("pw"), rights};
        windows.main->users().storeUserSlot(0, user);
        windows.main->session().setUser(shell::LoginUser::fromSlot(0, user));
        windows.main->applyRights();
        windows.main->findChild<QAction *>(QStringLiteral("Berichte1"))->trigger();
        QVERIFY(windows.berichte->isVisible());
        QVERIFY(windows.berichte->windowState() & Qt::WindowMaximized);
        for (const char *b : {"btnNeu", "btnBearbeiten", "btnUmbenennen", "btnLoeschen"})
            QCOMPARE(windows.berichte->findChild<QPushButton *>(QString::fromLatin1(b))->isVisible(), mayCreate);
        QCOMPARE(windows.berichte->entries().size(), 3);
        windows.berichte->hide();
        ui::MessageBoxes::setHooks({}, {});
    }
};

LOBRIX_TEST(TBerichteTest)
#include "TBerichteTest.moc"

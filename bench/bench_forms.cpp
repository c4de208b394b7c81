// What a clerk feels at a busy gate: the real windows (offscreen) on a large installation
// (1,000,000 visits, 5,000 badges), timed from the click to the moment the next key or
// click is taken:
//   ArrivalFormReady    "Besucher kommt" to the arrival form ready, 5,000 free badges  < 100 ms
//   DepartureFormReady  "Besucher geht" to the departure form ready, 5,000 out          < 200 ms
//   SaveToMainReady     "&Speichern" of an arrival to the main window ready again        < 50 ms
//   PickerOpen          the master-data picker shown, 20,000 records                    < 150 ms
//   PickerKeystroke     one more letter in its quick search                              < 20 ms
//   PreRegistrationListOpen  the pre-registration list shown, 10,000 rows              < 150 ms
//   DestinationsImport  "&Import" of a file of 5,000 destinations                        < 1 s
//   DestinationsOpen    "Besuchsziele" shown with the 15,000 destinations imported      < 100 ms
//   SettingsOpen        "Einstellungen" filled from both files and shown                < 100 ms
//   SettingsSave        "&Speichern": every key of both files, then the standard badge  < 100 ms
//   UsersSave           "&Benutzerrechte speichern": one slot stored, user.dat written   < 100 ms
// The windows run on a copy of the installation (see BenchDesk.h).
#include "app/AppWindows.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "common/ui/MessageBoxes.h"
#include "common/TextFile.h"
#include "registration/ui/TBesucher.h"
#include "registration/ui/TStammBrowse.h"
#include "registration/ui/TVoranmeldung.h"
#include "shell/ui/LobrixApplication.h"
#include "shell/ui/TBesuchsziele.h"
#include "shell/ui/TEinstellungen.h"
#include "shell/ui/TMain.h"

#include "BenchDesk.h"
#include "BenchInstallation.h"

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

using namespace lobrix;

namespace {

std::unique_ptr<app::AppWindows> g_windows;

template <typename W = QWidget> W *child(QWidget *parent, const char *name)
{
    W *w = parent->findChild<W *>(QString::fromLatin1(name));
    if (!w) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(1);
    }
    return w;
}

QWidget *form() { return g_windows->besucher; }

// Clicks a main window button that opens the visit form modally; `inForm` runs once the
// form's event loop takes events, that is, once the form is ready for the clerk.
void openForm(const char *button, const std::function<void()> &inForm)
{
    QTimer::singleShot(0, form(), inForm);
    child<QAbstractButton>(g_windows->main, button)->click();
}

void ArrivalFormReady(benchmark::State &state)
{
    static const bool freed = (bench::setPool(true), true);
    benchmark::DoNotOptimize(freed);
    for (auto _ : state) {
        QElapsedTimer timer;
        double seconds = 0;
        bool typing = false;
        timer.start();
        openForm("btnBeginn", [&] {
            seconds = double(timer.nsecsElapsed()) / 1e9;
            typing = form()->isVisible() && form()->focusWidget() == child(form(), "edName");
            child<QPushButton>(form(), "btnAbbrechen")->click();
        });
        state.SetIterationTime(seconds);
        if (!typing)
            state.SkipWithError("the arrival form did not take the name");
    }
}

void DepartureFormReady(benchmark::State &state)
{
    static const bool out = (bench::setPool(false), true);
    benchmark::DoNotOptimize(out);
    for (auto _ : state) {
        QElapsedTimer timer;
        double seconds = 0;
        bool ready = false;
        timer.start();
        openForm("btnEnde", [&] {
            seconds = double(timer.nsecsElapsed()) / 1e9;
            ready = form()->isVisible() && form()->focusWidget() == child(form(), "cbxAusweis");
            child<QPushButton>(form(), "btnAbbrechen")->click();
        });
        state.SetIterationTime(seconds);
        if (!ready)
            state.SkipWithError("the departure form was not ready");
    }
}

void SaveToMainReady(benchmark::State &state)
{
    static const bool freed = (bench::setPool(true), true);
    benchmark::DoNotOptimize(freed);
    for (auto _ : state) {
        QElapsedTimer timer;
        bool saved = false;
        openForm("btnBeginn", [&] {
            child<QLineEdit>(form(), "edName")->setText(QStringLiteral("O'Brien"));
            child<QLineEdit>(form(), "edVorname")->setText(QStringLiteral("Jürgen"));
            child<QLineEdit>(form(), "edFirma")->setText(QStringLiteral("Schäfer & Söhne GmbH"));
            auto *save = child<QPushButton>(form(), "btnSpeichern");
            saved = save->isEnabled();
            timer.start();
            save->click();
        });
        // The click returns once the form has closed and the main window checked the lock.
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!saved || form()->isVisible())
            state.SkipWithError("the arrival was not saved");
    }
}

void PickerOpen(benchmark::State &state)
{
    registration::TStammBrowse *picker = g_windows->stammBrowse;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        picker->show();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        state.counters["rows"] = child<QTableView>(picker, "grdStamm")->model()->rowCount();
        picker->btnAbbrechenClick();
    }
}

void PickerKeystroke(benchmark::State &state)
{
    registration::TStammBrowse *picker = g_windows->stammBrowse;
    auto *search = child<QLineEdit>(picker, "edSuche");
    for (auto _ : state) {
        // A fresh picker each time (not timed): the keystroke lands far beyond the rows
        // fetched, among the last names of the order.
        search->clear();
        picker->show();
        QElapsedTimer timer;
        timer.start();
        search->setText(QStringLiteral("Zi"));
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        const std::optional<registration::VisitData> row = picker->currentRecord();
        if (!row || !row->name.startsWith(QStringLiteral("Zi")))
            state.SkipWithError("the search did not land on Zimmermann");
        picker->btnAbbrechenClick();
    }
}

void PreRegistrationListOpen(benchmark::State &state)
{
    registration::TVoranmeldung *list = g_windows->voranmeldung;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        list->show();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        state.counters["rows"] = child<QTableView>(list, "Grid")->model()->rowCount();
        list->btnAbbrechenClick();
    }
}

QString destinationsFile()
{
    static const QString path = [] {
        const QString p = QDir(bench::deskFolder()).filePath(QStringLiteral("ziele.txt"));
        QStringList lines;
        for (int i = 0; i < 5000; ++i)
            lines << QStringLiteral("Abteilung %1, Gebäude %2").arg(i).arg(i % 17);
        TextFile::writeLines(p, lines);
        return p;
    }();
    return path;
}

void DestinationsImport(benchmark::State &state)
{
    shell::TBesuchsziele *ziele = g_windows->besuchsziele;
    ziele->setFileChooser([](QWidget *) { return destinationsFile(); });
    ziele->show();
    for (auto _ : state) {
        const int before = ziele->rowCount();
        QElapsedTimer timer;
        timer.start();
        child<QPushButton>(ziele, "btnImport")->click();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (ziele->rowCount() != before + 5000)
            state.SkipWithError("the import did not add 5,000 destinations");
    }
    ziele->done(QDialog::Accepted);
}

void DestinationsOpen(benchmark::State &state)
{
    shell::TBesuchsziele *ziele = g_windows->besuchsziele;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        ziele->show();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        state.counters["rows"] = ziele->rowCount();
        ziele->done(QDialog::Accepted);
    }
}

void SettingsOpen(benchmark::State &state)
{
    shell::TEinstellungen *dialog = g_windows->einstellungen;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        dialog->prepareSettings();
        dialog->show();
        QCoreApplication::processEvents(); // until it is painted
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        dialog->done(QDialog::Rejected);
    }
}

void SettingsSave(benchmark::State &state)
{
    shell::TEinstellungen *dialog = g_windows->einstellungen;
    dialog->prepareSettings();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        dialog->save();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}

void UsersSave(benchmark::State &state)
{
    shell::TEinstellungen *dialog = g_windows->einstellungen;
    dialog->prepareUsers();
    dialog->show();
    auto *right = child<QCheckBox>(dialog, "chkBerichteLesen");
    auto *save = child<QPushButton>(dialog, "btnUebernehmen");
    for (auto _ : state) {
        right->click();
        QElapsedTimer timer;
        timer.start();
        save->click();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (save->isEnabled())
            state.SkipWithError("user.dat was not written");
    }
    dialog->done(QDialog::Accepted);
}

} // namespace

BENCHMARK(ArrivalFormReady)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(30)->ReportAggregatesOnly(true);
BENCHMARK(DepartureFormReady)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true);
BENCHMARK(PickerOpen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(PickerKeystroke)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(PreRegistrationListOpen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(DestinationsImport)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(DestinationsOpen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(SettingsOpen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(SettingsSave)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(UsersSave)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(SaveToMainReady)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(50)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    shell::LobrixApplication app(argc, argv);
    try {
        bench::ensureInstallation();
        bench::makeDesk();
        ui::MessageBoxes::setHooks([](const ui::MessageRecord &m) {
            std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
        }, [](const ui::MessageRecord &) { return true; });
        g_windows = std::make_unique<app::AppWindows>(bench::deskStart(), systemClock());
        // Printing is not what is measured; the automatic visitor sheet prints nowhere.
        g_windows->besucher->setPrintAction([](const registration::VisitPrintRequest &) { return true; });
        // The main window stays unshown: showing it starts the login, which is not measured.
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_windows.reset();
    QDir(bench::deskFolder()).removeRecursively();
    return 0;
}

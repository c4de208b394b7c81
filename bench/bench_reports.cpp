// Reports over the large installation (1,000,000 visits over ten years, 5,000 of them
// present), in the real reports window (offscreen), timed from the click on the list to
// the grid shown with its columns measured:
//   ReportRun/Days4        about 1,000 rows                                           < 150 ms
//   ReportRun/Days110      about 30,000 rows                                          < 600 ms
//   ReportAllVisits        "Select * From Besucher.dbf", 1,000,000 rows, the window
//                          answering meanwhile (timer ticks counted)                  < 8 s
//   ReportPrint10000       10,000 rows printed into a PDF file                         < 10 s
//   AdminRollCall          `lobrix-admin report` of "Anwesende Besucher" as a process  < 300 ms
// The reports run read-only on the installation; their definitions live in a folder of
// their own beside it.
#include "common/IniFile.h"
#include "common/TextFile.h"
#include "common/ui/MessageBoxes.h"
#include "layouts/ui/PrintConfirmation.h"
#include "records/ReportFolder.h"
#include "records/StandardReports.h"
#include "records/ui/TBerichte.h"
#include "shell/SettingsKeys.h"
#include "shell/ui/LobrixApplication.h"

#include "BenchInstallation.h"

#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QProcess>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace lobrix;

namespace {

QString reportsFolder() { return QDir(bench::benchFolder()).filePath(QStringLiteral("reports")); }
QString reportsStart() { return QDir(reportsFolder()).filePath(QStringLiteral("start")); }
QString reportsLists() { return QDir(reportsFolder()).filePath(QStringLiteral("Listen")); }

std::unique_ptr<records::TBerichte> g_window;

// The visits of the last `days` days of the generated ten years.
QString rangeReport(int days)
{
    const QDate last = QDate(2016, 12, 10).addDays(3649);
    const QString name = QStringLiteral("Tage %1").arg(days);
    records::ReportFolder(reportsLists())
        .write(name,
               {QStringLiteral("Select Vorgang, Ausweis AS Ausw, Name||', '||Vorname AS Name, Firma, ZIEL, Tag, "
                               "Kommt AS Beginn, Geht AS Ende, Anwesend AS Dauer"),
                QStringLiteral("From Besucher.dbf"),
                QStringLiteral("WHERE Tag >= '%1' AND Tag <= '%2'")
                    .arg(last.addDays(1 - days).toString(QStringLiteral("dd.MM.yyyy")),
                         last.toString(QStringLiteral("dd.MM.yyyy"))),
                QStringLiteral("ORDER BY Tag, Kommt")},
               {});
    return name;
}

void makeReports()
{
    QDir(reportsFolder()).removeRecursively();
    QDir().mkpath(reportsStart());
    IniFile settings(QDir(reportsStart()).filePath(QStringLiteral("settings.ini")));
    shell::keys::write(settings, shell::keys::settings::DatenbankPfad, bench::benchDb());
    shell::keys::write(settings, shell::keys::settings::ListenPfad, reportsLists());
    records::StandardReports::install(records::ReportFolder(reportsLists()));
    records::ReportFolder(reportsLists())
        .write(QStringLiteral("Alle"), {QStringLiteral("Select * From Besucher.dbf")}, {});
}

QTableView *grid() { return g_window->findChild<QTableView *>(QStringLiteral("Grid")); }

// Selects and runs the report as a click on the list does; the time until it is shown.
double runReport(const QString &name)
{
    const int index = int(g_window->entries().indexOf(records::ReportFolder::entryText(name)));
    g_window->selectEntry(index);
    QElapsedTimer timer;
    timer.start();
    g_window->RunSelected();
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e9;
}

void ReportRun(benchmark::State &state)
{
    const QString name = rangeReport(int(state.range(0)));
    g_window->BuildList();
    for (auto _ : state) {
        state.SetIterationTime(runReport(name));
        QAbstractItemModel *model = grid()->model();
        while (model->canFetchMore({}))
            model->fetchMore({});
        state.counters["rows"] = model->rowCount();
    }
}

void ReportAllVisits(benchmark::State &state)
{
    g_window->BuildList();
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
    tick.start(100);
    for (auto _ : state) {
        ticks = 0;
        state.SetIterationTime(runReport(QStringLiteral("Alle")));
        state.counters["ticks"] = ticks; // the window answered while it measured
    }
}

void ReportPrint10000(benchmark::State &state)
{
    const QString name = rangeReport(37);
    g_window->BuildList();
    runReport(name);
    const QString pdf = QDir(reportsFolder()).filePath(QStringLiteral("bericht.pdf"));
    layouts::PrintConfirmation::setHook([&](QPrinter &printer, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        g_window->btnDruckenClick();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        state.counters["rows"] = grid()->model()->rowCount();
        state.counters["MB"] = double(QFileInfo(pdf).size()) / 1e6;
    }
    layouts::PrintConfirmation::setHook({});
}

void AdminRollCall(benchmark::State &state)
{
    const QString admin = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../lobrix-admin"));
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess p;
        p.start(admin, {QStringLiteral("report"), reportsStart(), QString::fromUtf8(records::StandardReports::Present)});
        p.waitForFinished(60000);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (p.exitCode() != 0)
            state.SkipWithError("lobrix-admin report failed");
        state.counters["lines"] = double(p.readAllStandardOutput().count('\n'));
    }
}

} // namespace

BENCHMARK(ReportRun)->Arg(4)->Arg(110)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(ReportAllVisits)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(2)->ReportAggregatesOnly(true);
BENCHMARK(ReportPrint10000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(2)->ReportAggregatesOnly(true);
BENCHMARK(AdminRollCall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    shell::LobrixApplication app(argc, argv);
    bench::ensureInstallation();
    makeReports();
    ui::MessageBoxes::setHooks([](const ui::MessageRecord &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); },
                               [](const ui::MessageRecord &) { return false; });
    g_window = std::make_unique<records::TBerichte>(
        records::TBerichte::Options{reportsLists(), bench::benchDb(), true, false}, nullptr);
    g_window->resize(1280, 900);
    g_window->show();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}

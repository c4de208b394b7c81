// The reception desk on a large installation (1,000,000 visits, 5,000 badges), each
// figure next to a reference measured in the same run:
//   DepartureFormOpen   the departure list with all 5,000 badges out        < 1 s
//     RawReadVisits     reference: reading Besucher.dbf sequentially in 1 MiB blocks
//   ArrivalFormOpen     visit number, 5,000 free badges, lists              < 200 ms
//     RawReadPool       reference: reading Ausweis.dbf whole
//   ArrivalSave         one arrival saved (visit, log, badge, counter)      median < 20 ms
//     /WithMark         the same with a pre-registration taken over and marked  median < 20 ms
//     RawArrivalWrites  reference: the same visit row and badge row written directly
// The installation is made once by generate_installation in $LOBRIX_BENCH_DIR (default
// /tmp/lobrix-bench). The benchmarks work on a copy in its folder "desk", made afresh
// for every run, so the installation itself is never changed.
#include "common/Clock.h"
#include "common/Error.h"
#include "data/DbfTable.h"
#include "registration/ArrivalService.h"
#include "registration/DepartureService.h"
#include "common/IniFile.h"
#include "shell/Session.h"
#include "shell/SettingsKeys.h"

#include "BenchDesk.h"
#include "BenchInstallation.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <memory>

using namespace lobrix;
using data::DbfTable;

namespace {

using bench::benchFolder;
using bench::ensureInstallation;

using bench::deskDb;
using bench::deskStart;
using bench::makeDesk;
using bench::setPool;
using bench::deskFolder;

void RawReadVisits(benchmark::State &state)
{
    bench::rawSequentialRead(state, DbfTable::resolve(deskDb(), QStringLiteral("Besucher.dbf")));
}

void DepartureFormOpen(benchmark::State &state)
{
    shell::Session session(deskStart(), systemClock());
    registration::DepartureService service(session);
    for (auto _ : state) {
        const auto &opening = service.open();
        service.close();
        state.counters["entries"] = static_cast<double>(opening.entries.size());
        // Every out badge is held by a present visit in the generated installation.
        if (opening.entries.isEmpty() || opening.entries.first().visitRecno < 0)
            state.SkipWithError("the departure list has no visits");
    }
}

void RawReadPool(benchmark::State &state)
{
    const QString path = DbfTable::resolve(deskDb(), QStringLiteral("Ausweis.dbf"));
    for (auto _ : state) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open");
        benchmark::DoNotOptimize(f.readAll());
    }
}

void ArrivalFormOpen(benchmark::State &state)
{
    static const bool poolFreed = (setPool(true), true);
    benchmark::DoNotOptimize(poolFreed);
    shell::Session session(deskStart(), systemClock());
    registration::ArrivalService service(session);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const auto &opening = service.open();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        service.cancel();
        state.counters["free"] = static_cast<double>(opening.badgeEntries.size());
    }
}

registration::VisitData benchVisit()
{
    registration::VisitData v;
    v.name = QStringLiteral("O'Brien");
    v.vorname = QStringLiteral("Jürgen");
    v.firma = QStringLiteral("Schäfer & Söhne GmbH");
    v.land = QStringLiteral("Deutschland");
    v.ziel = QStringLiteral("Werkstatt");
    v.info = {true, false, false, false};
    return v;
}

// One arrival per repetition, timed without the opening of the form; `withMark`: with a
// pre-registration of the 10,000 taken over and marked.
void ArrivalSave(benchmark::State &state, bool withMark)
{
    static const bool poolFreed = (setPool(true), true);
    benchmark::DoNotOptimize(poolFreed);
    shell::Session session(deskStart(), systemClock());
    registration::ArrivalService service(session);
    int nr = 5000;
    for (auto _ : state) {
        const auto &opening = service.open();
        if (opening.badgeEntries.isEmpty()) {
            state.SkipWithError("no free badge");
            break;
        }
        registration::ArrivalService::Input input;
        input.visit = benchVisit();
        input.badgeEntry = opening.badgeEntries.first();
        if (withMark)
            input.preRegistration = QString::number(nr++);
        QElapsedTimer timer;
        timer.start();
        const auto result = service.save(input);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (result.status != registration::ArrivalService::Result::Status::Saved || !result.message.isEmpty())
            state.SkipWithError("not saved (and marked)");
    }
}

void RawArrivalWrites(benchmark::State &state)
{
    static int badge = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto visits = DbfTable::open(DbfTable::resolve(deskDb(), QStringLiteral("Besucher.dbf")));
        visits->append({{visits->fieldIndexOrThrow(QStringLiteral("Name")), QStringLiteral("Referenz")},
                        {visits->fieldIndexOrThrow(QStringLiteral("Ausweis")), QStringLiteral("17")},
                        {visits->fieldIndexOrThrow(QStringLiteral("Kommt")), QStringLiteral("08:15")},
                        {visits->fieldIndexOrThrow(QStringLiteral("Tag")), QStringLiteral("10.12.2026")}});
        visits.reset();
        auto pool = DbfTable::open(DbfTable::resolve(deskDb(), QStringLiteral("Ausweis.dbf")));
        pool->update(4000 + badge++ % 1000, {{pool->fieldIndexOrThrow(QStringLiteral("Kommt")), QStringLiteral("08:15")},
                                            {pool->fieldIndexOrThrow(QStringLiteral("Tag")), QStringLiteral("10.12.2026")}});
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
}

} // namespace

BENCHMARK(RawReadVisits)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(DepartureFormOpen)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(RawReadPool)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(ArrivalFormOpen)->Unit(benchmark::kMillisecond)->UseManualTime()->Repetitions(5)->ReportAggregatesOnly(true);
// One write per repetition, so that the median is the median of single arrivals.
BENCHMARK_CAPTURE(ArrivalSave, Plain, false)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(200)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(ArrivalSave, WithMark, true)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(200)->ReportAggregatesOnly(true);
BENCHMARK(RawArrivalWrites)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(200)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        ensureInstallation();
        makeDesk();
        setPool(false);
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QDir(deskFolder()).removeRecursively();
    return 0;
}

// The data layer on a large installation (1,000,000 visits, 5,000 badges, 20,000 master
// records), each figure next to its reference measured in the same run:
//   RawRead            reference: reading Besucher.dbf sequentially in 1 MiB blocks
//   RawReadTwoThreads  for comparison: two threads reading alternate 1 MiB blocks, as fast
//                      as the machine can copy the file at all (large scans use two threads)
//   ReportDateRange    a report over about 1 % of the visits (date range)   <= 1.5 x RawRead
//     /Rows             every value of every row read as a result model keeps it
//     /EveryCellAsQString  and each value also made a QString (a grid does that only
//                       for the cells it shows)
//   ScanDateRange      the same range only counted: the scan without the rows handed out
//   PresentVisitors    Where Geht = ''                                      <= 1.5 x RawRead
//   OrderByName        all visits ORDER BY Name                             < 3 s
//   ArrivalWrites      append a visit and occupy a badge                    median < 5 ms
//   ModelFirstRows     the result model of Select * From Besucher.dbf: its first 100 rows
//                      ready                                                 < 50 ms
//   ModelSearch        its quick search landing on row 900,000 (Vorgang)     < 1 s
//     SelectAll        reference: every value of the first 900,000 rows read, none kept
//   ScanBlocks/KiB     the services' block scan (present visits) with blocks of that
//                      size: how ScanBlockBytes was chosen
// The installation is made once by generate_installation in $LOBRIX_BENCH_DIR
// (default /tmp/lobrix-bench); run that first or let this program do it.
#include "data/DbfTable.h"
#include "data/RecordFilter.h"
#include "data/SqlEngine.h"
#include "data/SqlResultModel.h"

#include "BenchInstallation.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>


using namespace lobrix::data;

namespace {

QString db() { return lobrix::bench::benchDb(); }

// Reads every value of every row as a result model keeps it (UTF-8 bytes); with
// `asQString` also converts each value, as a grid does for the cells it shows.
qint64 consume(SqlEngine &sql, const QString &statement, bool asQString = false)
{
    SqlQuery q = sql.query(statement);
    qint64 rows = 0;
    while (q.next()) {
        for (int i = 0; i < q.columnCount(); ++i) {
            if (asQString)
                benchmark::DoNotOptimize(q.text(i));
            else
                benchmark::DoNotOptimize(q.utf8(i).size());
        }
        ++rows;
    }
    return rows;
}

void RawRead(benchmark::State &state)
{
    lobrix::bench::rawSequentialRead(state, QDir(db()).filePath(QStringLiteral("Besucher.dbf")));
}

void RawReadTwoThreads(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(QDir(db()).filePath(QStringLiteral("Besucher.dbf")));
    for (auto _ : state) {
        const int fd = ::open(path.constData(), O_RDONLY);
        if (fd < 0)
            state.SkipWithError("cannot open");
        std::atomic<qint64> total = 0;
        const auto readHalf = [&](int parity) {
            std::vector<char> buffer(1 << 20);
            qint64 n = 0;
            for (qint64 block = parity;; block += 2) {
                const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), block << 20);
                if (got <= 0)
                    break;
                n += got;
            }
            total += n;
        };
        std::thread other(readHalf, 1);
        readHalf(0);
        other.join();
        ::close(fd);
        state.counters["MB"] = static_cast<double>(total.load()) / 1e6;
    }
}

void ReportDateRange(benchmark::State &state, bool asQString)
{
    SqlEngine sql(db(), SqlEngine::Access::ReadOnly);
    // Ten years of visits: five weeks are about 1 %.
    const QString statement = QStringLiteral(
        "Select Name || ', ' || Vorname AS Besucher, Firma, Ausweis AS Ausw, Kommt, Geht, Tag, "
        "Anwesend\nFrom Besucher.dbf\nWhere Tag >= '01.03.2021' AND Tag <= '05.04.2021'\n"
        "Order By Tag DESC, Kommt");
    for (auto _ : state)
        state.counters["rows"] = static_cast<double>(consume(sql, statement, asQString));
}

// The scan alone: the same date range counted, no rows handed out.
void ScanDateRange(benchmark::State &state)
{
    SqlEngine sql(db(), SqlEngine::Access::ReadOnly);
    for (auto _ : state)
        consume(sql, QStringLiteral("Select Count(*) From Besucher.dbf Where Tag >= '01.03.2021' "
                                    "AND Tag <= '05.04.2021'"));
}

void PresentVisitors(benchmark::State &state)
{
    SqlEngine sql(db());
    for (auto _ : state)
        state.counters["rows"] = static_cast<double>(
            consume(sql, QStringLiteral("Select *\nFrom Besucher.dbf\nWhere Geht = ''")));
}

void OrderByName(benchmark::State &state)
{
    SqlEngine sql(db());
    for (auto _ : state)
        state.counters["rows"] = static_cast<double>(
            consume(sql, QStringLiteral("Select Name, Vorname From Besucher.dbf Order By Name")));
}

void ArrivalWrites(benchmark::State &state)
{
    auto visits = DbfTable::open(DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")));
    auto badges = DbfTable::open(DbfTable::resolve(db(), QStringLiteral("Ausweis.dbf")));
    const int vName = visits->fieldIndexOrThrow(QStringLiteral("Name"));
    const int vAusweis = visits->fieldIndexOrThrow(QStringLiteral("Ausweis"));
    const int vKommt = visits->fieldIndexOrThrow(QStringLiteral("Kommt"));
    const int vTag = visits->fieldIndexOrThrow(QStringLiteral("Tag"));
    const int bKommt = badges->fieldIndexOrThrow(QStringLiteral("Kommt"));
    const int bTag = badges->fieldIndexOrThrow(QStringLiteral("Tag"));
    static int badge = 0;
    for (auto _ : state) {
        visits->append({{vName, QStringLiteral("Benchmark")}, {vAusweis, QStringLiteral("17")},
                        {vKommt, QStringLiteral("08:15")}, {vTag, QStringLiteral("10.12.2026")}});
        badges->update(badge++ % 5000, {{bKommt, QStringLiteral("08:15")}, {bTag, QStringLiteral("10.12.2026")}});
    }
    state.counters["visits"] = visits->recordCount();
}

// Removes what ArrivalWrites appended, so the next run starts from the same table.
void removeBenchmarkVisits(int keep)
{
    {
        auto visits = DbfTable::open(DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")));
        for (int r = keep; r < visits->recordCount(); ++r)
            visits->setDeleted(r, true);
    }
    auto exclusive = DbfTable::open(DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")),
                                    DbfTable::Mode::Exclusive);
    exclusive->pack();
}

void ModelFirstRows(benchmark::State &state)
{
    SqlEngine sql(db());
    for (auto _ : state) {
        SqlResultModel model(sql, QStringLiteral("Select * From Besucher.dbf"));
        if (model.rowCount() < 100)
            state.SkipWithError("fewer than 100 rows");
        benchmark::DoNotOptimize(model.text(99, 0));
    }
}

void ModelSearch(benchmark::State &state)
{
    SqlEngine sql(db());
    const auto visits = DbfTable::open(DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")),
                                       DbfTable::Mode::ReadOnly);
    const int fVorgang = visits->fieldIndexOrThrow(QStringLiteral("Vorgang"));
    const QString wanted = visits->text(visits->read(900000).constData(), fVorgang);
    for (auto _ : state) {
        SqlResultModel model(sql, QStringLiteral("Select * From Besucher.dbf"));
        const int row = model.findPrefix(model.columnIndex(QStringLiteral("Vorgang")), wanted);
        if (row < 0 || model.text(row, model.columnIndex(QStringLiteral("Vorgang"))) != wanted)
            state.SkipWithError("the visit was not found");
        state.counters["row"] = row;
    }
}

void SelectAll(benchmark::State &state)
{
    SqlEngine sql(db());
    for (auto _ : state) {
        SqlQuery q = sql.query(QStringLiteral("Select * From Besucher.dbf"));
        qint64 bytes = 0;
        for (int row = 0; row <= 900000 && q.next(); ++row)
            for (int c = 0; c < q.columnCount(); ++c)
                bytes += q.utf8(c).size();
        benchmark::DoNotOptimize(bytes);
    }
}

void ScanBlocks(benchmark::State &state)
{
    const auto table = DbfTable::open(DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")),
                                      DbfTable::Mode::ReadOnly);
    RecordFilter present;
    present.textEquals(table->fields().at(table->fieldIndexOrThrow(QStringLiteral("Geht"))), {});
    const int count = table->recordCount();
    const qsizetype size = table->recordSize();
    const int perBlock = std::max(1, static_cast<int>((state.range(0) << 10) / size));
    QByteArray block;
    for (auto _ : state) {
        int passing = 0;
        for (int first = 0; first < count; first += perBlock) {
            const int got = table->readBlock(first, std::min(perBlock, count - first), block);
            for (int i = 0; i < got; ++i)
                passing += present.passes(block.constData() + i * size) ? 1 : 0;
        }
        benchmark::DoNotOptimize(passing);
    }
}

int visitCount()
{
    return DbfTable::open(DbfTable::resolve(db(), QStringLiteral("Besucher.dbf")),
                          DbfTable::Mode::ReadOnly)
        ->recordCount();
}

} // namespace

// The machine's noise only ever adds time, so the fastest of the repetitions ("min")
// is the fairest figure for a ratio; the median is shown as well.
double fastest(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(RawRead)->Unit(benchmark::kMillisecond)->Repetitions(9)->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);
BENCHMARK(RawReadTwoThreads)->Unit(benchmark::kMillisecond)->Repetitions(9)->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(ReportDateRange, Rows, false)->Unit(benchmark::kMillisecond)->Repetitions(9)->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(ReportDateRange, EveryCellAsQString, true)->Unit(benchmark::kMillisecond)->Repetitions(9)->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);
BENCHMARK(ScanDateRange)->Unit(benchmark::kMillisecond)->Repetitions(9)->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);
BENCHMARK(PresentVisitors)->Unit(benchmark::kMillisecond)->Repetitions(9)->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);
BENCHMARK(OrderByName)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(ModelFirstRows)->Unit(benchmark::kMillisecond)->Repetitions(5)->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);
BENCHMARK(ModelSearch)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(SelectAll)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(ScanBlocks)->Arg(64)->Arg(256)->Arg(512)->Arg(2048)->Arg(8192)->Unit(benchmark::kMillisecond)->Repetitions(5)->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true);
// One arrival per repetition, so that the median is the median of single arrivals.
BENCHMARK(ArrivalWrites)->Unit(benchmark::kMicrosecond)->Iterations(1)->Repetitions(200)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    lobrix::bench::ensureInstallation();
    const int visits = visitCount();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (visitCount() != visits)
        removeBenchmarkVisits(visits);
    return 0;
}

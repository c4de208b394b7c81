// Record maintenance over the large installation (1,000,000 visits over ten years, 5,000
// badges), on a working copy made afresh where a step deletes:
//   EditList2Days      "Besucherdaten editieren": the list of yesterday and today shown      < 150 ms
//   EditSave           a save of a present visit with its badge step and two log lines     < 20 ms
//   EditSaveAndRelist  the same through "&Speichern", with the list read again after it
//   ReleaseBadges      "&Ausweise freigeben" over every present visit and the pool          < 1 s
//   CopyReference      a plain copy of Besucher.dbf, the reference for the deletions
//   DeleteRange/365    the visits of one year deleted and the table packed                  < 10 s
//   DeleteRange/1333   as many days as hold 365,000 visits, packed                          < 10 s
//   AdminPurge         `lobrix-admin purge` of those 365,000 as a process                   < 10 s
#include "common/Clock.h"
#include "common/IniFile.h"
#include "common/ui/MessageBoxes.h"
#include "data/SqlResultModel.h"
#include "records/DataDeletion.h"
#include "records/VisitCorrection.h"
#include "records/ui/TEditieren.h"
#include "shell/EventLog.h"
#include "shell/SettingsKeys.h"
#include "shell/ui/LobrixApplication.h"

#include "BenchDesk.h"
#include "BenchInstallation.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <cstdio>
#include <memory>

using namespace lobrix;

namespace {

// The generated ten years: their first and last day.
const QDate kFirstDay(2016, 12, 10);
const QDate kLastDay = kFirstDay.addDays(3649);

QString workFolder() { return QDir(bench::benchFolder()).filePath(QStringLiteral("records")); }
QString workDb() { return QDir(workFolder()).filePath(QStringLiteral("db")); }
QString workStart() { return QDir(workFolder()).filePath(QStringLiteral("start")); }

void makeWorkCopy()
{
    QDir(workFolder()).removeRecursively();
    bench::copyFiles(bench::benchDb(), workDb());
    bench::copyFiles(QDir(bench::benchFolder()).filePath(QStringLiteral("start")), workStart());
    IniFile settings(QDir(workStart()).filePath(QStringLiteral("settings.ini")));
    shell::keys::write(settings, shell::keys::settings::DatenbankPfad, workDb());
    shell::keys::write(settings, shell::keys::settings::ListenPfad, workDb());
}

double seconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

struct Editing {
    FixedClock clock{QDateTime(kLastDay, QTime(12, 0))};
    shell::EventLog log{workDb(), [] { return QStringLiteral("bench"); }, clock};
    records::TEditieren window{workDb(), log, nullptr, clock};
};
std::unique_ptr<Editing> g_edit;

void EditList2Days(benchmark::State &state)
{
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        g_edit->window.Relist();
        QCoreApplication::processEvents();
        state.SetIterationTime(seconds(t));
        state.counters["rows"] = g_edit->window.listModel()->rowCount();
    }
}

// The first present visit of the list.
int presentRow()
{
    data::SqlResultModel *m = g_edit->window.listModel();
    const int geht = m->columnIndex(QStringLiteral("Geht"));
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->text(r, geht).trimmed().isEmpty())
            return r;
    return -1;
}

records::ListedVisit listed(int row)
{
    data::SqlResultModel *m = g_edit->window.listModel();
    const auto text = [&](const QString &c) { return m->text(row, m->columnIndex(c)).trimmed(); };
    records::ListedVisit v;
    v.key = {text(QStringLiteral("Vorgang")), text(QStringLiteral("Ausweis")), text(QStringLiteral("Tag")),
             text(QStringLiteral("Kommt"))};
    v.recno = m->text(row, 0).toInt();
    for (const QString &c : records::VisitCorrection::checkedColumns())
        v.values.insert(c, text(c));
    return v;
}

void EditSave(benchmark::State &state)
{
    g_edit->window.Relist();
    const int row = presentRow();
    if (row < 0) {
        state.SkipWithError("no present visit in the list");
        return;
    }
    records::ListedVisit v = listed(row);
    const records::VisitCorrection correction(workDb(), g_edit->log);
    int n = 0;
    for (auto _ : state) {
        records::CorrectedVisit visit;
        const QString name = QStringLiteral("Name %1").arg(++n);
        visit.person << registration::ColumnValue{QStringLiteral("Name"), name, QStringLiteral("Name")};
        visit.kommt = v.key.kommt;
        visit.tag = v.key.tag;
        QElapsedTimer t;
        t.start();
        const auto result = correction.save(v, visit);
        state.SetIterationTime(seconds(t));
        if (result.outcome != records::VisitCorrection::Outcome::Done) {
            state.SkipWithError(qPrintable(result.message));
            return;
        }
        // What the list shows after the save.
        v.values.insert(QStringLiteral("name"), name);
        v.values.insert(QStringLiteral("quittung"), QStringLiteral("nein"));
        v.values.insert(QStringLiteral("quittiert"), QStringLiteral("nein"));
    }
}

void EditSaveAndRelist(benchmark::State &state)
{
    auto *name = g_edit->window.findChild<QLineEdit *>(QStringLiteral("edName"));
    int n = 0;
    for (auto _ : state) {
        g_edit->window.Relist();
        g_edit->window.selectRow(presentRow());
        name->setText(QStringLiteral("Gast %1").arg(++n));
        QElapsedTimer t;
        t.start();
        g_edit->window.btnSpeichernClick();
        QCoreApplication::processEvents();
        state.SetIterationTime(seconds(t));
    }
}

void ReleaseBadges(benchmark::State &state)
{
    const records::VisitCorrection correction(workDb(), g_edit->log);
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const auto result = correction.releaseBadges();
        state.SetIterationTime(seconds(t));
        state.counters["freed"] = result.count;
    }
}

void CopyReference(benchmark::State &state)
{
    const QString from = QDir(bench::benchDb()).filePath(QStringLiteral("Besucher.dbf"));
    const QString to = QDir(bench::benchFolder()).filePath(QStringLiteral("Besucher-copy.dbf"));
    for (auto _ : state) {
        QFile::remove(to);
        QElapsedTimer t;
        t.start();
        QFile::copy(from, to);
        state.SetIterationTime(seconds(t));
    }
    QFile::remove(to);
}

void DeleteRange(benchmark::State &state)
{
    for (auto _ : state) {
        g_edit.reset();
        makeWorkCopy();
        QElapsedTimer t;
        t.start();
        const records::DeletionResult r = records::DataDeletion(workDb()).deleteRange(
            records::DeletionTarget::Visits, kFirstDay, kFirstDay.addDays(int(state.range(0)) - 1));
        state.SetIterationTime(seconds(t));
        state.counters["deleted"] = r.deleted;
        if (!r.packed)
            state.SkipWithError(qPrintable(r.packMessage));
    }
}

void AdminPurge(benchmark::State &state)
{
    const QString admin = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../lobrix-admin"));
    // Everything up to the day DeleteRange/1333 ends with.
    const QDate last = kFirstDay.addDays(1332);
    const qint64 days = last.daysTo(QDate::currentDate()) - 1;
    for (auto _ : state) {
        makeWorkCopy();
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.start(admin, {QStringLiteral("purge"), workStart(), QStringLiteral("--older-than"), QString::number(days)});
        p.waitForFinished(600000);
        state.SetIterationTime(seconds(t));
        if (p.exitCode() != 0)
            state.SkipWithError("lobrix-admin purge failed");
        state.counters["deleted"] = p.readAllStandardOutput().split(' ').value(0).toDouble();
    }
}

} // namespace

BENCHMARK(EditList2Days)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(EditSave)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true);
BENCHMARK(EditSaveAndRelist)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(ReleaseBadges)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(CopyReference)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(DeleteRange)->Arg(365)->Arg(1333)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(2)->ReportAggregatesOnly(true);
BENCHMARK(AdminPurge)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(2)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    shell::LobrixApplication app(argc, argv);
    bench::ensureInstallation();
    makeWorkCopy();
    ui::MessageBoxes::setHooks([](const ui::MessageRecord &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); },
                               [](const ui::MessageRecord &) { return true; });
    g_edit = std::make_unique<Editing>();
    g_edit->window.show();
    for (int i = 0; i <= records::TEditieren::WarningTicks; ++i)
        g_edit->window.TimerTimer();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_edit.reset();
    QDir(workFolder()).removeRecursively();
    return 0;
}

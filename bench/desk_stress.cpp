// Several workstations on one database folder, and workstations killed mid-save: runs
// WORKSTATIONS x SAVES arrival saves (with departures) at once, then KILLS rounds of a
// workstation killed at a random moment of its save cycle, and prints what went wrong,
// counted. Beside them all the time: a workstation that clicks "Ausweise freigeben" again
// and again, and a nightly purge that deletes old visits and packs the table.
//
//   desk_stress [WORKSTATIONS=4] [SAVES=1000] [KILLS=100]
//
// Every count but the saves should read 0. The workstations are the tests' desk_worker.
#include "common/Error.h"
#include "data/DbfTable.h"
#include "shell/EventLog.h"
#include "setup/Installation.h"
#include "shell/RegistrationLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

using namespace lobrix;

namespace {

struct Reports {
    QMap<QString, QString> saved; // visit number -> badge
    QSet<QString> departed;
    void take(const QByteArray &raw)
    {
        const QStringList parts = QString::fromUtf8(raw).trimmed().split(u' ');
        if (parts.size() == 3 && parts.at(0) == u"saved")
            saved.insert(parts.at(1), parts.at(2));
        else if (parts.size() == 3 && parts.at(0) == u"departed")
            departed.insert(parts.at(1));
    }
};

struct Counts {
    int visits = 0;
    int duplicateNumbers = 0;
    int lostVisits = 0;
    int lostDepartures = 0;
    int badgesHeldTwice = 0;
    int freeBadgesHeld = 0;
    int logLines = 0;
};

Counts count(const QString &db, const Reports &reports)
{
    Counts c;
    auto visits = data::DbfTable::open(data::DbfTable::resolve(db, QStringLiteral("Besucher.dbf")),
                                       data::DbfTable::Mode::ReadOnly);
    const int fVorgang = visits->fieldIndexOrThrow(QStringLiteral("Vorgang"));
    const int fAusweis = visits->fieldIndexOrThrow(QStringLiteral("Ausweis"));
    const int fGeht = visits->fieldIndexOrThrow(QStringLiteral("Geht"));
    const int fName = visits->fieldIndexOrThrow(QStringLiteral("Name"));
    QMap<QString, QString> gehtOf;
    QSet<QString> present;
    for (int r = 0; r < visits->recordCount(); ++r) {
        const data::DbfRecord record = visits->read(r);
        if (data::DbfTable::isDeleted(record.constData()))
            continue;
        if (visits->text(record.constData(), fName) == u"Alt")
            continue; // an old visit of the purge worker, not yet deleted
        ++c.visits;
        const QString number = visits->text(record.constData(), fVorgang);
        if (gehtOf.contains(number))
            ++c.duplicateNumbers;
        gehtOf.insert(number, visits->text(record.constData(), fGeht));
        if (visits->text(record.constData(), fGeht).isEmpty()) {
            const QString badge = visits->text(record.constData(), fAusweis);
            if (present.contains(badge))
                ++c.badgesHeldTwice;
            present << badge;
        }
    }
    for (auto it = reports.saved.cbegin(); it != reports.saved.cend(); ++it)
        c.lostVisits += gehtOf.contains(it.key()) ? 0 : 1;
    for (const QString &number : reports.departed)
        c.lostDepartures += gehtOf.value(number).isEmpty() ? 1 : 0;

    auto pool = data::DbfTable::open(data::DbfTable::resolve(db, QStringLiteral("Ausweis.dbf")),
                                     data::DbfTable::Mode::ReadOnly);
    const int fNumber = pool->fieldIndexOrThrow(QStringLiteral("Ausweis"));
    const int fKommt = pool->fieldIndexOrThrow(QStringLiteral("Kommt"));
    for (int r = 0; r < pool->recordCount(); ++r) {
        const data::DbfRecord record = pool->read(r);
        if (pool->text(record.constData(), fKommt) == u"25:00" &&
            present.contains(pool->text(record.constData(), fNumber)))
            ++c.freeBadgesHeld;
    }
    QFile log(data::DbfTable::resolve(db, QStringLiteral("BesucherLog.log")));
    if (log.open(QIODevice::ReadOnly))
        c.logLines = static_cast<int>(log.readAll().count('\n'));
    return c;
}

void print(const char *what, const Counts &c, const Reports &r)
{
    std::printf("%s: %d saves reported, %d departures reported, %d visits stored\n", what,
                static_cast<int>(r.saved.size()), static_cast<int>(r.departed.size()), c.visits);
    std::printf("  visit numbers used twice:            %d\n", c.duplicateNumbers);
    std::printf("  reported visits lost:                %d\n", c.lostVisits);
    std::printf("  reported departures lost:            %d\n", c.lostDepartures);
    std::printf("  badges held by two present visitors: %d\n", c.badgesHeldTwice);
    std::printf("  free badges held by a present visit: %d\n", c.freeBadgesHeld);
}

QStringList deskArguments(const QString &start, const QString &name, int saves, int seed)
{
    return {QStringLiteral("desk"), start, name, QString::number(saves), QString::number(seed)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int workstations = args.value(1, QStringLiteral("4")).toInt();
    const int saves = args.value(2, QStringLiteral("1000")).toInt();
    const int kills = args.value(3, QStringLiteral("100")).toInt();
    const QString worker = QStringLiteral(LOBRIX_DESK_WORKER);
    QTemporaryDir dir;
    const QString start = dir.filePath(QStringLiteral("start")), db = dir.filePath(QStringLiteral("db"));
    try {
        setup::Installation::Options options;
        options.badges = 5000;
        setup::Installation::create(start, db, options);
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }

    // The maintenance beside the desks, for the whole run.
    std::vector<std::unique_ptr<QProcess>> maintenance;
    for (const char *mode : {"release", "purge"}) {
        maintenance.push_back(std::make_unique<QProcess>());
        maintenance.back()->start(worker, {QString::fromLatin1(mode), start, QStringLiteral("0")});
    }

    // Part one: every workstation saving at once.
    Reports together;
    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int w = 0; w < workstations; ++w) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->start(worker, deskArguments(start, QStringLiteral("W%1").arg(w), saves, w));
    }
    int failed = 0;
    for (auto &p : processes) {
        p->waitForFinished(-1);
        failed += p->exitCode() != 0 ? 1 : 0;
        for (const QByteArray &line : p->readAllStandardOutput().split('\n'))
            together.take(line);
        std::fputs(p->readAllStandardError().constData(), stderr);
    }
    const qint64 elapsed = timer.elapsed();
    Counts c = count(db, together);
    print("together", c, together);
    // Two lines per arrival and per departure, up to the log's limit.
    const int expectedLines = std::min<int>(shell::EventLog::MaxLines,
                                            2 * static_cast<int>(together.saved.size() + together.departed.size()));
    std::printf("  log lines lost: %d\n", expectedLines - c.logLines);
    std::printf("  LastSatz: %s, workstations failed: %d, %.2f ms per save\n",
                qPrintable(shell::RegistrationLock(db).lastSatz() == c.visits ? QStringLiteral("= visits")
                                                                              : QStringLiteral("differs")),
                failed, double(elapsed) / std::max(1, workstations * saves));

    // Part two: one workstation killed at a random moment, again and again. The moment is
    // drawn from the whole cycle between two reported saves (form, save, departure), as the
    // worker shows it in that round, so the kills fall on every step of a save.
    Reports killed = together;
    QRandomGenerator random(2026);
    qint64 cycleSum = 0;
    for (int round = 0; round < kills; ++round) {
        QProcess p;
        p.start(worker, deskArguments(start, QStringLiteral("K%1").arg(round), 1000, 100 + round));
        const int after = 2 + static_cast<int>(random.bounded(3));
        int seen = 0;
        QElapsedTimer cycle;
        qint64 lastCycle = 0;
        while (seen < after && p.waitForReadyRead(30000)) {
            while (p.canReadLine()) {
                const QByteArray line = p.readLine();
                killed.take(line);
                if (!line.startsWith("saved "))
                    continue;
                if (cycle.isValid())
                    lastCycle = cycle.nsecsElapsed() / 1000;
                cycle.start();
                ++seen;
            }
        }
        cycleSum += lastCycle;
        const qint64 sinceSave = cycle.nsecsElapsed() / 1000;
        const qint64 wait = qint64(random.bounded(double(std::max<qint64>(lastCycle, 1)))) - sinceSave;
        if (wait > 0)
            QThread::usleep(static_cast<unsigned long>(wait));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        p.waitForFinished(-1);
        while (p.canReadLine())
            killed.take(p.readLine());
    }
    c = count(db, killed);
    print("after the kills", c, killed);
    std::printf("  kills drawn over a save cycle of %.1f ms on average\n", double(cycleSum) / std::max(1, kills) / 1000);
    int maintenanceFailed = 0;
    for (auto &p : maintenance) {
        p->closeWriteChannel();
        p->waitForFinished(-1);
        maintenanceFailed += p->exitCode() != 0 ? 1 : 0;
        std::fputs(p->readAllStandardError().constData(), stderr);
    }
    std::printf("  release and purge workers failed: %d\n", maintenanceFailed);
    shell::RegistrationLock next(db);
    std::printf("  next workstation blocked: %d\n", next.registrationLocked() ? 1 : 0);
    return 0;
}

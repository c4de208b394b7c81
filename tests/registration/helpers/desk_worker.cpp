// A workstation for the tests with several processes on one database folder.
//
//   desk_worker desk START NAME COUNT SEED [arrival:STEP|departure:STEP]
//                                           arrivals through the arrival service (with a
//                                           photo, a pre-registration and a master record);
//                                           after each one, with even odds, the departure
//                                           of a present visitor chosen at random. With a
//                                           step, the process kills itself right after the
//                                           first save reaches it.
//   desk_worker once START NAME             one arrival as `desk` makes it; with the fault
//                                           shim preloaded, armed for the save alone
//   desk_worker release START COUNT         "Ausweise freigeben" COUNT times
//   desk_worker purge START COUNT           COUNT rounds: 20 visits "Alt" of long ago
//                                           (without a visit number) appended,
//                                           then everything older than 100 days deleted
//                                           (both with COUNT 0: until standard input closes)
//   desk_worker toggle START COUNT          sets and clears the registration flag
//   desk_worker count START COUNT           raises LastSatz by one under the save lock
//   desk_worker log START COUNT NAME        writes COUNT event log entries "NAME i"
//
// Prints "saved <visit number> <badge>" once an arrival is stored, "departed <visit
// number> <badge>" once a departure is stored, "failed <message>" when `once` reports a
// failed save, and "done" at the end; every line is written
// with one write() so a kill never leaves half a line. Exit code 1 on an error.
#include "common/Clock.h"
#include "common/Error.h"
#include "data/DbfTable.h"
#include "registration/ArrivalService.h"
#include "registration/DepartureService.h"
#include "registration/VisitSaveLock.h"
#include "records/DataDeletion.h"
#include "records/VisitCorrection.h"
#include "shell/EventLog.h"
#include "shell/Session.h"

#include <QCoreApplication>
#include <QDate>

#include <csignal>
#include <dlfcn.h>
#include <cstdio>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <unistd.h>

using namespace lobrix;
using namespace lobrix::registration;

namespace {

void say(const QString &line)
{
    const QByteArray bytes = (line + u'\n').toUtf8();
    if (::write(1, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size())
        std::_Exit(1);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

ArrivalService::Input arrivalInput(const QString &name, int i)
{
    ArrivalService::Input input;
    input.visit.name = name;
    input.visit.vorname = QString::number(i);
    input.visit.land = QStringLiteral("Land %1 %2").arg(name).arg(i % 7);
    input.visit.photo = name + QStringLiteral(".bmp");
    input.storeAsMaster = true;
    input.preRegistration = QStringLiteral("1");
    return input;
}

int desk(shell::Session &session, const QString &name, int count, unsigned seed, const QString &crash)
{
    std::mt19937 random(seed);
    ArrivalService arrival(session);
    DepartureService departure(session);
    const auto crashAt = [&](const QString &service) {
        return [step = crash.section(u':', 1), matches = crash.section(u':', 0, 0) == service](const char *done) {
            if (matches && step == QLatin1String(done))
                ::raise(SIGKILL);
        };
    };
    arrival.setStepHook(crashAt(QStringLiteral("arrival")));
    departure.setStepHook(crashAt(QStringLiteral("departure")));
    for (int i = 0; i < count; ++i) {
        const auto &opening = arrival.open();
        ArrivalService::Input input = arrivalInput(name, i);
        input.badgeEntry = opening.badgeEntries.value(0);
        for (;;) {
            const auto result = arrival.save(input);
            if (result.status == ArrivalService::Result::Status::Saved) {
                say(QStringLiteral("saved %1 %2").arg(result.visitNumber).arg(result.badge));
                break;
            }
            if (result.status != ArrivalService::Result::Status::BadgeTaken || result.badgeEntries.isEmpty())
                return fail(result.message);
            input.badgeEntry = result.badgeEntries.first();
        }
        arrival.close();
        if (random() % 2 == 0)
            continue;

        const auto &out = departure.open();
        if (out.entries.isEmpty()) {
            departure.close();
            continue;
        }
        const int entry = static_cast<int>(random() % static_cast<unsigned>(out.entries.size()));
        const DepartureService::LoadedVisit loaded = departure.load(entry);
        const auto result = departure.save(loaded, loaded.visit, true);
        if (result.status == DepartureService::Result::Status::Saved && loaded.hasVisit)
            say(QStringLiteral("departed %1 %2").arg(loaded.vorgang).arg(loaded.badge));
        else if (result.status != DepartureService::Result::Status::Saved &&
                 result.status != DepartureService::Result::Status::Gone)
            return fail(result.message);
        departure.close();
    }
    return 0;
}

int once(shell::Session &session, const QString &name)
{
    using Arm = void (*)(int);
    using Fired = int (*)();
    const auto arm = reinterpret_cast<Arm>(dlsym(RTLD_DEFAULT, "lobrix_fault_arm"));
    const auto fired = reinterpret_cast<Fired>(dlsym(RTLD_DEFAULT, "lobrix_fault_fired"));
    ArrivalService arrival(session);
    ArrivalService::Input input = arrivalInput(name, 0);
    input.badgeEntry = arrival.open().badgeEntries.value(0);
    if (arm)
        arm(1);
    QString outcome;
    try {
        const auto result = arrival.save(input);
        if (arm)
            arm(0);
        outcome = result.status == ArrivalService::Result::Status::Saved
                      ? QStringLiteral("saved %1 %2 %3").arg(result.visitNumber).arg(result.badge).arg(result.message)
                      : QStringLiteral("failed %1").arg(result.message);
    } catch (const Error &e) {
        if (arm)
            arm(0);
        outcome = QStringLiteral("failed %1").arg(e.message());
    }
    say(outcome.simplified());
    if (fired)
        say(fired() ? QStringLiteral("fault fired") : QStringLiteral("fault missed"));
    return 0;
}

// COUNT rounds, or with 0 rounds until standard input closes.
class Rounds {
public:
    explicit Rounds(int count) : m_count(count)
    {
        if (count == 0)
            m_reader = std::thread([this] {
                char c;
                while (std::fread(&c, 1, 1, stdin) == 1) {
                }
                m_stop = true;
            });
    }
    ~Rounds()
    {
        if (m_reader.joinable())
            m_reader.join();
    }
    // A pause between rounds, as between two clicks: back to back, a maintenance loop
    // would hold the save lock nearly all the time and the desks would mostly wait.
    bool next()
    {
        if (m_done > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return m_count == 0 ? !m_stop.load() && ++m_done : m_done++ < m_count;
    }

private:
    int m_count;
    int m_done = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
};

int release(shell::Session &session, int count)
{
    const records::VisitCorrection correction(session.folders().database, session.eventLog());
    for (Rounds rounds(count); rounds.next();) {
        const auto result = correction.releaseBadges();
        if (result.outcome != records::VisitCorrection::Outcome::Done)
            return fail(result.message);
    }
    return 0;
}

// Old visits that a nightly purge deletes while the desk saves: the packs race the saves.
int purge(shell::Session &session, int count)
{
    const QString folder = session.folders().database;
    const QString longAgo = QDate::currentDate().addDays(-400).toString(QStringLiteral("dd.MM.yyyy"));
    for (Rounds rounds(count); rounds.next();) {
        {
            auto visits = data::DbfTable::open(data::DbfTable::resolve(folder, QStringLiteral("Besucher.dbf")));
            for (int v = 0; v < 20; ++v)
                // No visit number: a number of its own would raise the desks' next one.
                visits->append({{visits->fieldIndexOrThrow(QStringLiteral("Name")), QStringLiteral("Alt")},
                                {visits->fieldIndexOrThrow(QStringLiteral("Tag")), longAgo},
                                {visits->fieldIndexOrThrow(QStringLiteral("Kommt")), QStringLiteral("08:00")},
                                {visits->fieldIndexOrThrow(QStringLiteral("Geht")), QStringLiteral("09:00")}});
        }
        records::DataDeletion(folder).deleteRange(records::DeletionTarget::Visits, std::nullopt,
                                                  QDate::currentDate().addDays(-100));
    }
    return 0;
}

int toggle(shell::Session &session, int count)
{
    for (int i = 0; i < count; ++i) {
        session.registrationLock().setRegistrationLock();
        session.registrationLock().clearRegistrationLock();
    }
    return 0;
}

int countUp(shell::Session &session, int count)
{
    for (int i = 0; i < count; ++i) {
        VisitSaveLock lock(session.folders().database);
        if (!lock.acquired())
            return fail(VisitSaveLock::busyMessage());
        shell::RegistrationLock &counter = session.registrationLock();
        counter.raiseLastSatz(counter.lastSatz() + 1);
    }
    return 0;
}

int writeLog(shell::Session &session, int count, const QString &name)
{
    for (int i = 0; i < count; ++i)
        session.eventLog().writeEventLog(QStringLiteral("%1 %2").arg(name).arg(i));
    return 0;
}

// Keeps a table of the database folder open, as another workstation's window does, until
// its standard input closes.
int hold(shell::Session &session, const QString &table)
{
    auto open = data::DbfTable::open(data::DbfTable::resolve(session.folders().database, table));
    say(QStringLiteral("holding"));
    char c;
    while (std::fread(&c, 1, 1, stdin) == 1) {
    }
    return 0;
}

// Appends pre-registrations for today, as the other application does: "Gast N" / "N".
int announce(shell::Session &session, int count)
{
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    for (int i = 0; i < count; ++i) {
        auto table = data::DbfTable::open(data::DbfTable::resolve(session.folders().database,
                                                                  QStringLiteral("Voranmel.dbf")));
        table->append({{table->fieldIndexOrThrow(QStringLiteral("NR")), QString::number(1000 + i)},
                       {table->fieldIndexOrThrow(QStringLiteral("Name")), QStringLiteral("Gast %1").arg(i)},
                       {table->fieldIndexOrThrow(QStringLiteral("Vorname")), QString::number(i)},
                       {table->fieldIndexOrThrow(QStringLiteral("Tag")), today}});
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1);
    const qsizetype n = args.size();
    if (!((mode == u"desk" && (n == 6 || n == 7)) || (mode == u"toggle" && n == 4) ||
          (mode == u"count" && n == 4) || (mode == u"log" && n == 5) || (mode == u"once" && n == 4) ||
          (mode == u"release" && n == 4) || (mode == u"purge" && n == 4) ||
          (mode == u"hold" && n == 4) || (mode == u"announce" && n == 4))) {
        std::fprintf(stderr, "usage: desk_worker desk START NAME COUNT SEED [STEP] | once START NAME | release START COUNT | purge START COUNT | toggle START "
                             "COUNT | count START COUNT | log START COUNT NAME | hold START TABLE | announce START COUNT\n");
        return 2;
    }
    try {
        shell::Session session(args.at(2), systemClock());
        const int count = mode == u"hold" || mode == u"once" ? 0 : args.at(mode == u"desk" ? 4 : 3).toInt();
        int rc = 0;
        if (mode == u"desk")
            rc = desk(session, args.at(3), count, args.at(5).toUInt(), args.value(6));
        else if (mode == u"toggle")
            rc = toggle(session, count);
        else if (mode == u"count")
            rc = countUp(session, count);
        else if (mode == u"hold")
            rc = hold(session, args.at(3));
        else if (mode == u"announce")
            rc = announce(session, count);
        else if (mode == u"once")
            rc = once(session, args.at(3));
        else if (mode == u"release")
            rc = release(session, count);
        else if (mode == u"purge")
            rc = purge(session, count);
        else
            rc = writeLog(session, count, args.at(4));
        if (rc == 0)
            say(QStringLiteral("done"));
        return rc;
    } catch (const Error &e) {
        return fail(e.message());
    }
}

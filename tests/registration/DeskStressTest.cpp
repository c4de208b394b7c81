// Several workstations saving at once, and workstations killed in the middle of a save:
// no visit number twice, no reported visit lost, no badge held by two present visitors,
// and nobody blocked afterwards.
#include "DeskFixture.h"
#include "TestRegistry.h"

#include "common/Error.h"
#include "registration/ArrivalService.h"
#include "registration/DepartureService.h"
#include "shell/EventLog.h"
#include "shell/RegistrationLock.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <QTest>

#include <csignal>

using lobrix::test::DeskFixture;
using lobrix::test::Row;
using namespace lobrix;

namespace {

QString worker()
{
    return lobrix::test::deskWorkerProgram();
}

// What the workstations reported as stored.
struct Reports {
    QMap<QString, QString> saved;    // visit number -> badge
    QMap<QString, QString> departed; // visit number -> badge
    void take(const QString &line)
    {
        const QStringList parts = line.split(u' ');
        if (parts.size() == 3 && parts.at(0) == u"saved")
            saved.insert(parts.at(1), parts.at(2));
        else if (parts.size() == 3 && parts.at(0) == u"departed")
            departed.insert(parts.at(1), parts.at(2));
    }
};

// The rules that must hold between any two saves, whatever stopped a workstation.
void checkTables(const DeskFixture &f, const Reports &reports)
{
    const QList<Row> visits = f.rows(QStringLiteral("Besucher.dbf"));
    QMap<QString, Row> byNumber;
    QSet<QString> presentBadges;
    int highest = 0;
    for (const Row &visit : visits) {
        const QString number = visit.value("VORGANG");
        QVERIFY2(!byNumber.contains(number), qPrintable(QStringLiteral("Vorgang %1 twice").arg(number)));
        byNumber.insert(number, visit);
        highest = std::max(highest, number.toInt());
        if (visit.value("GEHT").isEmpty()) {
            const QString badge = visit.value("AUSWEIS");
            QVERIFY2(!presentBadges.contains(badge),
                     qPrintable(QStringLiteral("badge %1 held by two present visitors").arg(badge)));
            presentBadges << badge;
        }
    }
    for (auto it = reports.saved.cbegin(); it != reports.saved.cend(); ++it) {
        QVERIFY2(byNumber.contains(it.key()), qPrintable(QStringLiteral("saved visit %1 lost").arg(it.key())));
        QCOMPARE(byNumber.value(it.key()).value("AUSWEIS"), it.value());
    }
    for (auto it = reports.departed.cbegin(); it != reports.departed.cend(); ++it)
        QVERIFY2(!byNumber.value(it.key()).value("GEHT").isEmpty(),
                 qPrintable(QStringLiteral("departure of %1 lost").arg(it.key())));
    // A present visitor's badge is out, so nobody else can be given it.
    QSet<QString> outBadges;
    for (const Row &row : f.rows(QStringLiteral("Ausweis.dbf")))
        if (row.value("KOMMT") != u"25:00")
            outBadges << row.value("AUSWEIS");
    for (const QString &badge : std::as_const(presentBadges))
        QVERIFY2(outBadges.contains(badge), qPrintable(QStringLiteral("badge %1 free but held").arg(badge)));
    // The counter is raised before a visit carries the number.
    QVERIFY2(f.global("LastSatz").toInt() >= highest, qPrintable(f.global("LastSatz")));
}

// Workstations A, B, ... each saving `saves` arrivals (and departures) at once.
std::vector<std::unique_ptr<QProcess>> startDesks(const DeskFixture &f, int workstations, int saves, int seed)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int w = 0; w < workstations; ++w) {
        auto p = std::make_unique<QProcess>();
        p->start(worker(), {QStringLiteral("desk"), f.startFolder(), QString(QChar(u'A' + w)),
                            QString::number(saves), QString::number(seed + w)});
        processes.push_back(std::move(p));
    }
    return processes;
}

void waitForDesks(std::vector<std::unique_ptr<QProcess>> &processes, Reports &reports)
{
    for (auto &p : processes) {
        QVERIFY(p->waitForFinished(600000));
        QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        for (const QByteArray &line : p->readAllStandardOutput().split('\n'))
            reports.take(QString::fromUtf8(line));
    }
}

} // namespace

class DeskStressTest : public QObject {
    Q_OBJECT
private slots:
    void fourWorkstationsAtOnce();
    void releaseAndPurgeBesideFourWorkstations();
    void flagTogglerBesideLockedIncrements();
    void killedInTheMiddleOfSaves();
    void killedAfterEveryStepOfASave();
    void eventLogAtItsLimitFromTwoWorkstations();
};

void DeskStressTest::fourWorkstationsAtOnce()
{
    constexpr int Workstations = 4, Saves = 100;
    DeskFixture f(Workstations * Saves);
    QVERIFY2(QFile::exists(worker()), "build the target desk_worker");
    auto processes = startDesks(f, Workstations, Saves, 1000);
    Reports reports;
    waitForDesks(processes, reports);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(reports.saved.size(), Workstations * Saves);
    checkTables(f, reports);
    QCOMPARE(f.rows(QStringLiteral("Besucher.dbf")).size(), Workstations * Saves);
    QCOMPARE(f.global("LastSatz"), QString::number(Workstations * Saves));
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
    // Two lines per arrival and two per departure, none lost to a rewrite.
    QCOMPARE(f.logLines().size(), 2 * (reports.saved.size() + reports.departed.size()));
    // Every country once, none lost between two workstations adding at the same time.
    const QStringList countries = QString::fromLatin1(
        [&] {
            QFile file(f.dbFile(QStringLiteral("Laender.ini")));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (int w = 0; w < Workstations; ++w)
        for (int i = 0; i < 7; ++i)
            QCOMPARE(countries.count(QStringLiteral("Land %1 %2").arg(QChar(u'A' + w)).arg(i)), 1);
}

// "Ausweise freigeben" again and again, and a nightly purge that deletes old visits and
// packs the table, while four workstations save: no badge goes to two present visitors,
// no reported visit or departure is lost to a pack.
void DeskStressTest::releaseAndPurgeBesideFourWorkstations()
{
    constexpr int Workstations = 4, Saves = 100;
    DeskFixture f(Workstations * Saves);
    auto desks = startDesks(f, Workstations, Saves, 2000);
    std::vector<std::unique_ptr<QProcess>> maintenance;
    for (const char *mode : {"release", "purge"}) {
        auto p = std::make_unique<QProcess>();
        p->start(worker(), {QString::fromLatin1(mode), f.startFolder(), QStringLiteral("0")}); // until told
        QVERIFY(p->waitForStarted());
        maintenance.push_back(std::move(p));
    }
    Reports reports;
    waitForDesks(desks, reports);
    for (auto &p : maintenance) {
        p->closeWriteChannel();
        QVERIFY(p->waitForFinished(600000));
        QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    }
    QCOMPARE(reports.saved.size(), Workstations * Saves);
    checkTables(f, reports);
    QCOMPARE(f.rows(QStringLiteral("Besucher.dbf")).size(), Workstations * Saves);
}

// Setting and clearing the flag rewrites Global.ini; it must never put back an older
// LastSatz that a locked increment wrote meanwhile.
void DeskStressTest::flagTogglerBesideLockedIncrements()
{
    constexpr int Increments = 500;
    DeskFixture f(1);
    QProcess a, b, toggler;
    a.start(worker(), {QStringLiteral("count"), f.startFolder(), QString::number(Increments)});
    b.start(worker(), {QStringLiteral("count"), f.startFolder(), QString::number(Increments)});
    toggler.start(worker(), {QStringLiteral("toggle"), f.startFolder(), QString::number(2 * Increments)});
    for (QProcess *p : {&a, &b, &toggler}) {
        QVERIFY(p->waitForFinished(600000));
        QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    }
    QCOMPARE(f.global("LastSatz"), QString::number(2 * Increments));
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
}

void DeskStressTest::killedInTheMiddleOfSaves()
{
    constexpr int Kills = 30;
    DeskFixture f(400);
    Reports reports;
    QRandomGenerator random(4711);
    for (int round = 0; round < Kills; ++round) {
        QProcess p;
        p.start(worker(), {QStringLiteral("desk"), f.startFolder(), QStringLiteral("K%1").arg(round),
                           QStringLiteral("1000"), QString::number(round)});
        QVERIFY(p.waitForStarted());
        // Kill after a few reported saves, at a moment that falls anywhere in a save.
        const int after = 1 + static_cast<int>(random.bounded(4));
        int seen = 0;
        while (seen < after) {
            QVERIFY2(p.waitForReadyRead(30000), p.readAllStandardError().constData());
            while (p.canReadLine()) {
                const QString line = QString::fromUtf8(p.readLine()).trimmed();
                reports.take(line);
                seen += line.startsWith(QStringLiteral("saved ")) ? 1 : 0;
            }
        }
        QThread::usleep(random.bounded(3000));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished(30000));
        while (p.canReadLine())
            reports.take(QString::fromUtf8(p.readLine()).trimmed());
        checkTables(f, reports);
        if (QTest::currentTestFailed())
            return;
    }
    // The next workstation is not blocked by the flag a killed one left, and its arrival
    // gets a new number and a free badge.
    auto next = f.otherSession();
    QVERIFY(!next->registrationLock().registrationLocked());
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
    registration::ArrivalService service(*next);
    const auto &opening = service.open();
    registration::ArrivalService::Input input;
    input.visit.name = QStringLiteral("Danach");
    input.badgeEntry = opening.badgeEntries.value(0);
    const auto result = service.save(input);
    QCOMPARE(result.status, registration::ArrivalService::Result::Status::Saved);
    QVERIFY(!reports.saved.contains(result.visitNumber));
    reports.saved.insert(result.visitNumber, QString::number(result.badge));
    checkTables(f, reports);
}

// A workstation stopped right after each write of an arrival and of a departure, one step
// after the other on the same folder: the next workstations carry on safely.
void DeskStressTest::killedAfterEveryStepOfASave()
{
    DeskFixture f(100);
    f.append(QStringLiteral("Voranmel.dbf"), {{"NR", "1"}, {"Name", "Vorab"}});
    Reports reports;
    QStringList crashes;
    for (const QString &step : registration::ArrivalService::saveSteps())
        crashes << QStringLiteral("arrival:") + step;
    for (const QString &step : registration::DepartureService::saveSteps())
        crashes << QStringLiteral("departure:") + step;
    int round = 0;
    for (const QString &crash : std::as_const(crashes)) {
        QProcess p;
        p.start(worker(), {QStringLiteral("desk"), f.startFolder(), QStringLiteral("S%1").arg(round),
                           QStringLiteral("200"), QString::number(round), crash});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitStatus() == QProcess::CrashExit,
                 qPrintable(crash + QStringLiteral(" never reached: ") + p.readAllStandardError()));
        for (const QByteArray &line : p.readAllStandardOutput().split('\n'))
            reports.take(QString::fromUtf8(line));
        checkTables(f, reports);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("after a kill at ") + crash));
        ++round;
    }
    // Then two whole workstations more: nothing left behind gets in their way.
    QProcess a, b;
    a.start(worker(), {QStringLiteral("desk"), f.startFolder(), QStringLiteral("X"), QStringLiteral("20"), QStringLiteral("7")});
    b.start(worker(), {QStringLiteral("desk"), f.startFolder(), QStringLiteral("Y"), QStringLiteral("20"), QStringLiteral("8")});
    for (QProcess *p : {&a, &b}) {
        QVERIFY(p->waitForFinished(60000));
        QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        for (const QByteArray &line : p->readAllStandardOutput().split('\n'))
            reports.take(QString::fromUtf8(line));
    }
    checkTables(f, reports);
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
}

// At its limit every entry drops the oldest line and rewrites the log: two workstations
// doing that at once must keep each other's entries.
void DeskStressTest::eventLogAtItsLimitFromTwoWorkstations()
{
    constexpr int Entries = 150;
    DeskFixture f(1);
    {
        QFile log(QDir(f.db()).filePath(QStringLiteral("BesucherLog.log")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        for (int i = 0; i < shell::EventLog::MaxLines; ++i)
            log.write(QByteArrayLiteral("alt ") + QByteArray::number(i) + "\r\n");
    }
    QProcess a, b;
    a.start(worker(), {QStringLiteral("log"), f.startFolder(), QString::number(Entries), QStringLiteral("A")});
    b.start(worker(), {QStringLiteral("log"), f.startFolder(), QString::number(Entries), QStringLiteral("B")});
    for (QProcess *p : {&a, &b}) {
        QVERIFY(p->waitForFinished(120000));
        QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    }
    const QStringList lines = f.logLines();
    QCOMPARE(lines.size(), shell::EventLog::MaxLines);
    QCOMPARE(lines.first(), QStringLiteral("alt %1").arg(2 * Entries)); // the oldest ones went
    for (const char *name : {"A", "B"}) {
        int previous = -1;
        for (const QString &line : lines) {
            const qsizetype at = line.indexOf(QStringLiteral(" --> %1 ").arg(QLatin1String(name)));
            if (at < 0)
                continue;
            const int number = line.mid(at + 7).toInt();
            QCOMPARE(number, previous + 1); // each entry once, in order
            previous = number;
        }
        QCOMPARE(previous, Entries - 1);
    }
}

LOBRIX_TEST(DeskStressTest)
#include "DeskStressTest.moc"

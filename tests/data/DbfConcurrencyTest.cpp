// Several workstations on one table: concurrent appends and updates, writers killed at
// random moments, and exclusive use (pack, add field) while others have the table open.
#include "DbfTestSupport.h"
#include "TestRegistry.h"
#include "helpers/StressRecord.h"

#include "data/DbfLocks.h"
#include "data/DbfTable.h"

#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

using lobrix::data::DbfLocks;
using lobrix::data::DbfTable;
namespace dbf = lobrix::test::dbf;
namespace stress = lobrix::test::stress;

namespace {

const QString kInUse =
    QStringLiteral("Die Tabelle 'Besucher.dbf' wird von einem anderen Arbeitsplatz "
                   "benutzt und kann nicht exklusiv geöffnet werden.");

struct Committed {
    int worker;
    int seq;
};

// "<recno> <seq>" lines that a helper printed once its append had returned.
QList<QPair<int, int>> reported(QProcess &p)
{
    QList<QPair<int, int>> out;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            out.append({parts[0].toInt(), parts[1].toInt()});
    }
    return out;
}

// Starts the helper holding the table open and waits until it has it.
std::unique_ptr<QProcess> holdOpen(const QString &path, const QString &mode)
{
    auto p = std::make_unique<QProcess>();
    p->start(dbf::helperProgram(), {"hold", path, mode});
    if (!p->waitForReadyRead(10000) || !p->readAllStandardOutput().startsWith("ready"))
        return nullptr;
    return p;
}

void release(QProcess &p)
{
    p.closeWriteChannel();
    p.waitForFinished(10000);
}

} // namespace

class DbfConcurrencyTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(dbf::helperProgram()), qPrintable(dbf::helperProgram()));
    }

    // Four workstations append 300 records each and keep changing their own field of one
    // shared record: no record lost or torn, the count exact, every update kept.
    void appendsAndUpdatesFromSeveralProcesses()
    {
        constexpr int perWorker = 300;
        QTemporaryDir dir;
        const QString path = dir.filePath("Stress.dbf");
        DbfTable::create(path, stress::fields());
        DbfTable::open(path)->append({});

        std::vector<std::unique_ptr<QProcess>> workers;
        for (int w = 1; w <= stress::kWorkers; ++w) {
            workers.push_back(std::make_unique<QProcess>());
            workers.back()->start(dbf::helperProgram(),
                                  {"append", path, QString::number(w), QString::number(perWorker)});
        }
        for (auto &p : workers) {
            QVERIFY(p->waitForReadyRead(10000));
            QCOMPARE(p->readLine(), QByteArray("ready\n"));
        }
        for (auto &p : workers)
            p->write("go\n");
        QHash<int, Committed> byRecno;
        for (int w = 1; w <= stress::kWorkers; ++w) {
            QProcess &p = *workers[w - 1];
            QVERIFY(p.waitForFinished(60000));
            QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
            const auto lines = reported(p);
            QCOMPARE(lines.size(), perWorker);
            for (const auto &[recno, seq] : lines) {
                QVERIFY2(!byRecno.contains(recno), "two appends got the same record number");
                byRecno.insert(recno, {w, seq});
            }
        }

        auto t = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        const int total = 1 + stress::kWorkers * perWorker;
        QCOMPARE(t->recordCount(), total);
        QCOMPARE(dbf::headerCount(dbf::readFile(path)), quint32(total));
        QVERIFY(!t->health().damaged());
        const QByteArray block = t->readBlock(0, total);
        QCOMPARE(block.size(), qsizetype(total) * t->recordSize());
        QSet<QPair<int, int>> seen;
        for (int r = 1; r < total; ++r) {
            int worker = 0, seq = 0;
            QVERIFY2(stress::intact(*t, block.constData() + qsizetype(r) * t->recordSize(), &worker,
                                    &seq),
                     qPrintable(QString("record %1 torn").arg(r)));
            QCOMPARE(worker, byRecno.value(r).worker);
            QCOMPARE(seq, byRecno.value(r).seq);
            seen.insert({worker, seq});
        }
        QCOMPARE(seen.size(), total - 1);
        for (int w = 1; w <= stress::kWorkers; ++w)
            QCOMPARE(t->text(block.constData(), t->fieldIndex(QString("U%1").arg(w))),
                     QString::number(perWorker));
    }

    // A write waits while another workstation holds the lock it needs.
    void writesWaitForLocksHeldElsewhere_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<qint64>("lockByte");
        QTest::newRow("append") << "append" << DbfLocks::kAppend;
        QTest::newRow("update") << "update" << DbfLocks::kRecordBase + 1;
        QTest::newRow("delete") << "delete" << DbfLocks::kRecordBase + 1;
        QTest::newRow("repair") << "repair" << DbfLocks::kAppend;
    }

    void writesWaitForLocksHeldElsewhere()
    {
        QFETCH(QString, write);
        QFETCH(qint64, lockByte);
        QTemporaryDir dir;
        const QString path = dir.filePath("t.dbf");
        DbfTable::create(path, {{"NAME", 'C', 10, 0, 0}});
        auto t = DbfTable::open(path);
        t->append({{0, "eins"}});
        t->append({{0, "zwei"}});
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(fd >= 0);
        DbfLocks other(fd);
        QCOMPARE(other.tryLock(lockByte, true), DbfLocks::Result::Locked);
        std::atomic<bool> released{false};
        std::thread holder([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            released = true;
            other.unlock(lockByte);
        });
        if (write == "append")
            t->append({{0, "drei"}});
        else if (write == "update")
            t->update(1, {{0, "neu"}});
        else if (write == "delete")
            t->setDeleted(1);
        else
            t->repair();
        const bool waited = released;
        holder.join();
        ::close(fd);
        QVERIFY2(waited, "wrote while another workstation held the lock");
    }

    // A writer killed at random moments: every record it reported as committed is intact,
    // the table always opens with whole records only, and appends go on behind them.
    void killedWriterLosesNoCommittedRecord()
    {
        constexpr int rounds = 50;
        QTemporaryDir dir;
        const QString path = dir.filePath("Stress.dbf");
        DbfTable::create(path, stress::fields());
        QRandomGenerator random(20051021);
        QHash<int, Committed> committed;
        int verified = 0;
        for (int round = 1; round <= rounds; ++round) {
            QProcess writer;
            writer.start(dbf::helperProgram(), {"writer", path, QString::number(round)});
            // Killed once it is writing, at a random moment.
            QVERIFY(writer.waitForReadyRead(10000));
            QThread::usleep(random.bounded(0, 3000));
            ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished(10000));
            for (const auto &[recno, seq] : reported(writer))
                committed.insert(recno, {round, seq});

            auto t = DbfTable::open(path);
            const int count = t->recordCount();
            const QByteArray block = t->readBlock(verified, count - verified);
            QCOMPARE(block.size(), qsizetype(count - verified) * t->recordSize());
            for (int r = verified; r < count; ++r) {
                int worker = 0, seq = 0;
                const char *rec = block.constData() + qsizetype(r - verified) * t->recordSize();
                QVERIFY2(stress::intact(*t, rec, &worker, &seq),
                         qPrintable(QString("record %1 torn").arg(r)));
                if (committed.contains(r)) {
                    QCOMPARE(worker, committed.value(r).worker);
                    QCOMPARE(seq, committed.value(r).seq);
                }
            }
            for (auto it = committed.cbegin(); it != committed.cend(); ++it)
                QVERIFY2(it.key() < count, "a committed record is missing");
            verified = count;
        }

        auto t = DbfTable::open(path);
        const int recno = t->append(stress::values(*t, 99, 1));
        QCOMPARE(recno, verified);
        const DbfTable::Health h = t->health();
        QCOMPARE(h.headerCount, verified + 1);
        QVERIFY(!h.damaged() && !h.missingEndMarker);
    }

    void exclusiveUseRefusedWhileOpenElsewhere_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::newRow("another process, shared") << "process shared";
        QTest::newRow("this process, shared") << "table shared";
        QTest::newRow("this process, read-only") << "table read-only";
    }

    void exclusiveUseRefusedWhileOpenElsewhere()
    {
        QFETCH(QString, holder);
        QTemporaryDir dir;
        const QString path = dir.filePath("Besucher.dbf");
        DbfTable::create(path, {{"NAME", 'C', 10, 0, 0}});
        {
            auto t = DbfTable::open(path);
            for (const char *name : {"eins", "zwei", "drei"})
                t->append({{0, name}});
            t->setDeleted(1);
        }
        std::unique_ptr<QProcess> process;
        std::unique_ptr<DbfTable> table;
        if (holder == "process shared") {
            process = holdOpen(path, "shared");
            QVERIFY(process);
        } else {
            table = DbfTable::open(path, holder == "table shared" ? DbfTable::Mode::Shared
                                                                  : DbfTable::Mode::ReadOnly);
        }
        auto mine = DbfTable::open(path);
        const QByteArray before = dbf::readFile(path);
        QCOMPARE(dbf::errorOf([&] { DbfTable::open(path, DbfTable::Mode::Exclusive); }), kInUse);
        QCOMPARE(dbf::errorOf([&] { mine->pack(); }), kInUse);
        QCOMPARE(dbf::errorOf([&] { mine->addField({"NEU", 'C', 5, 0, 0}); }), kInUse);
        QCOMPARE(dbf::readFile(path), before);
        QCOMPARE(mine->fields().size(), 1);

        if (process)
            release(*process);
        table.reset();
        // The refused switch kept this table's shared use: nobody else gets exclusive use.
        QCOMPARE(dbf::errorOf([&] { DbfTable::open(path, DbfTable::Mode::Exclusive); }), kInUse);
        mine->pack();
        mine->addField({"NEU", 'C', 5, 0, 0});
        QCOMPARE(mine->recordCount(), 2);
        QCOMPARE(mine->text(mine->read(1).constData(), 0), QString("drei"));
        // And after the rewrite it is back to shared use.
        auto other = DbfTable::open(path);
        QCOMPARE(other->fields().size(), 2);
    }

    // A workstation that opens the table while another packs it waits for the pack (and
    // says so once) instead of failing; the exclusive open of a second pack does not wait.
    void openWaitsForAPack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Besucher.dbf");
        DbfTable::create(path, {{"NAME", 'C', 10, 0, 0}});
        std::atomic<bool> holding{false};
        std::thread packer([&] {
            auto exclusive = DbfTable::open(path, DbfTable::Mode::Exclusive);
            holding = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        });
        while (!holding)
            std::this_thread::yield();
        QVERIFY(!dbf::errorOf([&] { DbfTable::open(path, DbfTable::Mode::Exclusive); }).isEmpty());
        int notices = 0;
        {
            const DbfTable::WaitNotice notice([&] { ++notices; });
            auto shared = DbfTable::open(path);
            QCOMPARE(shared->recordCount(), 0);
        }
        packer.join();
        QCOMPARE(notices, 1);
        // Without a pack, nobody is told anything.
        const DbfTable::WaitNotice notice([&] { ++notices; });
        DbfTable::open(path);
        QCOMPARE(notices, 1);
    }

    // A pack that replaces the file between a workstation's open and its lock: the
    // workstation opens the new file, and what it appends is in the table, not in the
    // unlinked old one.
    void packBetweenOpenAndLockLosesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Besucher.dbf");
        DbfTable::create(path, {{"NAME", 'C', 10, 0, 0}});
        {
            auto t = DbfTable::open(path);
            for (const char *name : {"alt", "bleibt"})
                t->append({{0, QString::fromLatin1(name)}});
            t->setDeleted(0);
        }
        int packs = 0;
        DbfTable::setOpenedHook([&] {
            if (packs++ > 0)
                return;
            auto packer = DbfTable::open(path, DbfTable::Mode::Exclusive);
            packer->pack();
        });
        std::unique_ptr<DbfTable> desk;
        const QString error = dbf::errorOf([&] { desk = DbfTable::open(path); });
        DbfTable::setOpenedHook({});
        QCOMPARE(error, QString());
        QVERIFY(packs >= 1);
        desk->append({{0, QStringLiteral("neu")}});
        desk.reset();
        auto check = DbfTable::open(path, DbfTable::Mode::ReadOnly);
        QCOMPARE(check->recordCount(), 2);
        QCOMPARE(check->text(check->read(0).constData(), 0), QStringLiteral("bleibt"));
        QCOMPARE(check->text(check->read(1).constData(), 0), QStringLiteral("neu"));
    }

    void openRefusedDuringExclusiveUse_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("shared") << int(DbfTable::Mode::Shared);
        QTest::newRow("read-only") << int(DbfTable::Mode::ReadOnly);
        QTest::newRow("exclusive") << int(DbfTable::Mode::Exclusive);
    }

    void openRefusedDuringExclusiveUse()
    {
        QFETCH(int, mode);
        QTemporaryDir dir;
        const QString path = dir.filePath("Besucher.dbf");
        DbfTable::create(path, {{"NAME", 'C', 10, 0, 0}});
        auto holder = holdOpen(path, "exclusive");
        QVERIFY(holder);
        const QString message = dbf::errorOf([&] { DbfTable::open(path, DbfTable::Mode(mode)); });
        QVERIFY2(message.contains("'Besucher.dbf' wird von einem anderen Arbeitsplatz"),
                 qPrintable(message));
        release(*holder);
        QVERIFY(DbfTable::open(path, DbfTable::Mode(mode)));
    }
};

LOBRIX_TEST(DbfConcurrencyTest)
#include "DbfConcurrencyTest.moc"

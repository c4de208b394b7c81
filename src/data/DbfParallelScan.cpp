#include "data/DbfParallelScan.h"

#include "common/Error.h"
#include "data/DbfTable.h"

#include <QByteArray>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace lobrix::data {

namespace {

void pauseBriefly()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

struct Block {
    int first = 0;          // its first record number
    QByteArray bytes;       // the records read, or with `compact` only those that pass
    std::vector<int> passing; // index in the block of each record that passes
    bool compact = false;
    QString error; // the read failed when not empty

    const char *record(size_t k, int recordSize) const
    {
        const qsizetype at = compact ? static_cast<qsizetype>(k) : passing[k];
        return bytes.constData() + at * recordSize;
    }
};

} // namespace

// The reader reads the even blocks itself, when it gets to them; one helper thread reads
// the odd ones ahead into a ring. Each side wakes the other only when it waits, so a
// scan costs a few wake-ups rather than two per block.
struct DbfParallelScan::State {
    const DbfTable &table;
    BlockFilter filter;
    int total = 0;
    int perBlock = 1;
    int blocks = 0;
    int recordSize = 1;

    std::mutex mutex;
    std::condition_variable helperWake;
    std::condition_variable readerWake;
    std::vector<Block> ring; // helper block j (block 2j + 1) goes to ring[j % size]
    std::atomic<int> helperDone = 0; // helper blocks filled, in order (set under the mutex)
    int helperReleased = 0;  // helper blocks the reader is done with
    bool helperWaiting = false;
    bool readerWaiting = false;
    bool stopping = false;
    std::thread helper;

    Block own;        // the reader's even blocks
    Block scratch;    // the helper reads into this one buffer, which stays in its cache,
                      // and copies only the passing records into the ring
    int current = -1; // block being handed out
    size_t passIndex = 0;
    bool ended = false;

    State(const DbfTable &t, BlockFilter f) : table(t), filter(std::move(f)) {}

    int ringSize() const { return static_cast<int>(ring.size()); }
    // Free slots for helper block j.
    int freeFor(int j) const { return helperReleased + ringSize() - j; }
    // A waiting helper is woken once half the ring is free, not for every slot: on a
    // virtual machine each wake-up costs about as much as reading a block.
    int wakeHelperAt() const { return std::max(1, ringSize() / 2); }
    Block &blockAt(int block) { return block % 2 == 0 ? own : ring[static_cast<size_t>(block / 2 % ringSize())]; }

    void fill(Block &b, int block)
    {
        b.first = block * perBlock;
        b.passing.clear();
        b.error.clear();
        const int got = table.readBlock(b.first, std::min(perBlock, total - b.first), b.bytes);
        filter(b.bytes.constData(), got, b.passing);
    }

    void help()
    {
        for (int j = 0; 2 * j + 1 < blocks; ++j) {
            {
                std::unique_lock lock(mutex);
                if (!stopping && freeFor(j) <= 0) {
                    helperWaiting = true;
                    helperWake.wait(lock, [&] { return stopping || freeFor(j) >= wakeHelperAt(); });
                    helperWaiting = false;
                }
                if (stopping)
                    return;
            }
            Block &b = ring[static_cast<size_t>(j % ringSize())];
            try {
                fill(scratch, 2 * j + 1);
                b.first = scratch.first;
                b.passing = scratch.passing;
                b.compact = true;
                b.bytes.resize(static_cast<qsizetype>(b.passing.size()) * recordSize);
                for (size_t k = 0; k < b.passing.size(); ++k)
                    std::memcpy(b.bytes.data() + static_cast<qsizetype>(k) * recordSize,
                                scratch.record(k, recordSize), static_cast<size_t>(recordSize));
                b.error.clear();
            } catch (const Error &e) {
                b.error = e.message();
            } catch (const std::exception &e) {
                b.error = QString::fromLocal8Bit(e.what());
            }
            std::lock_guard lock(mutex);
            helperDone.store(j + 1, std::memory_order_release);
            if (readerWaiting)
                readerWake.notify_one();
            if (!b.error.isEmpty())
                return; // the reader stops there
        }
    }

    void stop()
    {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        helperWake.notify_one();
        if (helper.joinable())
            helper.join();
    }

    // Makes `current + 1` the current block, read and filtered.
    void advance()
    {
        if (current >= 0 && current % 2 == 1) {
            std::lock_guard lock(mutex);
            ++helperReleased;
            if (helperWaiting && freeFor(helperDone) >= wakeHelperAt())
                helperWake.notify_one();
        }
        passIndex = 0;
        if (++current >= blocks) {
            ended = true;
            return;
        }
        if (current % 2 == 0) {
            try {
                fill(own, current);
            } catch (...) {
                ended = true;
                throw;
            }
            return;
        }
        const int j = current / 2;
        // The helper is usually a fraction of a block behind: waiting briefly costs less
        // than being put to sleep and woken.
        for (int spin = 0; spin < 4000 && helperDone.load(std::memory_order_acquire) <= j; ++spin)
            pauseBriefly();
        std::unique_lock lock(mutex);
        if (helperDone <= j) {
            readerWaiting = true;
            readerWake.wait(lock, [&] { return helperDone > j; });
            readerWaiting = false;
        }
        if (const Block &b = blockAt(current); !b.error.isEmpty()) {
            ended = true; // nothing after a failed block is handed out
            throw Error(b.error);
        }
    }
};

DbfParallelScan::DbfParallelScan(const DbfTable &table, int total, BlockFilter filter)
    : DbfParallelScan(table, total, std::move(filter), Options())
{
}

DbfParallelScan::DbfParallelScan(const DbfTable &table, int total, BlockFilter filter,
                                 Options options)
    : d(std::make_unique<State>(table, std::move(filter)))
{
    d->total = std::max(0, total);
    d->recordSize = std::max(1, table.recordSize());
    d->perBlock = std::max(1, options.blockBytes / d->recordSize);
    d->blocks = static_cast<int>((static_cast<long long>(d->total) + d->perBlock - 1) / d->perBlock);
    d->ring.resize(static_cast<size_t>(std::max(1, options.ring)));
    if (d->blocks > 1)
        d->helper = std::thread([state = d.get()] { state->help(); });
}

DbfParallelScan::~DbfParallelScan() { d->stop(); }

const char *DbfParallelScan::next(int *recno)
{
    State &s = *d;
    while (!s.ended) {
        if (s.current >= 0) {
            const Block &b = s.blockAt(s.current);
            if (s.passIndex < b.passing.size()) {
                const size_t k = s.passIndex++;
                *recno = b.first + b.passing[k];
                return b.record(k, s.recordSize);
            }
        }
        s.advance();
    }
    return nullptr;
}

bool DbfParallelScan::worthwhile(long long bytes)
{
    // Below a few blocks, starting threads costs more than it saves.
    return bytes >= (8LL << 20) && std::thread::hardware_concurrency() >= 2;
}

} // namespace lobrix::data

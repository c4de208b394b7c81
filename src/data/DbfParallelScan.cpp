#include "data/DbfParallelScan.h"

#include "common/Error.h"
#include "data/DbfTable.h"
#include "data/TableScan.h"

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

// Large block buffers are kept from scan to scan: fresh memory costs a page fault per
// 4 KiB on first use, which on a virtual machine adds up to more than reading the block.
// Small tables' buffers come from the heap as they are.
class BufferPool {
public:
    QByteArray take(qsizetype capacity)
    {
        QByteArray b;
        if (capacity >= kWorthKeeping) {
            std::lock_guard lock(m_mutex);
            if (!m_free.empty()) {
                b = std::move(m_free.back());
                m_free.pop_back();
            }
        }
        b.reserve(capacity);
        return b;
    }
    void giveBack(QByteArray &&b)
    {
        std::lock_guard lock(m_mutex);
        if (m_free.size() < kKept && b.capacity() >= kWorthKeeping && b.capacity() <= kLargest)
            m_free.push_back(std::move(b));
    }

private:
    static constexpr size_t kKept = 16;
    static constexpr qsizetype kWorthKeeping = 256 << 10;
    static constexpr qsizetype kLargest = 2 << 20;
    std::mutex m_mutex;
    std::vector<QByteArray> m_free;
};

BufferPool &bufferPool()
{
    // Never destroyed: a scan still open while statics are torn down at exit gives its
    // buffers back all the same.
    static auto *pool = new BufferPool;
    return *pool;
}

} // namespace

// Blocks are taken in file order by whichever thread is free: the helper thread reads
// ahead, and the reader reads the block it needs itself when nobody has taken it yet, or
// reads ahead while the helper finishes the one it needs. So the faster core does more;
// on a virtual machine the two cores are seldom equally fast. A block read ahead goes to
// ring[block % size], with only the records that pass unless a quarter or more do; the
// reader's own block is handed out from its buffer as read.
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
    std::vector<Block> ring;
    std::vector<std::atomic<int>> readyBlock; // per slot: the block it holds, once filled
    int taken = 0;    // blocks taken by either thread, in order
    int released = 0; // blocks the reader is done with
    bool helperWaiting = false;
    bool readerWaiting = false;
    bool stopping = false;
    std::thread helper;

    Block helperBuffer; // each thread reads into one buffer that stays in its cache
    Block readerBuffer;
    const Block *current = nullptr; // the block being handed out
    int currentBlock = -1;
    size_t passIndex = 0;
    bool ended = false;

    State(const DbfTable &t, BlockFilter f) : table(t), filter(std::move(f)) {}

    void takeBuffers(qsizetype capacity, bool withHelper)
    {
        readerBuffer.bytes = bufferPool().take(capacity);
        if (!withHelper)
            return; // only the reader's buffer is used
        helperBuffer.bytes = bufferPool().take(capacity);
        for (Block &b : ring)
            b.bytes = bufferPool().take(capacity);
    }

    ~State()
    {
        bufferPool().giveBack(std::move(helperBuffer.bytes));
        bufferPool().giveBack(std::move(readerBuffer.bytes));
        for (Block &b : ring)
            bufferPool().giveBack(std::move(b.bytes));
    }

    int ringSize() const { return static_cast<int>(ring.size()); }
    Block &slotOf(int block) { return ring[static_cast<size_t>(block % ringSize())]; }
    // Under the mutex: the next block may be taken once its slot is free.
    bool canTake() const { return taken < blocks && taken < released + ringSize(); }
    // A waiting helper is woken once half the ring is free, not for every slot: on a
    // virtual machine each wake-up costs about as much as reading a block.
    bool helperShouldWake() const
    {
        return taken >= blocks || taken < released + std::max(1, ringSize() / 2);
    }

    void fill(Block &b, int block)
    {
        b.first = block * perBlock;
        b.passing.clear();
        b.error.clear();
        b.compact = false;
        const int got = table.readBlock(b.first, std::min(perBlock, total - b.first), b.bytes);
        filter(b.bytes.constData(), got, b.passing);
    }

    // Reads `block` into `buffer` and puts the passing records into its ring slot; a
    // failure is kept there for the reader. False when it failed.
    bool readAhead(Block &buffer, int block)
    {
        Block &slot = slotOf(block);
        try {
            fill(buffer, block);
            slot.first = buffer.first;
            slot.passing.swap(buffer.passing);
            slot.error.clear();
            // Few passing records are copied out, so the thread's buffer stays where it
            // is; when many pass, the buffers trade places instead of copying them all.
            slot.compact = slot.passing.size() * 4 < static_cast<size_t>(perBlock);
            if (!slot.compact) {
                slot.bytes.swap(buffer.bytes);
            } else {
                slot.bytes.resize(static_cast<qsizetype>(slot.passing.size()) * recordSize);
                for (size_t k = 0; k < slot.passing.size(); ++k)
                    std::memcpy(slot.bytes.data() + static_cast<qsizetype>(k) * recordSize,
                                buffer.bytes.constData() + qsizetype(slot.passing[k]) * recordSize,
                                static_cast<size_t>(recordSize));
            }
        } catch (const Error &e) {
            slot.error = e.message();
        } catch (const std::exception &e) {
            slot.error = QString::fromLocal8Bit(e.what());
        }
        std::lock_guard lock(mutex);
        readyBlock[static_cast<size_t>(block % ringSize())].store(block, std::memory_order_release);
        if (readerWaiting)
            readerWake.notify_one();
        return slot.error.isEmpty();
    }

    void help()
    {
        for (;;) {
            int block = 0;
            {
                std::unique_lock lock(mutex);
                if (!stopping && !canTake() && taken < blocks) {
                    helperWaiting = true;
                    helperWake.wait(lock, [&] { return stopping || helperShouldWake(); });
                    helperWaiting = false;
                }
                if (stopping || taken >= blocks)
                    return;
                block = taken++;
            }
            if (!readAhead(helperBuffer, block))
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

    bool isReady(int block) const
    {
        return readyBlock[static_cast<size_t>(block % ringSize())].load(std::memory_order_acquire) == block;
    }

    // Makes the next block the current one, read and filtered.
    void advance()
    {
        passIndex = 0;
        current = nullptr;
        const int wanted = ++currentBlock;
        std::unique_lock lock(mutex);
        if (wanted > 0) {
            released = wanted;
            if (helperWaiting && helperShouldWake())
                helperWake.notify_one();
        }
        if (wanted >= blocks) {
            ended = true;
            return;
        }
        if (taken == wanted) { // nobody has it: read it here and hand it out as read
            ++taken;
            lock.unlock();
            try {
                fill(readerBuffer, wanted);
            } catch (...) {
                ended = true;
                throw;
            }
            current = &readerBuffer;
            return;
        }
        // The helper has it. While it is not ready, read ahead rather than wait idle.
        while (!isReady(wanted)) {
            if (canTake()) {
                const int block = taken++;
                lock.unlock();
                readAhead(readerBuffer, block);
                lock.lock();
                continue;
            }
            lock.unlock();
            // Usually the helper is a fraction of a block from done: waiting briefly
            // costs less than being put to sleep and woken.
            for (int spin = 0; spin < 4000 && !isReady(wanted); ++spin)
                pauseBriefly();
            lock.lock();
            if (!isReady(wanted)) {
                readerWaiting = true;
                readerWake.wait(lock, [&] { return isReady(wanted) || canTake(); });
                readerWaiting = false;
            }
        }
        const Block &b = slotOf(wanted);
        if (!b.error.isEmpty()) {
            ended = true; // nothing after a failed block is handed out
            throw Error(b.error);
        }
        current = &b;
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
    const int blockBytes = options.blockBytes > 0 ? options.blockBytes : ScanBlockBytes;
    d->perBlock = std::max(1, blockBytes / d->recordSize);
    d->blocks = static_cast<int>((static_cast<long long>(d->total) + d->perBlock - 1) / d->perBlock);
    d->ring.resize(static_cast<size_t>(std::max(1, options.ring)));
    d->readyBlock = std::vector<std::atomic<int>>(d->ring.size());
    for (auto &r : d->readyBlock)
        r.store(-1);
    const bool withHelper = options.helper && d->blocks > 1;
    // A small table needs no more than its own size.
    d->takeBuffers(static_cast<qsizetype>(std::min(d->perBlock, d->total)) * d->recordSize, withHelper);
    if (withHelper)
        d->helper = std::thread([state = d.get()] { state->help(); });
}

DbfParallelScan::~DbfParallelScan() { d->stop(); }

const char *DbfParallelScan::next(int *recno)
{
    State &s = *d;
    while (!s.ended) {
        if (s.current) {
            const Block &b = *s.current;
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

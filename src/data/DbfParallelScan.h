#pragma once
// A scan over a large table that reads on two threads.
//
// Reading a table from the page cache is bound by copying the bytes; on a machine with
// two cores, two threads copying different blocks nearly halve that. The reading thread
// and a helper thread take the blocks in turn, whichever is free, and pick out the
// records that pass a filter; the reader gets those records in file order. Block buffers
// (at most 16 of blockBytes) are kept for the next scan.
#include <functional>
#include <memory>
#include <vector>

namespace lobrix::data {

class DbfTable;

class DbfParallelScan {
public:
    // Picks the records of one block that pass: `block` holds `count` whole records of
    // `recordSize` bytes; append the index within the block of each one that passes, in
    // order. Runs on the reading threads, so it may only read state that stays unchanged
    // for the scan's lifetime.
    using BlockFilter =
        std::function<void(const char *block, int count, std::vector<int> &passing)>;

    struct Options {
        int blockBytes = 0; // 0: ScanBlockBytes (TableScan.h)
        int ring = 8;               // blocks read ahead of the reader, at most
        bool helper = true;         // without, the scan reads every block itself
    };

    // Scans records [0, total) of `table`, which must outlive the scan and stay open.
    DbfParallelScan(const DbfTable &table, int total, BlockFilter filter);
    DbfParallelScan(const DbfTable &table, int total, BlockFilter filter, Options options);
    // Stops the reading threads (also mid-scan) and waits for them.
    ~DbfParallelScan();
    DbfParallelScan(const DbfParallelScan &) = delete;
    DbfParallelScan &operator=(const DbfParallelScan &) = delete;

    // The next record that passes, or nullptr at the end; `recno` gets its number. The
    // bytes stay valid until the next call. A read error of a reading thread is thrown
    // here as lobrix::Error, in order: every record before it has been handed out.
    const char *next(int *recno);

    // Whether a table of this many bytes is worth a helper thread at all.
    static bool worthwhile(long long bytes);

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace lobrix::data

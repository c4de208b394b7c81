#pragma once
// Reading a table whole in blocks, for the scans of the services and the cursor.
#include "data/DbfTable.h"
#include "data/RecordFilter.h"

#include <algorithm>
#include <memory>

namespace lobrix::data {

// One read of a scan, chosen by measurement (bench_data ScanBlocks, present visits among
// 1,000,000): 64 KiB 58 ms, 256 KiB 42 ms, 512 KiB 40 ms, 2 MiB 45 ms, 8 MiB 47 ms. Larger
// blocks no longer fit the cache between the read and the filter.
inline constexpr int ScanBlockBytes = 512 << 10;

// A table of the folder, found without regard to case.
inline std::unique_ptr<DbfTable> openTable(const QString &folder, const char *fileName,
                                           DbfTable::Mode mode = DbfTable::Mode::Shared)
{
    return DbfTable::open(DbfTable::resolve(folder, QString::fromLatin1(fileName)), mode);
}

// Calls visit(recno, record) for every record that passes `filter` (an empty filter: every
// record not marked deleted), in stored order. The record count is taken once at the
// start: rows appended meanwhile are not visited.
template <typename Visit>
void forEachRecord(const DbfTable &table, const RecordFilter &filter, Visit visit)
{
    if (filter.isNever())
        return;
    const int count = table.recordCount();
    const qsizetype size = table.recordSize();
    const int blockRecords =
        std::max(1, static_cast<int>(ScanBlockBytes / std::max<qsizetype>(size, 1)));
    QByteArray block;
    for (int first = 0; first < count; first += blockRecords) {
        const int wanted = std::min(blockRecords, count - first);
        const int got = table.readBlock(first, wanted, block);
        for (int i = 0; i < got; ++i) {
            const char *record = block.constData() + i * size;
            if (filter.passes(record))
                visit(first + i, record);
        }
        if (got < wanted)
            break;
    }
}

template <typename Visit> void forEachRecord(const DbfTable &table, Visit visit)
{
    forEachRecord(table, RecordFilter(), visit);
}

} // namespace lobrix::data

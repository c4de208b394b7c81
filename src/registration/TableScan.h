#pragma once
// Opening the tables of the database folder and reading them whole in blocks, for the
// scans of the visit services.
#include "data/DbfTable.h"

#include <algorithm>
#include <memory>

namespace lobrix::registration {

// A table of the folder, found without regard to case.
inline std::unique_ptr<data::DbfTable> openTable(const QString &folder, const char *fileName,
                                                 data::DbfTable::Mode mode = data::DbfTable::Mode::Shared)
{
    return data::DbfTable::open(data::DbfTable::resolve(folder, QString::fromLatin1(fileName)), mode);
}

// Calls visit(recno, record) for every record not marked deleted, in stored order. The
// record count is taken once at the start: rows appended meanwhile are not visited.
template <typename Visit> void forEachRecord(const data::DbfTable &table, Visit visit)
{
    const int count = table.recordCount();
    const qsizetype size = table.recordSize();
    // About 2 MB per read: large enough for the speed of a plain sequential read.
    const int blockRecords = std::max(1, static_cast<int>((2 << 20) / std::max<qsizetype>(size, 1)));
    QByteArray block;
    for (int first = 0; first < count; first += blockRecords) {
        const int wanted = std::min(blockRecords, count - first);
        const int got = table.readBlock(first, wanted, block);
        for (int i = 0; i < got; ++i) {
            const char *record = block.constData() + i * size;
            if (!data::DbfTable::isDeleted(record))
                visit(first + i, record);
        }
        if (got < wanted)
            break;
    }
}

} // namespace lobrix::registration

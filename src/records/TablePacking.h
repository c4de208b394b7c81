#pragma once
// Packing a table after records were deleted. Packing needs the table to itself; while
// another workstation has it open the deleted records stay deleted (no one sees them) and
// the file is compacted by the next pack.
#include <QString>

namespace lobrix::data {
class DbfTable;
}

namespace lobrix::records {

struct PackOutcome {
    bool packed = true;
    // Why the file was not compacted, for the user; empty when it was.
    QString message;
};

PackOutcome packTable(data::DbfTable &table);

} // namespace lobrix::records

#include "records/TablePacking.h"

#include "common/Error.h"
#include "data/DbfTable.h"

namespace lobrix::records {

PackOutcome packTable(data::DbfTable &table)
{
    try {
        table.pack();
        return {};
    } catch (const Error &e) {
        return {false, QStringLiteral("Die Datensätze sind gelöscht, aber die Datei %1 konnte nicht verdichtet "
                                      "werden: %2 Sie wird beim nächsten Löschen verdichtet.")
                           .arg(table.fileName(), e.message())};
    }
}

} // namespace lobrix::records

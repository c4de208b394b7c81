#pragma once
// BesucherDruck.dbf in the start folder: the one row that external print documents (a
// word processor's mail merge, say) read. Each external print overwrites it with the
// visit the form shows.
#include <QString>

namespace lobrix::layouts {

struct PrintedVisit;

class PrintTable
{
public:
    // Writes the row (Tag: the visit's form date): edits the table's current (first) row and adds
    // one only when the table has none. A start folder without the table gets a new one of the
    // standard structure; columns an older table lacks are left out, and typed texts longer than
    // their column are cut as a save cuts them. Throws lobrix::Error when the table
    // cannot be written or a value cannot be stored; nothing is written then.
    static void FillPrintTable(const QString &startFolder, const PrintedVisit &visit);
};

} // namespace lobrix::layouts

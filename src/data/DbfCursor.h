#pragma once
// A cursor over one table for the operations the windows use: go through the rows that
// meet a few conditions, read and change fields by name, append and delete.
//
// Conditions carry their values bound, as data, so a name with an apostrophe is matched
// like any other text; no filter text is ever parsed. Rows marked deleted are invisible.
// The rows are read in blocks; a changed or appended row is written at post().
#include "data/DbfTable.h"
#include "data/RecordFilter.h"

#include <QMap>

#include <memory>

namespace lobrix::data {

class DbfCursor {
public:
    // Opens folder/fileName (found without regard to case).
    DbfCursor(const QString &folder, const QString &fileName,
              DbfTable::Mode mode = DbfTable::Mode::Shared);
    explicit DbfCursor(std::unique_ptr<DbfTable> table);
    ~DbfCursor();
    DbfCursor(const DbfCursor &) = delete;
    DbfCursor &operator=(const DbfCursor &) = delete;

    DbfTable &table() { return *m_table; }

    // Conditions, all of which a row must meet. Field names without regard to case; an
    // unknown field throws lobrix::Error. Setting a condition posts pending changes and moves
    // to no row (call first()).
    // The meaning of each condition is RecordFilter's.
    // A C field's text (right-trimmed) equals `value` (right-trimmed) exactly; on any other
    // field type it throws.
    void whereText(const QString &field, const QString &value);
    // The field's number (decimal comma or point) equals `value`; rows whose field is
    // empty or no number never do.
    void whereNumber(const QString &field, double value);
    // A D field's date lies between the two date texts (DD.MM.YYYY), both included; an
    // empty bound leaves that side open. Rows without a date never do. A bound that is no
    // date, or a field of another type, throws lobrix::Error naming the field.
    void whereDateBetween(const QString &field, const QString &from, const QString &to);
    void clearConditions();

    // Moving posts pending changes first.
    bool first();
    bool next();
    bool eof() const { return m_recno < 0 && !m_appending; }
    int recno() const { return m_recno; }
    // Rows that meet the conditions now; the position is kept.
    int count() const;
    // Moves to the first row that meets the conditions and whose field equals value.
    bool locate(const QString &field, const QString &value, bool caseInsensitive = false);

    // Field of the current row (or of pending changes) as text; L fields "T"/"F"/"".
    QString value(const QString &field) const;
    // 1, 0, or -1 for unknown.
    int logical(const QString &field) const;

    // Changes a field of the current row, or of the row being appended. The text is
    // checked at once (lobrix::Error naming the field); nothing is written before post().
    void setValue(const QString &field, const QString &text);
    // Starts a new row; post() appends it and makes it the current row.
    void append();
    // Writes the pending changes: only the changed fields, under the record lock.
    void post();
    void cancel();
    bool hasPendingChanges() const { return m_appending || !m_pending.isEmpty(); }
    // Marks the current row deleted and moves to the next row that meets the conditions.
    void deleteRecord();

private:
    const DbfField &fieldOfType(const QString &field, char type, const char *kind) const;
    bool moveFrom(int recno);
    const char *current() const;
    QString storedText(int field, const QString &text) const;
    void reloadCurrent();
    void requireRow() const;
    void resetScan();

    std::unique_ptr<DbfTable> m_table;
    RecordFilter m_filter;
    QByteArray m_block;   // records read in one go
    int m_blockFirst = 0; // record number of the first record in m_block
    int m_scanCount = 0;  // records in the table when the scan started
    int m_recno = -1;     // current row, -1 when there is none
    bool m_appending = false;
    QMap<int, QString> m_pending; // field -> text, already checked
};

} // namespace lobrix::data

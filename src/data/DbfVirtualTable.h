#pragma once
// The SQLite virtual table module "dbfvt": one dBASE file as an SQL table.
//   CREATE VIRTUAL TABLE temp."Besucher.dbf" USING dbfvt('/path/to/BESUCHER.DBF')
// Text fields are right-trimmed with German ordering, dates are DD.MM.YYYY with date
// ordering, numbers are numbers, logicals 1/0. Equality and date or number ranges are
// checked on the stored bytes while scanning, before any field is decoded.
struct sqlite3;

namespace lobrix::data {

inline constexpr const char *kDbfModuleName = "dbfvt";

// readOnly: every table is opened for reading only (reports, also on a read-only share).
void registerDbfModule(sqlite3 *db, bool readOnly = false);

} // namespace lobrix::data

#pragma once
// Reading the SQL texts the program and its users write, before SQLite sees them.
#include "data/DbfField.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace lobrix::data {

// Puts double quotes around unquoted table names with the extension .dbf, outside string
// literals, quoted names and comments: From Besucher.dbf -> From "Besucher.dbf".
QString quoteDbfTableNames(const QString &sql);

// The statements that change a table's structure; SQLite's own DDL does not apply to our
// files, so we carry them out ourselves.
struct DdlStatement {
    enum class Kind { None, CreateTable, AlterTableAdd };
    Kind kind = Kind::None;
    QString table;              // file name, ".dbf" added when it has no extension
    QVector<DbfField> fields;   // types mapped to dBASE fields
};
// Kind::None for any other statement. Throws lobrix::Error for a malformed CREATE TABLE or
// ALTER TABLE, and for a type the dBASE files cannot hold.
DdlStatement parseDdl(const QString &sql);

// Maps an SQL type text (CHAR(n), VARCHAR(n), NUMERIC(p,s), DECIMAL(p,s), FLOAT(p,s),
// SMALLINT, INTEGER, DATE, BOOLEAN, BLOB(n,1), MEMO) to a dBASE field. Throws lobrix::Error.
DbfField dbfFieldForSqlType(const QString &fieldName, const QString &typeText);

// Column name as a dBASE engine presents it: upper case, at most 10 characters.
QString dbaseColumnName(const QString &name);

} // namespace lobrix::data

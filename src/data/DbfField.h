#pragma once
// The field descriptions, stored records and written values of a dBASE table: what the
// header, the codecs, the SQL layer and the structure defaults share.
#include <QByteArray>
#include <QString>
#include <QVector>

namespace lobrix::data {

struct DbfField {
    QString name;    // as stored in the header (usually upper case)
    char type = 'C'; // C N F D L M (I B T Y + G P read as raw where the file has them)
    int length = 0;  // bytes in the record
    int decimals = 0;
    int offset = 0; // byte offset in the record; 0 is the deletion flag
};

// A record as it is stored: recordSize() bytes, byte 0 the deletion flag.
using DbfRecord = QByteArray;

// A value for an append or update: field index -> text in the program's text form
// (C: text; N/F: decimal text with "." ; D: DD.MM.YYYY or empty; L: "T"/"F"/"" or
// "1"/"0"/"ja"/"nein"/"true"/"false").
struct DbfValue {
    int field;
    QString text;
};
using DbfValues = QVector<DbfValue>;

} // namespace lobrix::data

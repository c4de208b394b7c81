#pragma once
// The header of a dBASE file: the first 32 bytes, the field descriptors and the 0x0D
// terminator (Visual FoxPro adds a 263-byte backlink behind it; the header length in bytes
// 8-9 covers it).
#include "data/DbfField.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVector>

namespace lobrix::data {

struct DbfHeader {
    static constexpr int kPrefixSize = 32;
    static constexpr int kDescriptorSize = 32;

    quint8 version = 0x03;
    quint8 languageByte = 0;
    quint32 recordCount = 0;
    int headerLength = 0;
    int recordSize = 0;
    QVector<DbfField> fields; // VFP system fields (_NullFlags) are left out
    int terminatorOffset = 0; // position of the 0x0D byte

    static bool isSupportedVersion(quint8 version);
    static bool isVisualFoxPro(quint8 version) { return version == 0x30; }

    // Header length and record count from the first 32 bytes.
    static int headerLengthOf(const char *prefix);
    static int recordSizeOf(const char *prefix);
    static quint32 recordCountOf(const char *prefix);

    // Parses a complete header (headerLengthOf(prefix) bytes). Throws lobrix::Error
    // naming fileName when the version is not supported, a field type is unknown or the
    // lengths disagree with the field descriptors.
    static DbfHeader parse(const QByteArray &bytes, const QString &fileName);

    // Throws lobrix::Error when a field cannot be written into a new table or column.
    // Fills in the length of D and L fields when it is 0.
    static void checkNewField(DbfField &field, const QString &fileName);
    // A 32-byte field descriptor.
    static QByteArray descriptor(const DbfField &field, bool visualFoxPro);
    // A new dBASE III header for empty tables.
    static QByteArray build(QVector<DbfField> fields, quint8 languageByte);

    // Bytes 1-3 (date of last update) and 4-7 (record count) in place.
    static void putDate(char *header, QDate date);
    static void putCount(char *header, quint32 count);
    static void putHeaderLength(char *header, int length);
    static void putRecordSize(char *header, int size);
};

} // namespace lobrix::data

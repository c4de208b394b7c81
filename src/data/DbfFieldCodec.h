#pragma once
// Stored bytes of a dBASE field <-> the program's text form of the value.
#include "common/CodePage.h"
#include "data/DbfField.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace lobrix::data {

class DbfFieldCodec {
public:
    // Text of a field of a stored record (memo fields give "": the table reads memos).
    static QString text(const DbfField &field, quint8 version, CodePage cp, const char *record);
    // 1 true, 0 false, -1 unknown. L fields by their byte; other fields by their text.
    static int logical(const DbfField &field, const char *record);

    // Fields stored as binary numbers (Visual FoxPro) are blank as zero bytes.
    static bool isBinary(const DbfField &field, quint8 version);
    // Writes the blank value of the field into the record.
    static void blank(const DbfField &field, quint8 version, char *record);

    // The stored bytes of a value (field.length bytes). Throws lobrix::Error naming the
    // table and the field when the text does not fit the field.
    static QByteArray encode(const DbfField &field, quint8 version, CodePage cp,
                             const QString &text, const QString &fileName);

    // A date text ("DD.MM.YYYY", also "YYYY-MM-DD" and "YYYYMMDD") as stored "YYYYMMDD";
    // empty text gives 8 spaces. False when the text is no valid date.
    static bool storedDate(QStringView text, QByteArray &out);
    // "DD.MM.YYYY" for stored "YYYYMMDD"; "" for blanks, zeros and anything else.
    static QString dateText(const char *stored);
    // "T"/"J"/"Y"/"1"/"ja"/"true" -> 1, "F"/"N"/"0"/"nein"/"false" -> 0, ""/"?" -> -1,
    // without regard to case. False for anything else.
    static bool parseLogical(QStringView text, int &value);
    // A decimal text formatted with `decimals` places (rounded half away from zero).
    // False when the text is not a decimal number.
    static bool formatNumber(QStringView text, int decimals, QByteArray &out);
};

} // namespace lobrix::data

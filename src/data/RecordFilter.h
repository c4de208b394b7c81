#pragma once
// Conditions on the stored bytes of a table's records, all of which a record must meet
// (AND). The SQL engine, DbfCursor and the block scans of the services filter with it, so
// a condition means the same wherever it is asked:
//
// - text: a C field's stored text equals the value exactly (the field's blank or NUL
//   padding aside); case and accents count.
// - numbers: the stored text read as a number with a decimal comma or point; a blank
//   field, or one that holds no number, meets no number condition.
// - dates: a D field in date order, the empty date before every date.
//
// The values are bound as data; no filter text is ever parsed.
#include "common/CodePage.h"
#include "data/DbfField.h"

#include <QByteArray>

#include <vector>

namespace lobrix::data {

class RecordFilter {
public:
    enum class Op { Eq, Lt, Le, Gt, Ge };

    // `bytes` is the value in the table's code page without trailing blanks.
    void textEquals(const DbfField &field, QByteArray bytes);
    // The same for a text as the program holds it: trailing blanks dropped, encoded in the
    // table's code page; a text the code page cannot hold is in no row.
    void textEquals(const DbfField &field, CodePage codePage, const QString &text);
    void number(const DbfField &field, Op op, double value);
    // `dateText` is DD.MM.YYYY, or empty for the empty date; any other text orders after
    // every date. A stored date that is not eight digits reads as empty.
    void date(const DbfField &field, Op op, const QByteArray &dateText);
    // No record passes: a comparison with NULL, a text the field cannot hold, a field
    // that is gone from the file.
    void never() { m_never = true; }

    bool isNever() const { return m_never; }
    bool isEmpty() const { return !m_never && m_conditions.empty(); }
    // True for a record not marked deleted that meets every condition.
    bool passes(const char *record) const;

    // A stored number: blanks and NULs around it ignored, a decimal comma read as a
    // point, only digits, sign, point and exponent allowed. False when it is none.
    static bool storedNumber(const char *p, int len, double *out);
    // A stored date: eight digits, not all zero. Blank or damaged dates read as empty.
    static bool isStoredDate(const char *p, int len);

private:
    struct Condition {
        enum class Kind { Text, Number, Date } kind = Kind::Text;
        Op op = Op::Eq;
        int offset = 0;
        int length = 0;
        QByteArray bytes;    // Text
        double number = 0;   // Number
        int dateRank = 0;    // Date: 0 the empty date, 1 a date, 2 other text
        quint64 dateKey = 0; // Date: YYYYMMDD read big-endian, so integers order like bytes
    };
    static bool meets(const char *record, const Condition &c);

    std::vector<Condition> m_conditions;
    bool m_never = false;
};

} // namespace lobrix::data

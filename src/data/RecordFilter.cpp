#include "data/RecordFilter.h"

#include "data/DbfTable.h"
#include "data/SqlCollations.h"

#include <QtEndian>

#include <cstdlib>
#include <cstring>

namespace lobrix::data {
namespace {

bool blankBytes(const char *p, int len)
{
    for (int i = 0; i < len; ++i)
        if (p[i] != ' ' && p[i] != '\0')
            return false;
    return true;
}

bool compare(RecordFilter::Op op, int r)
{
    switch (op) {
    case RecordFilter::Op::Eq:
        return r == 0;
    case RecordFilter::Op::Lt:
        return r < 0;
    case RecordFilter::Op::Le:
        return r <= 0;
    case RecordFilter::Op::Gt:
        return r > 0;
    case RecordFilter::Op::Ge:
        return r >= 0;
    }
    return false;
}

quint64 bigEndian8(const char *p)
{
    quint64 v;
    std::memcpy(&v, p, 8);
    return qFromBigEndian(v);
}

// True when all eight bytes are the digits 0-9.
bool eightDigits(quint64 v)
{
    constexpr quint64 highNibbles = 0xF0F0F0F0F0F0F0F0ull;
    return (v & highNibbles) == 0x3030303030303030ull &&
           (((v & 0x0F0F0F0F0F0F0F0Full) + 0x0606060606060606ull) & highNibbles) == 0;
}

} // namespace

bool RecordFilter::storedNumber(const char *p, int len, double *out)
{
    char buf[64];
    int n = 0;
    for (int i = 0; i < len; ++i) {
        const char c = p[i];
        if (c == ' ' || c == '\0')
            continue;
        const bool allowed = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' ||
                             c == ',' || c == 'e' || c == 'E';
        if (!allowed || n == 63)
            return false;
        buf[n++] = c == ',' ? '.' : c;
    }
    if (n == 0)
        return false;
    buf[n] = 0;
    char *end = nullptr;
    *out = std::strtod(buf, &end);
    return end && *end == 0;
}

bool RecordFilter::isStoredDate(const char *p, int len)
{
    if (len != 8)
        return false;
    const quint64 v = bigEndian8(p);
    return eightDigits(v) && v != 0x3030303030303030ull;
}

void RecordFilter::textEquals(const DbfField &field, QByteArray bytes)
{
    if (bytes.size() > field.length) {
        never(); // a stored text can never be that long
        return;
    }
    Condition c;
    c.kind = Condition::Kind::Text;
    c.offset = field.offset;
    c.length = field.length;
    c.bytes = std::move(bytes);
    m_conditions.push_back(std::move(c));
}

void RecordFilter::textEquals(const DbfField &field, CodePage codePage, const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    QByteArray bytes;
    if (encode(codePage, text.left(end), bytes))
        textEquals(field, std::move(bytes));
    else
        never();
}

void RecordFilter::number(const DbfField &field, Op op, double value)
{
    Condition c;
    c.kind = Condition::Kind::Number;
    c.op = op;
    c.offset = field.offset;
    c.length = field.length;
    c.number = value;
    m_conditions.push_back(std::move(c));
}

void RecordFilter::date(const DbfField &field, Op op, const QByteArray &dateText)
{
    Condition c;
    c.kind = Condition::Kind::Date;
    c.op = op;
    c.offset = field.offset;
    c.length = field.length;
    const QByteArray key = dateTextToKey(dateText.constData(), static_cast<int>(dateText.size()));
    c.dateRank = dateText.isEmpty() ? 0 : (key.isEmpty() ? 2 : 1);
    if (c.dateRank == 1)
        c.dateKey = bigEndian8(key.constData());
    m_conditions.push_back(std::move(c));
}

bool RecordFilter::meets(const char *record, const Condition &c)
{
    const char *p = record + c.offset;
    const int len = c.length;
    switch (c.kind) {
    case Condition::Kind::Text: {
        const int n = static_cast<int>(c.bytes.size());
        return (n == 0 || std::memcmp(p, c.bytes.constData(), static_cast<size_t>(n)) == 0) &&
               blankBytes(p + n, len - n);
    }
    case Condition::Kind::Date: {
        const bool isDate = isStoredDate(p, len);
        const quint64 v = isDate ? bigEndian8(p) : 0;
        if (isDate && c.dateRank == 1)
            return compare(c.op, v < c.dateKey ? -1 : (v > c.dateKey ? 1 : 0));
        return compare(c.op, (isDate ? 1 : 0) - c.dateRank);
    }
    case Condition::Kind::Number: {
        double v = 0;
        if (!storedNumber(p, len, &v))
            return false;
        return compare(c.op, v < c.number ? -1 : (v > c.number ? 1 : 0));
    }
    }
    return false;
}

bool RecordFilter::passes(const char *record) const
{
    if (m_never || DbfTable::isDeleted(record))
        return false;
    for (const Condition &c : m_conditions)
        if (!meets(record, c))
            return false;
    return true;
}

} // namespace lobrix::data

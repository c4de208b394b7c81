#include "data/DbfCursor.h"

#include "data/DbfFieldCodec.h"

namespace lobrix::data {
namespace {

// About 256 KB per read keeps scans near the speed of a plain sequential read.
constexpr int kBlockBytes = 256 * 1024;

QStringView rightTrimmed(QStringView s)
{
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
}

QByteArray rightTrimmed(const char *p, int length)
{
    while (length > 0 && (p[length - 1] == ' ' || p[length - 1] == '\0'))
        --length;
    return QByteArray::fromRawData(p, length);
}

} // namespace

DbfCursor::DbfCursor(const QString &folder, const QString &fileName, DbfTable::Mode mode)
    : DbfCursor(DbfTable::open(DbfTable::resolve(folder, fileName), mode))
{
}

DbfCursor::DbfCursor(std::unique_ptr<DbfTable> table) : m_table(std::move(table))
{
}

DbfCursor::~DbfCursor() = default;

void DbfCursor::whereText(const QString &field, const QString &value)
{
    Condition c;
    c.kind = Condition::Text;
    c.field = m_table->fieldIndexOrThrow(field);
    c.text = rightTrimmed(value).toString();
    c.storable = encode(m_table->codePage(), c.text, c.bytes);
    resetScan();
    m_conditions.append(c);
}

void DbfCursor::whereNumber(const QString &field, double value)
{
    Condition c;
    c.kind = Condition::Number;
    c.field = m_table->fieldIndexOrThrow(field);
    c.number = value;
    resetScan();
    m_conditions.append(c);
}

void DbfCursor::whereDateBetween(const QString &field, const QString &from, const QString &to)
{
    Condition c;
    c.kind = Condition::DateRange;
    c.field = m_table->fieldIndexOrThrow(field);
    const auto bound = [&](const QString &text) {
        QByteArray stored;
        if (!DbfFieldCodec::storedDate(text, stored))
            throw Error(QStringLiteral("Tabelle '%1', Feld '%2': '%3' ist kein gültiges Datum "
                                       "(TT.MM.JJJJ).")
                            .arg(m_table->fileName(), m_table->fields().at(c.field).name, text));
        return stored.trimmed();
    };
    c.from = bound(from);
    c.to = bound(to);
    resetScan();
    m_conditions.append(c);
}

void DbfCursor::clearConditions()
{
    resetScan();
    m_conditions.clear();
}

void DbfCursor::resetScan()
{
    if (hasPendingChanges())
        post();
    m_recno = -1;
}

bool DbfCursor::matches(const char *record) const
{
    if (DbfTable::isDeleted(record))
        return false;
    for (const Condition &c : m_conditions) {
        const DbfField &f = m_table->fields().at(c.field);
        switch (c.kind) {
        case Condition::Text:
            if (f.type == 'C') {
                if (!c.storable || rightTrimmed(record + f.offset, f.length) != c.bytes)
                    return false;
            } else if (rightTrimmed(m_table->text(record, c.field)) != c.text) {
                return false;
            }
            break;
        case Condition::Number: {
            bool ok = false;
            const double v = m_table->text(record, c.field).trimmed().toDouble(&ok);
            if (!ok || v != c.number)
                return false;
            break;
        }
        case Condition::DateRange: {
            QByteArray key;
            if (f.type == 'D') {
                key = QByteArray(record + f.offset, f.length);
                if (DbfFieldCodec::dateText(key.constData()).isEmpty())
                    return false;
            } else if (!DbfFieldCodec::storedDate(m_table->text(record, c.field), key) ||
                       key.trimmed().isEmpty()) {
                return false;
            }
            if ((!c.from.isEmpty() && key < c.from) || (!c.to.isEmpty() && key > c.to))
                return false;
            break;
        }
        }
    }
    return true;
}

bool DbfCursor::moveFrom(int recno)
{
    const int size = m_table->recordSize();
    const int perBlock = qMax(1, kBlockBytes / size);
    for (int r = recno;; ++r) {
        if (r >= m_scanCount) {
            // Rows appended by other workstations during the scan are part of it.
            const int now = m_table->recordCount();
            if (r >= now) {
                m_recno = -1;
                return false;
            }
            m_scanCount = now;
        }
        if (r < m_blockFirst || r >= m_blockFirst + m_block.size() / size) {
            m_blockFirst = r;
            if (m_table->readBlock(r, qMin(perBlock, m_scanCount - r), m_block) == 0) {
                m_recno = -1;
                return false;
            }
        }
        if (matches(m_block.constData() + qint64(r - m_blockFirst) * size)) {
            m_recno = r;
            return true;
        }
    }
}

bool DbfCursor::first()
{
    if (hasPendingChanges())
        post();
    m_block.clear();
    m_scanCount = m_table->recordCount();
    return moveFrom(0);
}

bool DbfCursor::next()
{
    if (hasPendingChanges())
        post();
    if (m_recno < 0)
        return false;
    return moveFrom(m_recno + 1);
}

int DbfCursor::count() const
{
    const int total = m_table->recordCount();
    const int size = m_table->recordSize();
    const int perBlock = qMax(1, kBlockBytes / size);
    int n = 0;
    QByteArray block;
    for (int first = 0; first < total; first += perBlock) {
        const int wanted = qMin(perBlock, total - first);
        const int got = m_table->readBlock(first, wanted, block);
        for (qint64 i = 0; i < block.size(); i += size)
            n += matches(block.constData() + i) ? 1 : 0;
        if (got < wanted)
            break;
    }
    return n;
}

bool DbfCursor::locate(const QString &field, const QString &value, bool caseInsensitive)
{
    const int index = m_table->fieldIndexOrThrow(field);
    const QStringView wanted = rightTrimmed(value);
    const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (bool ok = first(); ok; ok = next())
        if (rightTrimmed(m_table->text(current(), index)).compare(wanted, cs) == 0)
            return true;
    return false;
}

const char *DbfCursor::current() const
{
    return m_block.constData() + qint64(m_recno - m_blockFirst) * m_table->recordSize();
}

void DbfCursor::requireRow() const
{
    if (eof())
        throw Error(QStringLiteral("Tabelle '%1': kein aktueller Satz.").arg(m_table->fileName()));
}

QString DbfCursor::storedText(int field, const QString &text) const
{
    // Through a record image, so that the text reads as it will be stored.
    const DbfField &f = m_table->fields().at(field);
    const QByteArray bytes = m_table->encode(field, text);
    QByteArray image(m_table->recordSize(), ' ');
    std::copy(bytes.begin(), bytes.end(), image.begin() + f.offset);
    return m_table->text(image.constData(), field);
}

QString DbfCursor::value(const QString &field) const
{
    requireRow();
    const int index = m_table->fieldIndexOrThrow(field);
    const auto pending = m_pending.constFind(index);
    if (pending != m_pending.constEnd())
        return storedText(index, *pending);
    if (m_appending)
        return storedText(index, QString());
    return m_table->text(current(), index);
}

int DbfCursor::logical(const QString &field) const
{
    int v = -1;
    return DbfFieldCodec::parseLogical(value(field), v) ? v : -1;
}

void DbfCursor::setValue(const QString &field, const QString &text)
{
    requireRow();
    const int index = m_table->fieldIndexOrThrow(field);
    m_table->encode(index, text); // throws when the text does not fit
    m_pending.insert(index, text);
}

void DbfCursor::append()
{
    if (hasPendingChanges())
        post();
    m_pending.clear();
    m_appending = true;
}

void DbfCursor::post()
{
    if (!hasPendingChanges())
        return;
    DbfValues values;
    for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it)
        values.append({it.key(), it.value()});
    if (m_appending) {
        m_recno = m_table->append(values);
        m_appending = false;
    } else {
        m_table->update(m_recno, values);
    }
    m_pending.clear();
    reloadCurrent();
}

void DbfCursor::reloadCurrent()
{
    m_block = m_table->read(m_recno);
    m_blockFirst = m_recno;
    m_scanCount = qMax(m_scanCount, m_recno + 1);
}

void DbfCursor::cancel()
{
    m_pending.clear();
    m_appending = false;
}

void DbfCursor::deleteRecord()
{
    if (m_appending) {
        cancel();
        return;
    }
    requireRow();
    m_pending.clear();
    m_table->setDeleted(m_recno, true);
    reloadCurrent();
    moveFrom(m_recno + 1);
}

} // namespace lobrix::data

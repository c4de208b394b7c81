#include "data/DbfCursor.h"

#include "data/DbfFieldCodec.h"
#include "data/TableScan.h"

namespace lobrix::data {
namespace {

QStringView rightTrimmed(QStringView s)
{
    while (!s.isEmpty() && s.back() == u' ')
        s.chop(1);
    return s;
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

const DbfField &DbfCursor::fieldOfType(const QString &field, char type, const char *kind) const
{
    const DbfField &f = m_table->fields().at(m_table->fieldIndexOrThrow(field));
    if (f.type != type)
        throw Error(QStringLiteral("Tabelle '%1', Feld '%2' ist kein %3.")
                        .arg(m_table->fileName(), f.name, QString::fromUtf8(kind)));
    return f;
}

void DbfCursor::whereText(const QString &field, const QString &value)
{
    const DbfField &f = fieldOfType(field, 'C', "Textfeld");
    resetScan();
    m_filter.textEquals(f, m_table->codePage(), value);
}

void DbfCursor::whereNumber(const QString &field, double value)
{
    const DbfField &f = m_table->fields().at(m_table->fieldIndexOrThrow(field));
    resetScan();
    m_filter.number(f, RecordFilter::Op::Eq, value);
}

void DbfCursor::whereDateBetween(const QString &field, const QString &from, const QString &to)
{
    const DbfField &f = fieldOfType(field, 'D', "Datumsfeld");
    const auto bound = [&](const QString &text) {
        QByteArray stored;
        if (!DbfFieldCodec::storedDate(text, stored))
            throw Error(QStringLiteral("Tabelle '%1', Feld '%2': '%3' ist kein gültiges Datum "
                                       "(TT.MM.JJJJ).")
                            .arg(m_table->fileName(), f.name, text));
        stored = stored.trimmed(); // YYYYMMDD, empty for an open side
        return stored.isEmpty() ? stored
                                : stored.mid(6, 2) + '.' + stored.mid(4, 2) + '.' + stored.left(4);
    };
    const QByteArray low = bound(from);
    const QByteArray high = bound(to);
    resetScan();
    m_filter.date(f, RecordFilter::Op::Gt, QByteArray()); // rows without a date never do
    if (!low.isEmpty())
        m_filter.date(f, RecordFilter::Op::Ge, low);
    if (!high.isEmpty())
        m_filter.date(f, RecordFilter::Op::Le, high);
}

void DbfCursor::clearConditions()
{
    resetScan();
    m_filter = RecordFilter();
}

void DbfCursor::resetScan()
{
    if (hasPendingChanges())
        post();
    m_recno = -1;
}

bool DbfCursor::moveFrom(int recno)
{
    const int size = m_table->recordSize();
    const int perBlock = qMax(1, ScanBlockBytes / size);
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
        if (m_filter.passes(m_block.constData() + qint64(r - m_blockFirst) * size)) {
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
    int n = 0;
    forEachRecord(*m_table, m_filter, [&n](int, const char *) { ++n; });
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

#include "data/SqlResultModel.h"

#include "common/Error.h"
#include "data/SqlEngine.h"

#include <algorithm>

namespace lobrix::data {
namespace {

constexpr int kBlockRows = SqlResultModel::FetchBatch;

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The statement as a subquery: without a closing ";", and a comment at its end closed.
QString asSubquery(QString sql)
{
    sql = sql.trimmed();
    while (sql.endsWith(u';'))
        sql = sql.chopped(1).trimmed();
    return QStringLiteral("(\n") + sql + QStringLiteral("\n)");
}

QString quotedName(QString name)
{
    return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

SqlResultModel::SqlResultModel(SqlEngine &engine, QString sql, QVariantList params, QObject *parent)
    : QAbstractTableModel(parent), m_engine(engine), m_sql(std::move(sql)),
      m_params(std::move(params)), m_stream(m_engine.query(m_sql, m_params))
{
    for (int c = 0; c < m_stream.columnCount(); ++c)
        m_columns << m_stream.columnName(c);
    fetch(FetchBatch);
}

SqlResultModel::~SqlResultModel() = default;

int SqlResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int SqlResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

void SqlResultModel::append(Block &b, const SqlQuery &query) const
{
    if (b.ends.empty())
        b.ends.reserve(size_t(kBlockRows) * size_t(m_columns.size()));
    for (int c = 0; c < m_columns.size(); ++c) {
        const QByteArrayView v = query.utf8(c);
        b.bytes.append(v.data(), v.size());
        b.ends.push_back(quint32(b.bytes.size()));
    }
    ++b.rows;
}

SqlResultModel::Block &SqlResultModel::blockOf(int row) const
{
    std::unique_ptr<Block> &slot = m_blocks[size_t(row / kBlockRows)];
    if (slot)
        return *slot;
    // Rows the search passed over: read by their position in the result.
    slot = std::make_unique<Block>();
    const int first = row - row % kBlockRows;
    try {
        SqlQuery window = wrapped(QStringLiteral("*"), QStringLiteral("LIMIT %1 OFFSET %2")
                                                           .arg(kBlockRows)
                                                           .arg(first));
        while (slot->rows < kBlockRows && window.next())
            append(*slot, window);
    } catch (const Error &e) {
        m_error = e.message();
    }
    return *slot;
}

QByteArrayView SqlResultModel::utf8(int row, int column) const
{
    const Block &b = blockOf(row);
    const int inBlock = row % kBlockRows;
    if (inBlock >= b.rows)
        return {}; // the result grew shorter since the search passed it
    const size_t cell = size_t(inBlock) * size_t(m_columns.size()) + size_t(column);
    const quint32 begin = cell == 0 ? 0 : b.ends[cell - 1];
    return QByteArrayView(b.bytes.constData() + begin, qsizetype(b.ends[cell] - begin));
}

QString SqlResultModel::text(int row, int column) const
{
    return QString::fromUtf8(utf8(row, column));
}

QVariant SqlResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_columns.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return text(index.row(), index.column());
}

QVariant SqlResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The edit role gives the column's name also where a view shows another title.
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_columns.value(section);
    return section + 1;
}

bool SqlResultModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void SqlResultModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        fetch(FetchBatch);
}

int SqlResultModel::columnIndex(const QString &name) const
{
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

bool SqlResultModel::fetch(int rows)
{
    if (m_atEnd || rows <= 0)
        return false;
    // Rows are read first and announced together, as views expect.
    const int first = m_rows;
    int added = 0;
    try {
        while (added < rows) {
            if (!m_stream.next()) {
                m_atEnd = true;
                break;
            }
            const int row = first + added;
            if (size_t(row / kBlockRows) >= m_blocks.size())
                m_blocks.resize(size_t(row / kBlockRows) + 1);
            std::unique_ptr<Block> &slot = m_blocks[size_t(row / kBlockRows)];
            if (!slot) {
                slot = std::make_unique<Block>();
                // A block takes about what the one before took: no growing on the way.
                const qsizetype expected =
                    row >= kBlockRows && m_blocks[size_t(row / kBlockRows) - 1]
                        ? m_blocks[size_t(row / kBlockRows) - 1]->bytes.size()
                        : qsizetype(64) * kBlockRows;
                slot->bytes.reserve(expected + expected / 8);
            }
            const qsizetype before = slot->bytes.size();
            append(*slot, m_stream);
            m_bytes += slot->bytes.size() - before + qsizetype(sizeof(quint32)) * m_columns.size();
            ++added;
            if (m_bytes > StatementBudget::MaxResultBytes) {
                m_error = StatementBudget::resultTooLargeMessage(first + added);
                m_atEnd = true;
                break;
            }
        }
    } catch (const Error &e) {
        m_error = e.message();
        m_atEnd = true;
    }
    if (added > 0) {
        beginInsertRows({}, first, first + added - 1);
        m_rows += added;
        endInsertRows();
    }
    if (!m_error.isEmpty() && m_atEnd && !m_stoppedSaid) {
        m_stoppedSaid = true;
        emit readStopped(m_error);
    }
    return !m_atEnd;
}

SqlQuery SqlResultModel::wrapped(const QString &select, const QString &tail) const
{
    return m_engine.query(QStringLiteral("SELECT ") + select + QStringLiteral(" FROM ") +
                              asSubquery(m_sql) + u' ' + tail,
                          m_params);
}

bool SqlResultModel::startsWith(QByteArrayView v, const QString &text, const QByteArray &ascii) const
{
    if (!ascii.isEmpty()) {
        // An ASCII text compares byte by byte (UTF-8 keeps ASCII as it is), with the ASCII
        // letters as the only case pairs: the names a clerk types.
        if (v.size() < ascii.size())
            return false;
        for (qsizetype i = 0; i < ascii.size(); ++i)
            if (lowerAscii(v[i]) != ascii[i])
                return false;
        return true;
    }
    return QString::fromUtf8(v).startsWith(text, Qt::CaseInsensitive);
}

void SqlResultModel::restartAt(int row)
{
    // The stream goes on from the start of the found row's block; the rows between are
    // read when shown.
    const int first = row - row % kBlockRows;
    SqlQuery stream = wrapped(QStringLiteral("*"), QStringLiteral("LIMIT -1 OFFSET %1").arg(first));
    if (m_rows % kBlockRows != 0)
        m_blocks[size_t(m_rows / kBlockRows)].reset(); // its rest is read with its block
    m_stream = std::move(stream);
    beginInsertRows({}, m_rows, first - 1); // first lies in a later block than m_rows
    m_blocks.resize(size_t(first / kBlockRows));
    m_rows = first;
    endInsertRows();
}

int SqlResultModel::searchBeyond(int column, const QString &text, const QByteArray &ascii)
{
    // One column alone reads many times faster than whole rows (a name that two columns
    // share cannot be asked for alone).
    const auto sameName = [&](const QString &name) {
        return name.compare(m_columns[column], Qt::CaseInsensitive) == 0;
    };
    if (std::count_if(m_columns.cbegin(), m_columns.cend(), sameName) == 1) {
        try {
            SqlQuery names = wrapped(quotedName(m_columns[column]),
                                     QStringLiteral("LIMIT -1 OFFSET %1").arg(m_rows));
            for (int row = m_rows; names.next(); ++row) {
                if (!startsWith(names.utf8(0), text, ascii))
                    continue;
                names.close();
                // Within the block being read the stream just goes on; farther, it starts anew.
                if (row / kBlockRows != m_rows / kBlockRows)
                    restartAt(row);
                while (m_rows <= row && fetch(row + FetchBatch - m_rows)) {
                }
                return row < m_rows ? row : -1;
            }
            return -1;
        } catch (const Error &) {
            // A statement that cannot be a subquery: the rows are read one after another.
        }
    }
    for (int row = m_rows;; ++row) {
        while (row >= m_rows) {
            if (m_atEnd)
                return -1;
            fetch(std::max(FetchBatch, m_rows / 4));
        }
        if (startsWith(utf8(row, column), text, ascii))
            return row;
    }
}

int SqlResultModel::findPrefix(int column, const QString &text, int from)
{
    if (column < 0 || column >= m_columns.size() || from < 0)
        return -1;
    while (from >= m_rows && !m_atEnd)
        fetch(std::max(FetchBatch, m_rows / 4));
    if (from >= m_rows)
        return -1;
    if (text.isEmpty())
        return from;
    QByteArray ascii;
    bool isAscii = true;
    for (QChar c : text) {
        isAscii = isAscii && c.unicode() < 0x80;
        ascii += lowerAscii(char(c.unicode()));
    }
    if (!isAscii)
        ascii.clear();
    for (int row = from; row < m_rows; ++row)
        if (startsWith(utf8(row, column), text, ascii))
            return row;
    return m_atEnd ? -1 : searchBeyond(column, text, ascii);
}

} // namespace lobrix::data

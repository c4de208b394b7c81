#include "records/ReportGridModel.h"

#include "data/SqlResultModel.h"

namespace lobrix::records {

ReportGridModel::ReportGridModel(data::SqlResultModel &result, bool alwaysDuration, QObject *parent)
    : QIdentityProxyModel(parent), m_result(result), m_alwaysDuration(alwaysDuration)
{
    setSourceModel(&result);
}

void ReportGridModel::setColumns(std::vector<Column> columns)
{
    m_columns = std::move(columns);
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

FieldLookup ReportGridModel::rowLookup(int row) const
{
    return [this, row](const QString &name) -> std::optional<QString> {
        const int c = m_result.columnIndex(name);
        if (c < 0)
            return std::nullopt;
        return m_result.text(row, c);
    };
}

QString ReportGridModel::value(int row, int column) const
{
    return m_result.text(row, column);
}

QString ReportGridModel::shownText(int row, int column) const
{
    const QString v = value(row, column);
    if (size_t(column) >= m_columns.size())
        return v;
    return shownCellText(m_columns[size_t(column)].fieldName, v, rowLookup(row), m_alwaysDuration);
}

ColumnAlign ReportGridModel::alignment(int row, int column) const
{
    if (size_t(column) >= m_columns.size())
        return ColumnAlign::Left;
    const Column &c = m_columns[size_t(column)];
    if (isCentredReplacement(c.fieldName, value(row, column), rowLookup(row), m_alwaysDuration))
        return ColumnAlign::Centre;
    return c.cell;
}

Qt::Alignment ReportGridModel::qtAlignment(ColumnAlign a)
{
    switch (a) {
    case ColumnAlign::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnAlign::Centre:
        return Qt::AlignCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QVariant ReportGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return shownText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(qtAlignment(alignment(index.row(), index.column())));
    return QIdentityProxyModel::data(index, role);
}

QVariant ReportGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && size_t(section) < m_columns.size()) {
        if (role == Qt::DisplayRole)
            return m_columns[size_t(section)].title;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(qtAlignment(m_columns[size_t(section)].titleAlign));
    }
    return QIdentityProxyModel::headerData(section, orientation, role);
}

} // namespace lobrix::records

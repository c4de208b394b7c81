#pragma once
// A report result as the reports grid shows it: the columns' titles and alignments from
// the column layout, and the cell texts of the report rules ("erfordert", "bis " + end
// date). The values underneath stay the result's.
#include "records/ReportColumns.h"

#include <QIdentityProxyModel>
#include <QStringList>

#include <vector>

namespace lobrix::data {
class SqlResultModel;
}

namespace lobrix::records {

class ReportGridModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    struct Column {
        QString fieldName; // as delivered: upper case, at most ten characters
        QString title;
        ColumnAlign cell = ColumnAlign::Left;
        ColumnAlign titleAlign = ColumnAlign::Left;
    };

    ReportGridModel(data::SqlResultModel &result, bool alwaysDuration, QObject *parent = nullptr);

    data::SqlResultModel &result() const { return m_result; }
    const std::vector<Column> &columns() const { return m_columns; }
    void setColumns(std::vector<Column> columns);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The raw value, and the cell text as shown.
    QString value(int row, int column) const;
    QString shownText(int row, int column) const;
    // The alignment a shown cell is drawn with.
    ColumnAlign alignment(int row, int column) const;

    static Qt::Alignment qtAlignment(ColumnAlign a);

private:
    FieldLookup rowLookup(int row) const;

    data::SqlResultModel &m_result;
    bool m_alwaysDuration;
    std::vector<Column> m_columns;
};

} // namespace lobrix::records

#pragma once
// The rows of an SQL result as a table model for the list windows. Rows are fetched as
// the view asks for them (canFetchMore/fetchMore), so a large table shows its first rows
// at once; the values are kept as the engine gives them (UTF-8, packed in blocks of rows)
// and made QStrings only for the cells shown.
//
// The quick search of the list windows finds the first row whose column begins with a
// text, without regard to case. Beyond the rows fetched it reads that one column alone and
// then continues the result from the row it found; the rows it passed over are read when
// a view shows them, by their position in the result. (A table another workstation
// changes meanwhile can then show a row twice or miss one there; the windows read their
// result anew at every showing.)
#include "data/SqlQuery.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <vector>

namespace lobrix::data {

class SqlEngine;

class SqlResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int FetchBatch = 256; // also the rows of one block

    // Runs the statement (lobrix::Error when the engine refuses it) and fetches the first
    // batch. The engine must outlive the model.
    SqlResultModel(SqlEngine &engine, QString sql, QVariantList params = {},
                   QObject *parent = nullptr);
    ~SqlResultModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    QString columnName(int column) const { return m_columns.value(column); }
    // The column of that name, without regard to case; -1 when there is none.
    int columnIndex(const QString &name) const;
    // A value of a row below rowCount(); valid until the model changes.
    QByteArrayView utf8(int row, int column) const;
    QString text(int row, int column) const;

    // Fetches up to `rows` more rows; false when the result has no more.
    bool fetch(int rows);
    bool atEnd() const { return m_atEnd; }
    // The engine's message when reading failed (the rows before it stay); empty otherwise.
    const QString &error() const { return m_error; }

    // The first row from `from` on whose value in `column` begins with `text` (case
    // ignored), or -1; an empty text finds `from`.
    int findPrefix(int column, const QString &text, int from = 0);

signals:
    // Reading stopped before the end of the result (error() says why); the rows read stay.
    void readStopped(const QString &message);

private:
    struct Block {
        QByteArray bytes;
        std::vector<quint32> ends; // per cell, row by row: where its bytes end
        int rows = 0;
    };
    Block &blockOf(int row) const;
    void append(Block &block, const SqlQuery &query) const;
    // `select` from the statement as a subquery, then `tail` (LIMIT/OFFSET).
    SqlQuery wrapped(const QString &select, const QString &tail) const;
    int searchBeyond(int column, const QString &text, const QByteArray &ascii);
    void restartAt(int row);
    bool startsWith(QByteArrayView value, const QString &text, const QByteArray &ascii) const;

    SqlEngine &m_engine;
    QString m_sql;
    QVariantList m_params;
    SqlQuery m_stream; // yields row m_rows next
    QStringList m_columns;
    mutable std::vector<std::unique_ptr<Block>> m_blocks; // null: rows not read yet
    int m_rows = 0;
    qint64 m_bytes = 0; // what the rows read take, against StatementBudget::MaxResultBytes
    bool m_atEnd = false;
    bool m_stoppedSaid = false;
    mutable QString m_error;
};

} // namespace lobrix::data

#pragma once
// What every list window does with its grid: the read-only engine and the result model
// behind the view, read anew whenever the window shows, the quick search (find, select,
// scroll), and the tables let go of when the window closes, so that a pack on another
// workstation is not refused because a closed window still holds a table.
#include <QAbstractProxyModel>
#include <QString>
#include <QVariantList>

#include <memory>
#include <optional>

class QTableView;

namespace lobrix::data {

class SqlEngine;
class SqlResultModel;

class QueryList {
public:
    // `view` shows the rows of the database folder's statements; it outlives the list.
    // A `presentation` (a proxy that renames or hides columns, rows unchanged) stands
    // between the result and the view when given.
    QueryList(QTableView *view, QString databaseFolder, std::unique_ptr<QAbstractProxyModel> presentation = {});
    ~QueryList();
    QueryList(const QueryList &) = delete;
    QueryList &operator=(const QueryList &) = delete;

    // Runs the statement anew and shows its rows, the first `rows` of them read at once
    // (the rest as the view scrolls); the row that was current stays current where it can
    // (Current::First: the first row becomes current).
    // The engine's message when it refuses the statement or a bound stopped the reading,
    // none otherwise (the rows read so far are shown then).
    enum class Current { Kept, First };
    std::optional<QString> open(const QString &sql, const QVariantList &params = {}, int rows = 0,
                                Current current = Current::Kept);
    // The quick search: the first row whose `column` begins with `text` (case ignored)
    // becomes current and is scrolled to the middle; -1 when there is none.
    int find(const QString &column, const QString &text);
    // Lets go of the model and the engine's tables (the window closes).
    void release();

    SqlResultModel *model() const { return m_model.get(); }
    int rowCount() const;
    int currentRow() const;
    // The text of a cell of the current result, by column name; empty when there is none.
    QString text(int row, const QString &column) const;

private:
    void detach();

    QTableView *m_view;
    QString m_folder;
    std::unique_ptr<SqlEngine> m_engine;
    std::unique_ptr<SqlResultModel> m_model;
    std::unique_ptr<QAbstractProxyModel> m_presentation;
};

} // namespace lobrix::data

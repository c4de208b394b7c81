#pragma once
// What every list window does with its grid: the read-only engine and the result model
// behind the view, read anew whenever the window shows, the quick search (find, select,
// scroll), and the tables let go of when the window closes, so that a pack on another
// workstation is not refused because a closed window still holds a table.
#include <QAbstractItemModel>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

class QTableView;

namespace lobrix::data {

class SqlEngine;
class SqlResultModel;

class QueryList {
public:
    // What the view shows of a result, made for each result (names and orders columns,
    // texts the cells; its rows are the result's).
    using Presentation = std::function<std::unique_ptr<QAbstractItemModel>(SqlResultModel &result)>;

    // `view` shows the rows of the database folder's statements; it outlives the list.
    // Without a presentation it shows the result as it is.
    QueryList(QTableView *view, QString databaseFolder, Presentation presentation = {});
    ~QueryList();
    QueryList(const QueryList &) = delete;
    QueryList &operator=(const QueryList &) = delete;

    // Runs the statement anew and shows its rows, the first `rows` of them read at once
    // (the rest as the view scrolls); the row that was current stays current where it can
    // (Current::First: the first row becomes current; Current::None: no row is made current).
    // The engine's message when it refuses the statement or a bound stopped the reading,
    // none otherwise (the rows read so far are shown then).
    enum class Current { Kept, First, None };
    std::optional<QString> open(const QString &sql, const QVariantList &params = {}, int rows = 0,
                                Current current = Current::Kept);
    // The quick search: the first row whose `column` begins with `text` (case ignored)
    // becomes current and is scrolled to the middle; -1 when there is none.
    int find(const QString &column, const QString &text);
    // Lets go of the model and the engine's tables (the window closes).
    void release();

    SqlResultModel *model() const { return m_model.get(); }
    // What the view shows: the presentation of the result, or the result.
    QAbstractItemModel *shown() const;
    // The engine behind the list, for the window's other statements over the same
    // result (a count, a measure, an export); made when first needed.
    SqlEngine &engine();
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
    Presentation m_presentation;
    std::unique_ptr<QAbstractItemModel> m_shown;
};

} // namespace lobrix::data

#include "data/ui/QueryList.h"

#include "common/Error.h"
#include "data/SqlEngine.h"
#include "data/SqlResultModel.h"

#include <QTableView>

#include <algorithm>

namespace lobrix::data {

QueryList::QueryList(QTableView *view, QString databaseFolder, Presentation presentation)
    : m_view(view), m_folder(std::move(databaseFolder)), m_presentation(std::move(presentation))
{
}

QueryList::~QueryList()
{
    release();
}

std::optional<QString> QueryList::open(const QString &sql, const QVariantList &params, int rows, Current current)
{
    const int keep = current == Current::Kept ? std::max(0, m_view->currentIndex().row()) : 0;
    detach(); // the engine stays: its tables are attached again only when they changed
    try {
        m_model = std::make_unique<SqlResultModel>(engine(), sql, params);
    } catch (const Error &e) {
        return e.message();
    }
    if (rows > 0)
        m_model->fetch(rows);
    if (m_presentation)
        m_shown = m_presentation(*m_model);
    m_view->setModel(shown());
    if (current != Current::None && m_model->rowCount() > 0)
        m_view->selectRow(std::min(keep, m_model->rowCount() - 1));
    if (!m_model->error().isEmpty())
        return m_model->error();
    return std::nullopt;
}

int QueryList::find(const QString &column, const QString &text)
{
    if (!m_model || text.isEmpty())
        return -1;
    const int row = m_model->findPrefix(m_model->columnIndex(column), text);
    if (row < 0)
        return -1;
    m_view->selectRow(row);
    m_view->scrollTo(m_view->model()->index(row, 0), QAbstractItemView::PositionAtCenter);
    return row;
}

void QueryList::detach()
{
    m_view->setModel(nullptr);
    m_shown.reset();
    m_model.reset();
}

QAbstractItemModel *QueryList::shown() const
{
    return m_shown ? m_shown.get() : static_cast<QAbstractItemModel *>(m_model.get());
}

SqlEngine &QueryList::engine()
{
    if (!m_engine)
        m_engine = std::make_unique<SqlEngine>(m_folder, SqlEngine::Access::ReadOnly);
    return *m_engine;
}

void QueryList::release()
{
    detach();
    m_engine.reset();
}

int QueryList::rowCount() const
{
    return m_model ? m_model->rowCount() : 0;
}

int QueryList::currentRow() const
{
    return m_model && m_model->rowCount() > 0 ? std::max(0, m_view->currentIndex().row()) : -1;
}

QString QueryList::text(int row, const QString &column) const
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return {};
    const int c = m_model->columnIndex(column);
    return c < 0 ? QString() : m_model->text(row, c);
}

} // namespace lobrix::data

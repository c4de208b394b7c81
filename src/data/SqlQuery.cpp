#include "data/SqlQuery.h"

#include "common/Error.h"
#include "data/SqlText.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <algorithm>

#include <sqlite3.h>

namespace lobrix::data {

SqlQuery::SqlQuery(sqlite3_stmt *statement, StatementBudget *budget)
    : m_statement(statement), m_budget(budget)
{
}

SqlQuery::~SqlQuery() { close(); }

SqlQuery::SqlQuery(SqlQuery &&other) noexcept
    : m_statement(other.m_statement), m_budget(other.m_budget), m_spentNs(other.m_spentNs)
{
    other.m_statement = nullptr;
}

SqlQuery &SqlQuery::operator=(SqlQuery &&other) noexcept
{
    if (this != &other) {
        close();
        m_statement = other.m_statement;
        m_budget = other.m_budget;
        m_spentNs = other.m_spentNs;
        other.m_statement = nullptr;
    }
    return *this;
}

void SqlQuery::close()
{
    if (m_statement) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

bool SqlQuery::next()
{
    if (!m_statement)
        return false;
    // The bound is for the whole statement: a statement that yields a row every few
    // seconds must not run on for ever because each step stays below it.
    if (m_budget && m_budget->limitMs > 0) {
        m_budget->exceeded = false;
        m_budget->deadlineMs = QDeadlineTimer(std::max<qint64>(1, m_budget->limitMs - spentMs())).deadline();
    }
    QElapsedTimer step;
    step.start();
    const int rc = sqlite3_step(m_statement);
    m_spentNs += step.nsecsElapsed();
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_statement)));
    close();
    throw Error(errorMessage(rc, message, m_budget));
}

QString SqlQuery::errorMessage(int code, const QString &engineMessage, const StatementBudget *budget)
{
    if (code == SQLITE_INTERRUPT && budget && budget->exceeded)
        return QStringLiteral("Die Abfrage wurde abgebrochen: sie lief länger als %1 Sekunden. "
                              "Bitte schränken Sie sie ein.")
            .arg(budget->limitMs / 1000.0, 0, 'g', 3);
    if ((code & 0xFF) == SQLITE_AUTH)
        return QStringLiteral("Diese SQL-Anweisung ist nicht erlaubt: sie würde auf Dateien außerhalb der Tabellen des "
                              "Datenbankordners zugreifen.");
    if ((code & 0xFF) == SQLITE_TOOBIG)
        return QStringLiteral("Die Abfrage wurde abgebrochen: ein Wert wäre größer als %1 MB.")
            .arg(StatementBudget::MaxValueBytes >> 20);
    if ((code & 0xFF) == SQLITE_NOMEM)
        return QStringLiteral("Die Abfrage wurde abgebrochen: sie braucht mehr Speicher, als "
                              "vorhanden ist.");
    return QStringLiteral("SQL-Fehler: %1").arg(engineMessage);
}

QString StatementBudget::resultTooLargeMessage(qsizetype rowsKept)
{
    return QStringLiteral("Die Abfrage wurde abgebrochen: ihr Ergebnis wäre größer als %1 MB. Die ersten %2 "
                          "Zeilen sind gelesen. Bitte schränken Sie sie ein.")
        .arg(MaxResultBytes >> 20)
        .arg(rowsKept);
}

int SqlQuery::columnCount() const
{
    return m_statement ? sqlite3_column_count(m_statement) : 0;
}

QString SqlQuery::columnName(int column) const
{
    return m_statement ? QString::fromUtf8(sqlite3_column_name(m_statement, column)) : QString();
}

QString SqlQuery::dbaseColumnName(int column) const
{
    return data::dbaseColumnName(columnName(column));
}

bool SqlQuery::isNull(int column) const
{
    return !m_statement || sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

QString SqlQuery::text(int column) const
{
    if (!m_statement)
        return {};
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_FLOAT:
        return QString::number(sqlite3_column_double(m_statement, column), 'g', 15);
    default: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QString::fromUtf8(p, sqlite3_column_bytes(m_statement, column));
    }
    }
}

QByteArrayView SqlQuery::utf8(int column) const
{
    if (!m_statement)
        return {};
    // A text is read as it is: asking for it as text would add a NUL terminator, which
    // costs a reallocation of nearly every value.
    const auto *p = sqlite3_column_type(m_statement, column) == SQLITE_TEXT
                        ? static_cast<const char *>(sqlite3_column_blob(m_statement, column))
                        : reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return p ? QByteArrayView(p, sqlite3_column_bytes(m_statement, column)) : QByteArrayView();
}

QVariant SqlQuery::value(int column) const
{
    if (!m_statement)
        return {};
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(m_statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_statement, column);
    case SQLITE_NULL:
        return {};
    default:
        return text(column);
    }
}

int SqlQuery::columnIndex(const QString &name) const
{
    for (int i = 0; i < columnCount(); ++i)
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace lobrix::data

#pragma once
// One running SQL statement whose rows are read one at a time (never copied whole).
// A query must not outlive the SqlEngine that made it.
#include <QByteArrayView>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace lobrix::data {

// How long a statement may run in all its steps together before the engine stops it (0:
// no bound). The engine's progress handler reads the deadline that next() sets before each
// step from what the statement's earlier steps used up.
struct StatementBudget {
    // The largest text or blob a read-only statement may make (printf, group_concat ...).
    static constexpr int MaxValueBytes = 16 << 20;
    // The most a whole result may take in memory where it is kept (a list window, a
    // report run to its end): beyond it reading stops and the rows read so far stay.
    static constexpr qint64 MaxResultBytes = qint64(256) << 20;
    static QString resultTooLargeMessage(qsizetype rowsKept);
    int limitMs = 0;
    qint64 deadlineMs = 0; // on QDeadlineTimer's clock
    bool exceeded = false;
};

class SqlQuery {
public:
    SqlQuery() = default;
    explicit SqlQuery(sqlite3_stmt *statement, StatementBudget *budget = nullptr);
    ~SqlQuery();
    SqlQuery(SqlQuery &&other) noexcept;
    SqlQuery &operator=(SqlQuery &&other) noexcept;
    SqlQuery(const SqlQuery &) = delete;
    SqlQuery &operator=(const SqlQuery &) = delete;

    // Moves to the next row; false at the end. Throws lobrix::Error on an engine error.
    bool next();
    int columnCount() const;
    QString columnName(int column) const;       // alias or field name as SQLite gives it
    QString dbaseColumnName(int column) const;  // upper case, at most 10 characters
    bool isNull(int column) const;
    QString text(int column) const;             // "" for NULL
    // The value as UTF-8 bytes without a copy, valid until the next call of next(): what
    // a result model keeps, converting only the cells it shows.
    QByteArrayView utf8(int column) const;
    QVariant value(int column) const;
    // Index of a result column by name, without regard to case; -1 when there is none.
    int columnIndex(const QString &name) const;
    // Ends the statement early (also done by the destructor).
    void close();

    // The German message for an engine error, also for a bound that was reached.
    static QString errorMessage(int code, const QString &engineMessage, const StatementBudget *budget);

    // Time the statement's steps have taken so far.
    qint64 spentMs() const { return m_spentNs / 1000000; }

private:
    sqlite3_stmt *m_statement = nullptr;
    StatementBudget *m_budget = nullptr;
    qint64 m_spentNs = 0;
};

} // namespace lobrix::data

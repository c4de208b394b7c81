#pragma once
// One running SQL statement whose rows are read one at a time (never copied whole).
// A query must not outlive the SqlEngine that made it.
#include <QByteArrayView>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace lobrix::data {

class SqlQuery {
public:
    SqlQuery() = default;
    explicit SqlQuery(sqlite3_stmt *statement);
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

private:
    sqlite3_stmt *m_statement = nullptr;
};

} // namespace lobrix::data

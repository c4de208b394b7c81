#pragma once
// SQL over the dBASE tables of one database folder. Each .dbf file of the folder is a
// table named by its file name ("From Besucher.dbf"); tables are attached when a
// statement first names them. CREATE TABLE and ALTER TABLE ... ADD change the files.
#include "data/SqlQuery.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace lobrix {
class Error;
}

struct sqlite3;

namespace lobrix::data {

class SqlEngine {
public:
    enum class Access { ReadWrite, ReadOnly, Read };

    // ReadOnly: every statement is checked by an authorizer that allows reading only
    // (reports run user-written SQL this way): tables are opened for reading, only the
    // functions of allowedFunctions() may be called, a value may not grow beyond
    // StatementBudget::MaxValueBytes and a statement may run at most timeLimitMs.
    // Read: reading only, tables opened for reading, without those bounds (an
    // administrator's query, which then also works on a read-only folder).
    // ReadWrite: everything but what would make or change files beside the folder's
    // tables (ATTACH, DETACH, VACUUM INTO, PRAGMA, virtual tables of one's own).
    //
    // In every mode a table is a file of the folder, named without any path: a name with
    // a separator or "..", or an absolute one, is refused.
    explicit SqlEngine(QString folder, Access access = Access::ReadWrite);

    static constexpr int DefaultTimeLimitMs = 60000;
    void setTimeLimit(int milliseconds) { m_budget.limitMs = milliseconds; }

    // A name that can only mean a file inside the folder.
    static bool isPlainTableName(const QString &name);
    // True when the engine refused the statement only because it would change data: the
    // same statement runs on a ReadWrite engine.
    static bool isWriteRefusal(const Error &error);
    static const QStringList &allowedFunctions();
    ~SqlEngine();
    SqlEngine(const SqlEngine &) = delete;
    SqlEngine &operator=(const SqlEngine &) = delete;

    const QString &folder() const { return m_folder; }

    // A statement that returns rows; values for "?" placeholders are bound, never pasted.
    // Throws lobrix::Error when the statement cannot be prepared (missing table, syntax).
    SqlQuery query(const QString &sql, const QVariantList &params = {});
    // A statement that returns no rows; the number of rows changed (0 for DDL).
    int execute(const QString &sql, const QVariantList &params = {});
    // Rows changed by the last statement that changed rows.
    int changes() const;

private:
    sqlite3_stmt *prepare(const QString &sql, const QVariantList &params);
    bool attachTable(const QString &name);
    void refreshTable(const QString &fileName);
    void runInternal(const QByteArray &sql);
    static int authorize(void *self, int action, const char *, const char *, const char *,
                         const char *);
    static int progress(void *self);
    void checkTableName(const QString &name) const;

    QString m_folder;
    Access m_access;
    sqlite3 *m_db = nullptr;
    bool m_internal = false;
    QString m_deniedFunction; // named by the authorizer for the message
    bool m_fileMaking = false; // the authorizer refused ATTACH and the like
    StatementBudget m_budget;
    QHash<QString, QString> m_attached; // table name (lower case) -> file path
};

} // namespace lobrix::data

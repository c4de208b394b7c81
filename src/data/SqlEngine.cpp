#include "data/SqlEngine.h"

#include "common/Error.h"
#include "data/DbfTable.h"
#include "data/DbfVirtualTable.h"
#include "data/SqlCollations.h"
#include "data/SqlText.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

namespace lobrix::data {
namespace {

QByteArray quotedIdentifier(const QString &name)
{
    return '"' + name.toUtf8().replace('"', "\"\"") + '"';
}

QByteArray quotedLiteral(const QString &text)
{
    return '\'' + text.toUtf8().replace('\'', "''") + '\'';
}

void bind(sqlite3_stmt *st, const QVariantList &params)
{
    for (int i = 0; i < params.size(); ++i) {
        const QVariant &v = params[i];
        const int n = i + 1;
        switch (v.typeId()) {
        case QMetaType::UnknownType:
            sqlite3_bind_null(st, n);
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            sqlite3_bind_int64(st, n, v.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(st, n, v.toDouble());
            break;
        case QMetaType::Bool:
            sqlite3_bind_int(st, n, v.toBool() ? 1 : 0);
            break;
        default: {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(st, n, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT);
        }
        }
    }
}

} // namespace

SqlEngine::SqlEngine(QString folder, Access access) : m_folder(std::move(folder)), m_access(access)
{
    // SQLite's allocation statistics take a global mutex on every allocation; reports
    // allocate for every value they read. Only possible before SQLite is first used.
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    Q_UNUSED(configured);
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) !=
        SQLITE_OK) {
        sqlite3_close(m_db);
        throw Error(QStringLiteral("Die SQL-Verbindung konnte nicht geöffnet werden."));
    }
    registerCollations(m_db);
    registerDbfModule(m_db, m_access != Access::ReadWrite);
    // The FTS3 tokenizer function hands out and takes raw pointers.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_set_authorizer(m_db, &SqlEngine::authorize, this);
    if (m_access == Access::ReadOnly) {
        sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, StatementBudget::MaxValueBytes);
        m_budget.limitMs = DefaultTimeLimitMs;
        sqlite3_progress_handler(m_db, 10000, &SqlEngine::progress, this);
    }
}

int SqlEngine::progress(void *self)
{
    StatementBudget &budget = static_cast<SqlEngine *>(self)->m_budget;
    if (budget.limitMs <= 0 || budget.deadlineMs == 0)
        return 0;
    if (QDeadlineTimer::current().deadline() < budget.deadlineMs)
        return 0;
    budget.exceeded = true;
    return 1; // SQLITE_INTERRUPT for the step
}

bool SqlEngine::isPlainTableName(const QString &name)
{
    const QString n = name.trimmed();
    return !n.isEmpty() && !n.contains(u'/') && !n.contains(u'\\') && !n.contains(u':') &&
           !n.contains(QChar(0)) && n != u"." && !n.contains(QStringLiteral(".."));
}

void SqlEngine::checkTableName(const QString &name) const
{
    if (!isPlainTableName(name))
        throw Error(QStringLiteral("Der Tabellenname '%1' ist nicht erlaubt: eine Tabelle ist eine "
                                   "Datei im Datenbankordner und wird ohne Pfad genannt.")
                        .arg(name));
}

const QStringList &SqlEngine::allowedFunctions()
{
    // What reports need: text, numbers, dates, aggregates and window functions. Nothing
    // that reaches outside the statement (tokenizers, extensions, sqlite_* internals).
    static const QStringList names{
        QStringLiteral("abs"),        QStringLiteral("avg"),          QStringLiteral("char"),
        QStringLiteral("coalesce"),   QStringLiteral("count"),        QStringLiteral("cume_dist"),
        QStringLiteral("date"),       QStringLiteral("datetime"),     QStringLiteral("dense_rank"),
        QStringLiteral("first_value"), QStringLiteral("format"),      QStringLiteral("glob"),
        QStringLiteral("group_concat"), QStringLiteral("hex"),        QStringLiteral("ifnull"),
        QStringLiteral("iif"),        QStringLiteral("instr"),        QStringLiteral("julianday"),
        QStringLiteral("lag"),        QStringLiteral("last_value"),   QStringLiteral("lead"),
        QStringLiteral("length"),     QStringLiteral("like"),         QStringLiteral("lower"),
        QStringLiteral("ltrim"),      QStringLiteral("max"),          QStringLiteral("min"),
        QStringLiteral("nth_value"),  QStringLiteral("ntile"),        QStringLiteral("nullif"),
        QStringLiteral("percent_rank"), QStringLiteral("printf"),     QStringLiteral("quote"),
        QStringLiteral("rank"),       QStringLiteral("replace"),      QStringLiteral("round"),
        QStringLiteral("row_number"), QStringLiteral("rtrim"),        QStringLiteral("sign"),
        QStringLiteral("strftime"),   QStringLiteral("substr"),       QStringLiteral("substring"),
        QStringLiteral("sum"),        QStringLiteral("time"),         QStringLiteral("total"),
        QStringLiteral("trim"),       QStringLiteral("typeof"),       QStringLiteral("unicode"),
        QStringLiteral("upper"),
    };
    return names;
}

SqlEngine::~SqlEngine()
{
    sqlite3_close_v2(m_db);
}

namespace {

QString readOnlyMessage()
{
    return QStringLiteral("Diese SQL-Anweisung ist hier nicht erlaubt: Berichte dürfen Daten nur lesen (SELECT).");
}

QString fileMakingMessage()
{
    return QStringLiteral("Diese SQL-Anweisung ist nicht erlaubt: ATTACH, DETACH, VACUUM, PRAGMA und eigene "
                          "virtuelle Tabellen würden Dateien außerhalb der Tabellen des Datenbankordners "
                          "anlegen oder ändern.");
}

} // namespace

bool SqlEngine::isWriteRefusal(const Error &error)
{
    return error.message() == readOnlyMessage();
}

int SqlEngine::authorize(void *self, int action, const char *, const char *function,
                         const char *, const char *)
{
    auto *engine = static_cast<SqlEngine *>(self);
    if (engine->m_internal)
        return SQLITE_OK;
    if (engine->m_access == Access::ReadWrite) {
        switch (action) {
        case SQLITE_ATTACH: // also VACUUM INTO
        case SQLITE_DETACH:
        case SQLITE_PRAGMA:
        case SQLITE_CREATE_VTABLE:
        case SQLITE_DROP_VTABLE:
            engine->m_fileMaking = true;
            return SQLITE_DENY;
        default:
            return SQLITE_OK;
        }
    }
    if (engine->m_access == Access::Read && action == SQLITE_FUNCTION)
        return SQLITE_OK;
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_FUNCTION: {
        const QString name = QString::fromUtf8(function ? function : "");
        if (allowedFunctions().contains(name, Qt::CaseInsensitive))
            return SQLITE_OK;
        engine->m_deniedFunction = name;
        return SQLITE_DENY;
    }
    default:
        return SQLITE_DENY;
    }
}

void SqlEngine::runInternal(const QByteArray &sql)
{
    m_internal = true;
    char *err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &err);
    m_internal = false;
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(err ? err : sqlite3_errmsg(m_db));
        sqlite3_free(err);
        throw Error(message);
    }
}

bool SqlEngine::attachTable(const QString &name)
{
    if (m_attached.contains(name.toLower()))
        return false;
    checkTableName(name);
    QString file = name;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".dbf");
    const QString path = DbfTable::resolve(m_folder, file);
    if (!QFileInfo::exists(path))
        return false;
    runInternal("CREATE VIRTUAL TABLE temp." + quotedIdentifier(name) + " USING " +
                kDbfModuleName + "(" + quotedLiteral(path) + ")");
    m_attached.insert(name.toLower(), path);
    return true;
}

void SqlEngine::refreshTable(const QString &fileName)
{
    const QString path = DbfTable::resolve(m_folder, fileName);
    for (auto it = m_attached.begin(); it != m_attached.end();) {
        if (QFileInfo(it.value()).fileName().compare(QFileInfo(path).fileName(),
                                                     Qt::CaseInsensitive) == 0) {
            runInternal("DROP TABLE temp." + quotedIdentifier(it.key()));
            it = m_attached.erase(it);
        } else {
            ++it;
        }
    }
}

sqlite3_stmt *SqlEngine::prepare(const QString &sql, const QVariantList &params)
{
    // VACUUM writes a database file (INTO) or rewrites the in-memory one: nothing a
    // statement over dBASE tables needs. Its file access is only checked when it runs.
    static const QRegularExpression vacuum(QStringLiteral("^(\\s|--[^\\n]*(\\n|$)|/\\*.*?\\*/)*VACUUM\\b"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    if (vacuum.match(sql).hasMatch())
        throw Error(fileMakingMessage());
    const QByteArray text = quoteDbfTableNames(sql).toUtf8();
    m_deniedFunction.clear();
    m_fileMaking = false;
    // A table is attached when SQLite first misses it; a vanished column may mean that
    // another workstation added fields, so attach such tables anew once.
    bool refreshed = false;
    for (int attempt = 0; attempt < 64; ++attempt) {
        sqlite3_stmt *st = nullptr;
        const char *tail = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()),
                                          &st, &tail);
        if (rc == SQLITE_OK) {
            if (tail && !QByteArray(tail).trimmed().isEmpty() &&
                QByteArray(tail).trimmed() != ";") {
                sqlite3_finalize(st);
                throw Error(QStringLiteral("Es ist nur eine SQL-Anweisung auf einmal erlaubt."));
            }
            if (!st)
                throw Error(QStringLiteral("Leere SQL-Anweisung."));
            bind(st, params);
            return st;
        }
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(st);
        static const QString noTable = QStringLiteral("no such table: ");
        if (message.startsWith(noTable)) {
            QString name = message.mid(noTable.size()).trimmed();
            if (name.startsWith(QStringLiteral("temp."), Qt::CaseInsensitive) ||
                name.startsWith(QStringLiteral("main."), Qt::CaseInsensitive))
                name = name.mid(5);
            if (attachTable(name))
                continue;
            throw Error(QStringLiteral("Die Tabelle '%1' wurde im Datenbankordner nicht gefunden.")
                            .arg(name));
        }
        if (message.startsWith(QStringLiteral("no such column")) && !refreshed &&
            !m_attached.isEmpty()) {
            refreshed = true;
            const auto files = m_attached.keys();
            for (const QString &name : files)
                refreshTable(name);
            continue;
        }
        if (message.startsWith(QStringLiteral("not authorized")) && m_fileMaking)
            throw Error(fileMakingMessage());
        if (message.startsWith(QStringLiteral("not authorized")) && !m_deniedFunction.isEmpty())
            throw Error(QStringLiteral("Die Funktion '%1' ist in Berichten nicht erlaubt.")
                            .arg(m_deniedFunction));
        if (message.startsWith(QStringLiteral("not authorized")))
            throw Error(readOnlyMessage());
        throw Error(QStringLiteral("SQL-Fehler: %1").arg(message));
    }
    throw Error(QStringLiteral("SQL-Fehler: zu viele Tabellen in einer Anweisung."));
}

SqlQuery SqlEngine::query(const QString &sql, const QVariantList &params)
{
    if (parseDdl(sql).kind != DdlStatement::Kind::None)
        throw Error(QStringLiteral("Die Anweisung liefert keine Datensätze: '%1'").arg(sql));
    return SqlQuery(prepare(sql, params), &m_budget);
}

int SqlEngine::execute(const QString &sql, const QVariantList &params)
{
    const DdlStatement ddl = parseDdl(sql);
    if (ddl.kind != DdlStatement::Kind::None) {
        if (m_access != Access::ReadWrite)
            throw Error(readOnlyMessage());
        checkTableName(ddl.table);
        const QString path = DbfTable::resolve(m_folder, ddl.table);
        if (ddl.kind == DdlStatement::Kind::CreateTable) {
            if (QFileInfo::exists(path))
                throw Error(QStringLiteral("Die Tabelle '%1' gibt es bereits.").arg(ddl.table));
            DbfTable::create(path, ddl.fields);
        } else {
            if (!QFileInfo::exists(path))
                throw Error(QStringLiteral("Die Tabelle '%1' wurde im Datenbankordner nicht "
                                           "gefunden.")
                                .arg(ddl.table));
            auto table = DbfTable::open(path, DbfTable::Mode::Exclusive);
            for (const DbfField &f : ddl.fields) {
                if (table->fieldIndex(f.name) >= 0)
                    throw Error(QStringLiteral("Das Feld '%1' gibt es in '%2' bereits.")
                                    .arg(f.name, ddl.table));
                table->addField(f);
            }
        }
        refreshTable(ddl.table);
        return 0;
    }
    SqlQuery q(prepare(sql, params), &m_budget);
    while (q.next()) {
    }
    return changes();
}

int SqlEngine::changes() const
{
    return sqlite3_changes(m_db);
}

} // namespace lobrix::data

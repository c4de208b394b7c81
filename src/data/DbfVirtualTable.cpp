#include "data/DbfVirtualTable.h"

#include "data/DbfParallelScan.h"
#include "data/DbfTable.h"
#include "data/RecordFilter.h"
#include "data/SqlCollations.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace lobrix::data {
namespace {

struct Vtab : sqlite3_vtab {
    QString path;
    bool readOnly = false; // the engine only reads
    QVector<DbfField> fields; // as declared to SQLite
    int estimatedRows = 0;
    std::unique_ptr<DbfTable> writer; // open while a statement writes
};

struct Cursor : sqlite3_vtab_cursor {
    std::unique_ptr<DbfTable> table;
    std::vector<int> fieldOf; // declared column -> field index in the file now (-1: gone)
    RecordFilter filter;
    int recno = 0;
    const char *record = nullptr;
    bool eof = true;
    // Declared last, so it stops before the table and the filter it reads go away.
    std::unique_ptr<DbfParallelScan> scan;
};

Vtab *vtabOf(sqlite3_vtab_cursor *c) { return static_cast<Vtab *>(c->pVtab); }

int setError(sqlite3_vtab *vtab, const QString &message)
{
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", message.toUtf8().constData());
    return SQLITE_ERROR;
}

QString unquoteArgument(const char *arg)
{
    QString s = QString::fromUtf8(arg).trimmed();
    if (s.size() >= 2 && (s.front() == u'\'' || s.front() == u'"') && s.back() == s.front()) {
        const QChar q = s.front();
        s = s.mid(1, s.size() - 2);
        s.replace(QString(2, q), QString(q));
    }
    return s;
}

QByteArray declaration(const QVector<DbfField> &fields)
{
    QByteArray sql = "CREATE TABLE x(";
    for (int i = 0; i < fields.size(); ++i) {
        const DbfField &f = fields[i];
        if (i)
            sql += ", ";
        sql += '"' + f.name.toUtf8().replace('"', "\"\"") + "\" ";
        switch (f.type) {
        case 'D':
            sql += "TEXT COLLATE ";
            sql += kDateCollation;
            break;
        case 'N':
        case 'F':
            sql += "NUMERIC";
            break;
        case 'L':
            sql += "BOOLEAN";
            break;
        default:
            sql += "TEXT COLLATE ";
            sql += kGermanCollation;
            break;
        }
    }
    return sql + ")";
}

int connect(sqlite3 *db, void *aux, int argc, const char *const *argv, sqlite3_vtab **out,
            char **err)
{
    if (argc < 4) {
        *err = sqlite3_mprintf("dbfvt: Dateiname fehlt");
        return SQLITE_ERROR;
    }
    auto vtab = std::make_unique<Vtab>();
    std::memset(static_cast<sqlite3_vtab *>(vtab.get()), 0, sizeof(sqlite3_vtab));
    vtab->path = unquoteArgument(argv[3]);
    vtab->readOnly = aux != nullptr;
    try {
        auto table = DbfTable::open(vtab->path, DbfTable::Mode::ReadOnly);
        vtab->fields = table->fields();
        vtab->estimatedRows = table->recordCount();
    } catch (const Error &e) {
        *err = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
    const int rc = sqlite3_declare_vtab(db, declaration(vtab->fields).constData());
    if (rc != SQLITE_OK) {
        *err = sqlite3_mprintf("dbfvt: %s", sqlite3_errmsg(db));
        return rc;
    }
    *out = vtab.release();
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab *v)
{
    delete static_cast<Vtab *>(v);
    return SQLITE_OK;
}

bool pushable(const DbfField &f, unsigned char op, const char *collation)
{
    const bool eq = op == SQLITE_INDEX_CONSTRAINT_EQ;
    const bool range = op == SQLITE_INDEX_CONSTRAINT_LT || op == SQLITE_INDEX_CONSTRAINT_LE ||
                       op == SQLITE_INDEX_CONSTRAINT_GT || op == SQLITE_INDEX_CONSTRAINT_GE;
    const QByteArray coll = collation ? QByteArray(collation) : QByteArray("BINARY");
    switch (f.type) {
    case 'C':
        return eq && (coll == kGermanCollation || coll == "BINARY");
    case 'D':
        return (eq || range) && coll == kDateCollation;
    case 'N':
    case 'F':
        return eq || range;
    default:
        return false;
    }
}

char opCode(unsigned char op)
{
    switch (op) {
    case SQLITE_INDEX_CONSTRAINT_LT:
        return '<';
    case SQLITE_INDEX_CONSTRAINT_LE:
        return 'l';
    case SQLITE_INDEX_CONSTRAINT_GT:
        return '>';
    case SQLITE_INDEX_CONSTRAINT_GE:
        return 'g';
    default:
        return '=';
    }
}

int bestIndex(sqlite3_vtab *v, sqlite3_index_info *info)
{
    auto *vtab = static_cast<Vtab *>(v);
    QByteArray plan;
    int argIndex = 0;
    double cost = vtab->estimatedRows + 10.0;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto &c = info->aConstraint[i];
        if (!c.usable || c.iColumn < 0 || c.iColumn >= vtab->fields.size())
            continue;
        if (!pushable(vtab->fields[c.iColumn], c.op, sqlite3_vtab_collation(info, i)))
            continue;
        info->aConstraintUsage[i].argvIndex = ++argIndex;
        // Text and date conditions are checked exactly as SQLite would (same collation,
        // NULL never matches), so SQLite need not check them again; numbers it does.
        const char type = vtab->fields[c.iColumn].type;
        info->aConstraintUsage[i].omit = (type == 'C' || type == 'D') ? 1 : 0;
        plan += QByteArray::number(c.iColumn) + opCode(c.op) + ';';
        cost /= c.op == SQLITE_INDEX_CONSTRAINT_EQ ? 10.0 : 3.0;
    }
    // Scanning stays a full read; filtering only saves decoding, so keep the cost honest.
    info->estimatedCost = std::max(cost, vtab->estimatedRows / 4.0 + 1.0);
    info->estimatedRows = static_cast<sqlite3_int64>(std::max(1.0, cost));
    if (!plan.isEmpty()) {
        info->idxStr = sqlite3_mprintf("%s", plan.constData());
        info->needToFreeIdxStr = 1;
    }
    return SQLITE_OK;
}

int openCursor(sqlite3_vtab *, sqlite3_vtab_cursor **out)
{
    auto *c = new Cursor;
    std::memset(static_cast<sqlite3_vtab_cursor *>(c), 0, sizeof(sqlite3_vtab_cursor));
    *out = c;
    return SQLITE_OK;
}

int closeCursor(sqlite3_vtab_cursor *c)
{
    delete static_cast<Cursor *>(c);
    return SQLITE_OK;
}

// Moves to the next record that is not deleted and meets every constraint.
void loadRecord(Cursor *c)
{
    c->record = c->scan ? c->scan->next(&c->recno) : nullptr;
    c->eof = c->record == nullptr;
}

int filter(sqlite3_vtab_cursor *cur, int, const char *idxStr, int argc, sqlite3_value **argv)
{
    auto *c = static_cast<Cursor *>(cur);
    Vtab *vtab = vtabOf(cur);
    try {
        c->scan.reset(); // it reads the constraints replaced below
        if (!c->table)
            c->table = DbfTable::open(vtab->path, vtab->readOnly ? DbfTable::Mode::ReadOnly
                                                                 : DbfTable::Mode::Shared);
        c->fieldOf.assign(static_cast<size_t>(vtab->fields.size()), -1);
        for (int i = 0; i < vtab->fields.size(); ++i) {
            const int f = c->table->fieldIndex(vtab->fields[i].name);
            if (f >= 0 && c->table->fields()[f].type == vtab->fields[i].type)
                c->fieldOf[static_cast<size_t>(i)] = f;
        }
        c->filter = RecordFilter();
        const QList<QByteArray> plan = QByteArray(idxStr ? idxStr : "").split(';');
        int arg = 0;
        for (const QByteArray &step : plan) {
            if (step.isEmpty() || arg >= argc)
                continue;
            sqlite3_value *value = argv[arg++];
            const int column = step.left(step.size() - 1).toInt();
            RecordFilter::Op op = RecordFilter::Op::Eq;
            switch (step.back()) {
            case '<': op = RecordFilter::Op::Lt; break;
            case 'l': op = RecordFilter::Op::Le; break;
            case '>': op = RecordFilter::Op::Gt; break;
            case 'g': op = RecordFilter::Op::Ge; break;
            default: break;
            }
            const int fi = c->fieldOf[static_cast<size_t>(column)];
            if (sqlite3_value_type(value) == SQLITE_NULL || fi < 0) {
                // A comparison with NULL is never true; a field gone from the file reads
                // as NULL in every record.
                c->filter.never();
                continue;
            }
            const DbfField &field = c->table->fields()[fi];
            if (field.type == 'C') {
                const QString text = QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_value_text(value)),
                    sqlite3_value_bytes(value));
                QByteArray encoded;
                if (text.endsWith(u' ') || !encode(c->table->codePage(), text, encoded))
                    c->filter.never(); // a trimmed stored text can never equal it
                else
                    c->filter.textEquals(field, encoded);
            } else if (field.type == 'D') {
                c->filter.date(field, op,
                               QByteArray(reinterpret_cast<const char *>(sqlite3_value_text(value)),
                                          sqlite3_value_bytes(value)));
            } else {
                const int t = sqlite3_value_numeric_type(value);
                if (t != SQLITE_INTEGER && t != SQLITE_FLOAT)
                    continue; // leave the comparison with a text to SQLite
                c->filter.number(field, op, sqlite3_value_double(value));
            }
        }
        const int total = c->filter.isNever() ? 0 : c->table->recordCount();
        const int size = c->table->recordSize();
        DbfParallelScan::Options options;
        options.helper = DbfParallelScan::worthwhile(static_cast<long long>(total) * size);
        const RecordFilter *filter = &c->filter;
        c->scan = std::make_unique<DbfParallelScan>(
            *c->table, total,
            [filter, size](const char *block, int count, std::vector<int> &passing) {
                for (int i = 0; i < count; ++i)
                    if (filter->passes(block + static_cast<qsizetype>(i) * size))
                        passing.push_back(i);
            },
            options);
        loadRecord(c);
        return SQLITE_OK;
    } catch (const Error &e) {
        return setError(vtab, e.message());
    }
}

int next(sqlite3_vtab_cursor *cur)
{
    auto *c = static_cast<Cursor *>(cur);
    try {
        loadRecord(c);
        return SQLITE_OK;
    } catch (const Error &e) {
        return setError(cur->pVtab, e.message());
    }
}

int eof(sqlite3_vtab_cursor *cur) { return static_cast<Cursor *>(cur)->eof ? 1 : 0; }

void resultText(sqlite3_context *ctx, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

// A text field handed to SQLite as UTF-8 straight from the record, right-trimmed, without
// a detour through QString. False for a field with a NUL inside (decoded the slow way).
bool resultStoredText(sqlite3_context *ctx, CodePage cp, const char *p, int len)
{
    while (len > 0 && (p[len - 1] == ' ' || p[len - 1] == '\0'))
        --len;
    bool ascii = true;
    for (int i = 0; i < len; ++i) {
        if (p[i] == '\0')
            return false;
        ascii = ascii && static_cast<unsigned char>(p[i]) < 0x80;
    }
    if (ascii) {
        sqlite3_result_text(ctx, p, len, SQLITE_TRANSIENT);
        return true;
    }
    char utf8[3 * 256];
    const int n = len <= 256 ? decodeToUtf8(cp, p, len, utf8) : -1;
    if (n < 0)
        return false;
    sqlite3_result_text(ctx, utf8, n, SQLITE_TRANSIENT);
    return true;
}

// A stored date YYYYMMDD as DD.MM.YYYY; anything else reads as empty.
bool resultStoredDate(sqlite3_context *ctx, const char *p, int len)
{
    if (len != 8)
        return false;
    if (!RecordFilter::isStoredDate(p, len)) { // blank, 00000000 or damaged
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
        return true;
    }
    const char text[10] = {p[6], p[7], '.', p[4], p[5], '.', p[0], p[1], p[2], p[3]};
    sqlite3_result_text(ctx, text, 10, SQLITE_TRANSIENT);
    return true;
}

int column(sqlite3_vtab_cursor *cur, sqlite3_context *ctx, int col)
{
    auto *c = static_cast<Cursor *>(cur);
    const int f = c->fieldOf[static_cast<size_t>(col)];
    if (f < 0) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    const DbfField &field = c->table->fields()[f];
    try {
        switch (field.type) {
        case 'N':
        case 'F': {
            const char *p = c->record + field.offset;
            double v = 0;
            if (!RecordFilter::storedNumber(p, field.length, &v)) {
                sqlite3_result_null(ctx);
            } else if (field.decimals == 0 && std::abs(v) < 9e15 && v == std::trunc(v)) {
                // Range first: converting a double beyond 64 bits to an integer is undefined.
                sqlite3_result_int64(ctx, static_cast<qint64>(v));
            } else {
                sqlite3_result_double(ctx, v);
            }
            break;
        }
        case 'L': {
            const int l = c->table->logical(c->record, f);
            if (l < 0)
                sqlite3_result_null(ctx);
            else
                sqlite3_result_int(ctx, l);
            break;
        }
        case 'M':
            resultText(ctx, c->table->memo(c->record, f));
            break;
        case 'C':
            if (!resultStoredText(ctx, c->table->codePage(), c->record + field.offset, field.length))
                resultText(ctx, c->table->text(c->record, f));
            break;
        case 'D':
            if (!resultStoredDate(ctx, c->record + field.offset, field.length))
                resultText(ctx, c->table->text(c->record, f));
            break;
        default:
            resultText(ctx, c->table->text(c->record, f));
            break;
        }
    } catch (const Error &e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor *cur, sqlite3_int64 *out)
{
    *out = static_cast<Cursor *>(cur)->recno;
    return SQLITE_OK;
}

DbfTable &writer(Vtab *vtab)
{
    if (!vtab->writer)
        vtab->writer = DbfTable::open(vtab->path, DbfTable::Mode::Shared);
    return *vtab->writer;
}

DbfValues valuesOf(Vtab *vtab, DbfTable &table, int argc, sqlite3_value **argv)
{
    DbfValues values;
    for (int i = 2; i < argc && i - 2 < vtab->fields.size(); ++i) {
        const int f = table.fieldIndex(vtab->fields[i - 2].name);
        if (f < 0)
            continue;
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[i]));
        values.push_back({f, text ? QString::fromUtf8(text, sqlite3_value_bytes(argv[i]))
                                  : QString()});
    }
    return values;
}

int update(sqlite3_vtab *v, int argc, sqlite3_value **argv, sqlite3_int64 *newRowid)
{
    auto *vtab = static_cast<Vtab *>(v);
    try {
        DbfTable &table = writer(vtab);
        if (argc == 1) {
            table.setDeleted(static_cast<int>(sqlite3_value_int64(argv[0])), true);
        } else if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            *newRowid = table.append(valuesOf(vtab, table, argc, argv));
        } else {
            const auto oldRow = sqlite3_value_int64(argv[0]);
            if (sqlite3_value_int64(argv[1]) != oldRow)
                return setError(v, QStringLiteral("Die Satznummer kann nicht geändert werden."));
            table.update(static_cast<int>(oldRow), valuesOf(vtab, table, argc, argv));
        }
        return SQLITE_OK;
    } catch (const Error &e) {
        return setError(v, e.message());
    }
}

int begin(sqlite3_vtab *) { return SQLITE_OK; }

int finish(sqlite3_vtab *v)
{
    static_cast<Vtab *>(v)->writer.reset(); // other workstations may pack again
    return SQLITE_OK;
}

const sqlite3_module kModule = {
    /* iVersion */ 1,
    /* xCreate */ connect,
    /* xConnect */ connect,
    /* xBestIndex */ bestIndex,
    /* xDisconnect */ disconnect,
    /* xDestroy */ disconnect,
    /* xOpen */ openCursor,
    /* xClose */ closeCursor,
    /* xFilter */ filter,
    /* xNext */ next,
    /* xEof */ eof,
    /* xColumn */ column,
    /* xRowid */ rowid,
    /* xUpdate */ update,
    /* xBegin */ begin,
    /* xSync */ begin,
    /* xCommit */ finish,
    /* xRollback */ finish,
    /* xFindFunction */ nullptr,
    /* xRename */ nullptr,
    /* xSavepoint */ nullptr,
    /* xRelease */ nullptr,
    /* xRollbackTo */ nullptr,
    /* xShadowName */ nullptr,
};

} // namespace

void registerDbfModule(sqlite3 *db, bool readOnly)
{
    // The module's aux pointer only says "read-only"; it is never dereferenced.
    static char readOnlyTag = 0;
    sqlite3_create_module(db, kDbfModuleName, &kModule, readOnly ? &readOnlyTag : nullptr);
}

} // namespace lobrix::data

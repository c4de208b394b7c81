#pragma once
// Shared pieces of the table tests: fixtures, raw file surgery, the helper program and the
// Python dBASE readers used as independent witnesses.
#include "common/Error.h"
#include "data/DbfTable.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStringList>

#include <functional>

namespace lobrix::test::dbf {

inline QString fixture(const QString &relative)
{
    return QStringLiteral(LOBRIX_SHARED_DIR "/fixtures/") + relative;
}

// Copies every file of a fixture folder into `target`, writable.
inline void copyFixtures(const QString &relativeFolder, const QString &target)
{
    const QDir source(fixture(relativeFolder));
    for (const QString &name : source.entryList(QDir::Files)) {
        const QString to = target + u'/' + name;
        QFile::copy(source.filePath(name), to);
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    }
}

// The message of the lobrix::Error that action throws; empty when it throws none.
inline QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &e) {
        return e.message();
    }
    return QString();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline quint32 headerCount(const QByteArray &file)
{
    const auto b = [&](int i) { return static_cast<quint32>(static_cast<quint8>(file.at(i))); };
    return b(4) | (b(5) << 8) | (b(6) << 16) | (b(7) << 24);
}

inline void setHeaderCount(QByteArray &file, quint32 count)
{
    for (int i = 0; i < 4; ++i)
        file[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
}

inline QString helperProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/dbf_stress");
}

inline const char *kPython = "/usr/bin/python3";

// True when /usr/bin/python3 has both dBASE modules.
inline bool pythonReadersAvailable()
{
    static const bool available = [] {
        QProcess p;
        p.start(QString::fromLatin1(kPython), {"-c", "import dbfread, dbf"});
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }();
    return available;
}

// Runs a Python script with arguments; returns its stdout as JSON (null on failure, with
// the reason in `error`).
inline QJsonDocument runPython(const QString &script, const QStringList &args, QString *error)
{
    QProcess p;
    p.start(QString::fromLatin1(kPython), QStringList{"-c", script} + args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        *error = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &parseError);
    if (doc.isNull())
        *error = parseError.errorString();
    return doc;
}

// Prints, for every table path given, its live rows as read by dbfread and by python-dbf,
// each value in the text form of DbfTable::text (dates DD.MM.YYYY, logicals T/F/"",
// numbers with the field's decimals, text right-trimmed).
inline const char *kReadTablesScript = R"PY(
import sys, json, datetime
import dbfread, dbf

def text(v, dec):
    if v is None:
        return ""
    if isinstance(v, bool):
        return "T" if v else "F"
    if isinstance(v, datetime.date):
        return v.strftime("%d.%m.%Y")
    if isinstance(v, float) or (isinstance(v, int) and dec > 0):
        return f"{v:.{dec}f}"
    if isinstance(v, str):
        return v.rstrip(" ")
    return str(v)

out = {}
for path in sys.argv[1:]:
    t = dbfread.DBF(path, char_decode_errors="strict")
    a = [[text(r[f.name], f.decimal_count) for f in t.fields] for r in t]
    tb = dbf.Table(path)
    tb.open(dbf.READ_ONLY)
    names = tb.field_names
    decs = [tb.field_info(n)[2] for n in names]
    b = [[text(rec[n], d) for n, d in zip(names, decs)] for rec in tb if not dbf.is_deleted(rec)]
    tb.close()
    out[path] = {"fields": [f.name for f in t.fields], "dbfread": a, "dbf": b}
print(json.dumps(out))
)PY";

// Every record of a table with every field as text, deleted ones left out.
inline QList<QStringList> liveRows(const data::DbfTable &table)
{
    QList<QStringList> rows;
    const int n = table.recordCount();
    const QByteArray block = table.readBlock(0, n);
    for (qsizetype at = 0; at < block.size(); at += table.recordSize()) {
        const char *record = block.constData() + at;
        if (data::DbfTable::isDeleted(record))
            continue;
        QStringList row;
        for (int f = 0; f < table.fields().size(); ++f)
            row << table.text(record, f);
        rows << row;
    }
    return rows;
}

} // namespace lobrix::test::dbf

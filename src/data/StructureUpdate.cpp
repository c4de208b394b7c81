#include "data/StructureUpdate.h"

#include "common/Error.h"
#include "common/TextFile.h"
#include "data/SqlEngine.h"

#include <QDir>

namespace lobrix::data {
namespace {

struct FieldLine {
    QString name;
    QString type;
};

// Splits "Name=TYPE" at its last "=": a name may itself hold an equals sign.
FieldLine splitFieldLine(const QString &line)
{
    const qsizetype eq = line.lastIndexOf(u'=');
    if (eq < 0)
        throw Error(QStringLiteral("Zeile ohne '=' in Struktur.txt: '%1'").arg(line));
    return {line.left(eq).trimmed(), line.mid(eq + 1).trimmed()};
}

bool isHeader(const QString &line)
{
    return line.startsWith(u'[') && line.endsWith(u']');
}

bool tableExists(SqlEngine &sql, const QString &table)
{
    try {
        sql.query(QStringLiteral("Select * FROM ") + table);
        return true;
    } catch (const Error &) {
        return false;
    }
}

bool hasField(SqlEngine &sql, const QString &table, const QString &field)
{
    SqlQuery q = sql.query(QStringLiteral("Select *\nFrom ") + table);
    const QString wanted = field.toUpper();
    for (int i = 0; i < q.columnCount(); ++i)
        if (q.columnName(i).toUpper() == wanted)
            return true;
    return false;
}

} // namespace

const QString &StructureUpdate::stopLine()
{
    static const QString line = QStringLiteral(
        "Keine Strukturvogabe vorhanden. Datei 'Struktur.txt' nicht im Datenbankordner gefunden.");
    return line;
}

StructureUpdate::Result StructureUpdate::run(const QString &databaseFolder,
                                             const std::function<void(const QString &)> &showMessage)
{
    Result result;
    QString summary;
    const QDir folder(databaseFolder);
    bool readable = false;
    const QStringList lines =
        TextFile::readLines(folder.filePath(QString::fromLatin1(kStructureFile)), &readable);
    if (!readable) {
        result.logLines << stopLine();
        result.stopped = true;
    } else {
        try {
            SqlEngine sql(databaseFolder);
            QString table;
            for (qsizetype i = 0; i < lines.size(); ++i) {
                const QString line = lines[i].trimmed();
                if (line.isEmpty())
                    continue;
                if (isHeader(line)) {
                    table = line.mid(1, line.size() - 2);
                    if (i + 1 >= lines.size())
                        throw Error(QStringLiteral("Tabelle '%1' ohne Felder").arg(table));
                    const FieldLine first = splitFieldLine(lines[i + 1].trimmed());
                    if (!tableExists(sql, table)) {
                        sql.execute(QStringLiteral("CREATE TABLE '%1' (%2 %3)")
                                        .arg(table, first.name, first.type));
                        result.logLines << QStringLiteral("Tabelle erstellt\tTabelle: '%1'\tmit "
                                                          "Feld: '%2'\tFeldTyp: '%3'")
                                               .arg(table, first.name, first.type);
                        result.createdTables << table;
                        summary += QStringLiteral("  -> ") + table + u'\n';
                    }
                    continue;
                }
                if (table.isEmpty())
                    throw Error(QStringLiteral("Feld vor der ersten Tabelle: '%1'").arg(line));
                const FieldLine field = splitFieldLine(line);
                if (!hasField(sql, table, field.name)) {
                    sql.execute(QStringLiteral("ALTER TABLE '%1' ADD %2 %3")
                                    .arg(table, field.name, field.type));
                    result.logLines << QStringLiteral("Feld erstellt\tTabelle: '%1'\t Feld: "
                                                      "'%2'\tFeldTyp: '%3'")
                                           .arg(table, field.name, field.type);
                    ++result.addedFields;
                }
            }
        } catch (const Error &) {
            // What was done up to here stays done; the log says the run stopped.
            result.logLines << stopLine();
            result.stopped = true;
        }
    }

    if (!summary.isEmpty()) {
        result.message = QStringLiteral("Ein Datenbankupdate wurde erfolgreich durchgeführt.\n"
                                        "Folgende Tabellen wurden geändert:\n\n") +
                         summary +
                         QStringLiteral("\nNähere Informationen finden Sie in der Datei "
                                        "'UpdateLog.txt' im Datenbankordner.");
        if (showMessage)
            showMessage(result.message);
    }
    try {
        TextFile::writeLines(folder.filePath(QString::fromLatin1(kLogFile)), result.logLines);
    } catch (const Error &) {
        // A database folder that cannot be written is reported by the first real write.
    }
    return result;
}

} // namespace lobrix::data

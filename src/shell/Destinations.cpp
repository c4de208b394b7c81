#include "shell/Destinations.h"

#include "common/CodePage.h"
#include "common/Error.h"
#include "common/TextFile.h"
#include "data/DbfCursor.h"
#include "data/DbfTable.h"
#include "data/SqlEngine.h"
#include "data/TableScan.h"
#include "data/Tables.h"

#include <QDir>
#include <QStringDecoder>

namespace lobrix::shell {
namespace {

std::unique_ptr<data::DbfCursor> rowOf(const QString &folder, const QString &name)
{
    auto cursor = std::make_unique<data::DbfCursor>(folder, QString::fromLatin1(data::tables::Ziele));
    cursor->whereText(data::columns::Name, name);
    return cursor;
}

// The file's lines: UTF-8 when the bytes are valid UTF-8, otherwise Windows-1252.
QStringList linesOf(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = decode(CodePage::Cp1252, bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1); // a byte order mark some editors write
    QStringList lines;
    for (const QByteArray &line : TextFile::splitLines(text.toUtf8()))
        lines << QString::fromUtf8(line);
    return lines;
}

} // namespace

QStringList Destinations::list() const
{
    data::SqlEngine sql(m_folder, data::SqlEngine::Access::ReadOnly);
    data::SqlQuery query = sql.query(listStatement());
    const int name = query.columnIndex(data::columns::Name);
    QStringList out;
    while (query.next())
        out << query.text(name);
    return out;
}

QString Destinations::existsMessage()
{
    return QStringLiteral("Der Eintrag ist bereits vorhanden. Es wurde kein neuer Eintrag hinzugefügt.");
}

QString Destinations::changedMessage(const QString &name)
{
    return QStringLiteral("Der Eintrag '%1' wurde inzwischen an einem anderen Arbeitsplatz geändert "
                          "oder gelöscht. Die Liste wird neu eingelesen.")
        .arg(name);
}

bool Destinations::add(const QString &name) const
{
    auto cursor = rowOf(m_folder, name);
    if (cursor->first())
        return false;
    cursor->append();
    cursor->setValue(data::columns::Name, name);
    cursor->post();
    return true;
}

bool Destinations::rename(const QString &current, const QString &renamed) const
{
    auto cursor = rowOf(m_folder, current);
    if (!cursor->first())
        return false;
    cursor->setValue(data::columns::Name, renamed);
    cursor->post();
    return true;
}

bool Destinations::remove(const QString &name) const
{
    auto cursor = rowOf(m_folder, name);
    if (!cursor->first())
        return false;
    cursor->deleteRecord(); // not packed: the table stays shared
    return true;
}

Destinations::Import Destinations::importFile(const QString &path) const
{
    Import out;
    TextFile::ReadStatus status = TextFile::ReadStatus::Failed;
    const QByteArray bytes = TextFile::readBytes(path, &status);
    if (status != TextFile::ReadStatus::Ok) {
        out.message = QStringLiteral("Die Datei '%1' kann nicht gelesen werden.")
                          .arg(QDir::toNativeSeparators(path));
        return out;
    }
    const QStringList lines = linesOf(bytes);
    auto table = data::openTable(m_folder, data::tables::Ziele);
    const int field = table->fieldIndexOrThrow(data::columns::Name);
    const int width = table->fields().at(field).length;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        QString problem;
        if (!table->canStore(line))
            problem = QStringLiteral("sie enthält ein Zeichen, das die Datenbank nicht speichern kann");
        else if (line.size() > width)
            problem = QStringLiteral("sie ist länger als %1 Zeichen").arg(width);
        if (!problem.isEmpty()) {
            out.message = QStringLiteral("Die Zeile %1 der Datei '%2' kann nicht übernommen werden: "
                                         "%3. Es wurde nichts importiert.")
                              .arg(i + 1)
                              .arg(QDir::toNativeSeparators(path), problem);
            return out;
        }
    }
    for (const QString &line : lines) {
        table->append({{field, line}});
        ++out.added;
    }
    return out;
}

} // namespace lobrix::shell

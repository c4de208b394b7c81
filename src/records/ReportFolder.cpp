#include "records/ReportFolder.h"

#include "common/Error.h"
#include "common/FileModes.h"
#include "common/TextFile.h"
#include "data/DbfTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lobrix::records {
namespace {

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

} // namespace

bool ReportFolder::exists() const
{
    return !m_folder.isEmpty() && QFileInfo(m_folder).isDir();
}

QStringList ReportFolder::names() const
{
    if (!exists())
        return {};
    QStringList files = QDir(m_folder).entryList(QDir::Files);
    QStringList result;
    for (const QString &f : files)
        if (f.endsWith(QLatin1String(".sql"), Qt::CaseInsensitive) && f.size() > 4)
            result << f.left(f.size() - 4);
    std::sort(result.begin(), result.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return result;
}

std::optional<QString> ReportFolder::nameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Bitte geben Sie einen Namen für den Bericht ein.");
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    bool control = false;
    for (const QChar c : name)
        control = control || c.unicode() < 32;
    if (control || name.contains(QStringLiteral("..")) || std::any_of(name.begin(), name.end(), [](QChar c) {
            return forbidden.contains(c);
        }))
        return QStringLiteral("Der Name '%1' kann nicht als Dateiname verwendet werden. Ein "
                              "Berichtsname darf keines der Zeichen \\ / : * ? \" < > | und "
                              "nicht \"..\" enthalten.")
            .arg(name);
    return std::nullopt;
}

QString ReportFolder::path(const QString &name, QStringView extension) const
{
    return existing(name + extension.toString());
}

QString ReportFolder::existing(const QString &fileName) const
{
    return data::DbfTable::resolve(m_folder, fileName);
}

QStringList ReportFolder::readQuery(const QString &name) const
{
    const QString p = queryPath(name);
    bool ok = false;
    QStringList lines = TextFile::readLines(p, &ok);
    if (!ok)
        throw Error(QStringLiteral("Die Berichtsdatei '%1' konnte nicht gelesen werden.").arg(shown(p)));
    return lines;
}

QStringList ReportFolder::readState(const QString &name) const
{
    const QString p = statePath(name);
    bool ok = false;
    QStringList lines = TextFile::readLines(p, &ok);
    if (!ok)
        throw Error(QStringLiteral("Der Bericht '%1' hat keine lesbare Aufbaudatei '%2'; er wurde nicht "
                                   "mit \"neuen Bericht erstellen\" angelegt und kann hier nicht "
                                   "bearbeitet werden.")
                        .arg(name, shown(p)));
    return lines;
}

QString ReportFolder::uniqueName(const QString &base) const
{
    const QStringList taken = names();
    const auto isTaken = [&](const QString &n) {
        return std::any_of(taken.begin(), taken.end(),
                           [&](const QString &t) { return t.compare(n, Qt::CaseInsensitive) == 0; });
    };
    QString name = base;
    for (int n = 1; isTaken(name) && n <= MaxUniquePasses; ++n)
        name = base + QStringLiteral(" [%1]").arg(n);
    return name;
}

void ReportFolder::write(const QString &name, const QStringList &sqlLines, const QStringList &stateLines) const
{
    if (const auto problem = nameProblem(name))
        throw Error(*problem);
    if (!exists() && !FileModes::makeFolder(m_folder))
        throw Error(QStringLiteral("Der Listenordner '%1' konnte nicht angelegt werden.").arg(shown(m_folder)));
    // The state first: a query file without its state would be a report that cannot be
    // edited; a state file without a query file is not a report.
    TextFile::writeLines(statePath(name), stateLines);
    TextFile::writeLines(queryPath(name), sqlLines);
}

void ReportFolder::rename(const QString &oldName, const QString &newName) const
{
    if (const auto problem = nameProblem(newName))
        throw Error(*problem);
    if (oldName == newName)
        return;
    const QString from = queryPath(oldName);
    const QString to = QDir(m_folder).filePath(newName + QStringLiteral(".sql"));
    // Another case of the same name is the same report on a Windows share.
    if (oldName.compare(newName, Qt::CaseInsensitive) != 0 && QFileInfo::exists(queryPath(newName)))
        throw Error(QStringLiteral("Es gibt bereits einen Bericht '%1'. Der Bericht behält seinen Namen.")
                        .arg(newName));
    if (!QFile::rename(from, to))
        throw Error(QStringLiteral("Der Bericht '%1' konnte nicht umbenannt werden. Er behält seinen Namen.")
                        .arg(oldName));
    const QString oldState = statePath(oldName);
    if (QFileInfo::exists(oldState)) {
        const QString newState = QDir(m_folder).filePath(newName + QStringLiteral(".lst"));
        QFile::remove(newState); // a stray state file of the new name has no report
        QFile::rename(oldState, newState);
    }
}

void ReportFolder::remove(const QString &name) const
{
    const QString query = queryPath(name);
    if (!QFile::remove(query) && QFileInfo::exists(query))
        throw Error(QStringLiteral("Der Bericht '%1' konnte nicht gelöscht werden.").arg(name));
    QFile::remove(statePath(name));
}

std::vector<std::optional<int>> ReportFolder::readColumnWidths(const QString &name) const
{
    bool ok = false;
    const QStringList lines = TextFile::readLines(columnPath(name), &ok);
    std::vector<std::optional<int>> widths;
    if (!ok)
        return widths;
    for (const QString &line : lines) {
        bool isNumber = false;
        const int w = line.trimmed().toInt(&isNumber);
        widths.push_back(isNumber ? std::optional<int>(w) : std::nullopt);
    }
    return widths;
}

void ReportFolder::writeColumnFile(const QString &name, const std::vector<int> &widths,
                                   const QStringList &fieldNames) const
{
    QStringList lines;
    for (const int w : widths)
        lines << QString::number(w);
    lines << fieldNames;
    TextFile::writeLines(columnPath(name), lines);
}

} // namespace lobrix::records

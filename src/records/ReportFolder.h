#pragma once
// The report definitions of the lists folder: per report the query file (name + ".sql",
// whose presence makes the report exist), the builder's state file (".lst", 40 lines)
// and the grid's column file (".col"), all Windows-1252 with CR LF.
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace lobrix::records {

class ReportFolder {
public:
    static constexpr int MaxUniquePasses = 1000;

    explicit ReportFolder(QString folder) : m_folder(std::move(folder)) {}
    const QString &folder() const { return m_folder; }
    bool exists() const;

    // The reports by name, sorted without regard to case; empty for a missing folder.
    QStringList names() const;
    // "-- " + name, as the list shows it, and back.
    static QString entryText(const QString &name) { return QStringLiteral("-- ") + name; }
    static QString nameOfEntry(const QString &entry) { return entry.mid(3); }

    // Why a name cannot be a report name (a file of this folder), or nothing.
    static std::optional<QString> nameProblem(const QString &name);

    QString queryPath(const QString &name) const { return path(name, u".sql"); }
    QString statePath(const QString &name) const { return path(name, u".lst"); }
    QString columnPath(const QString &name) const { return path(name, u".col"); }

    // Throw lobrix::Error naming the file when it cannot be read.
    QStringList readQuery(const QString &name) const;
    QStringList readState(const QString &name) const;

    // `base`, or base + " [n]" with the smallest n >= 1 whose query file does not exist.
    QString uniqueName(const QString &base) const;
    // Writes the query file and the state file, creating the folder when it is missing.
    // Throws lobrix::Error (also for a name nameProblem refuses).
    void write(const QString &name, const QStringList &sqlLines, const QStringList &stateLines) const;
    // Moves the query file and the state file (if any) to the new name; the column file
    // stays. Throws lobrix::Error when the name is refused, a report of that name exists
    // or the move fails; then nothing is moved.
    void rename(const QString &oldName, const QString &newName) const;
    // Deletes the query file and the state file; the column file stays, so a new report
    // of the same name takes its widths. Throws lobrix::Error when the query file stays.
    void remove(const QString &name) const;

    // The widths of the column file by position; nothing for a line that is not a number.
    std::vector<std::optional<int>> readColumnWidths(const QString &name) const;
    // Widths, then the field names of the same columns.
    void writeColumnFile(const QString &name, const std::vector<int> &widths,
                         const QStringList &fieldNames) const;

private:
    QString path(const QString &name, QStringView extension) const;
    // The file of that name in the folder, found without regard to case.
    QString existing(const QString &fileName) const;

    QString m_folder;
};

} // namespace lobrix::records

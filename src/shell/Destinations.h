#pragma once
// The visit destinations of Ziele.dbf, shared by all workstations: listed in name order
// (the visit form's drop-down reads the same list), added, renamed, deleted and imported
// from a text file. Rows are found by their whole text, bound as data.
#include <QString>
#include <QStringList>

namespace lobrix::shell {

class Destinations {
public:
    explicit Destinations(QString databaseFolder) : m_folder(std::move(databaseFolder)) {}

    // Every destination in name order, as the destinations window lists them.
    static QString listStatement() { return QStringLiteral("Select *\nFrom Ziele.dbf\nOrder By Name"); }

    // "Select *", "From Ziele.dbf", "Order By Name".
    QStringList list() const;

    // False when a destination of exactly that text exists; nothing is added then.
    bool add(const QString &name) const;
    // False when no row holds `current` any more (another workstation changed it since the
    // list was filled); nothing changes then.
    bool rename(const QString &current, const QString &renamed) const;
    bool remove(const QString &name) const;

    struct Import {
        int added = 0;
        QString message; // why nothing was imported; empty on success
    };
    // Appends every line of the file as it stands (empty lines too). The file is read as
    // UTF-8 when it is valid UTF-8, otherwise as Windows-1252. A line the table cannot hold
    // refuses the whole file, naming the line; nothing is half-imported.
    Import importFile(const QString &path) const;

    static QString existsMessage();
    static QString changedMessage(const QString &name);

private:
    QString m_folder;
};

} // namespace lobrix::shell

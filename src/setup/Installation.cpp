#include "setup/Installation.h"

#include "common/Error.h"
#include "common/TextFile.h"
#include "data/DbfTable.h"
#include "data/DefaultStructure.h"
#include "data/StructureUpdate.h"
#include "layouts/StandardLayouts.h"
#include "common/IniFile.h"
#include "shell/SettingsKeys.h"
#include "shell/UsersFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace lobrix::setup {

using namespace shell;

namespace {

void refuseExisting(const QDir &start, const QDir &db)
{
    const auto taken = [](const QDir &dir, const QString &file) {
        return QFileInfo::exists(data::DbfTable::resolve(dir.path(), file));
    };
    if (taken(start, QString::fromLatin1(keys::SettingsFile)) ||
        taken(start, QString::fromLatin1(UsersFile::FileName)))
        throw Error(QStringLiteral("Im Startordner '%1' gibt es bereits eine Installation.")
                        .arg(start.absolutePath()));
    const QStringList dbf = db.entryList({QStringLiteral("*.dbf"), QStringLiteral("*.DBF")},
                                         QDir::Files);
    if (taken(db, QString::fromLatin1(data::StructureUpdate::kStructureFile)) || !dbf.isEmpty() ||
        taken(db, QString::fromLatin1(keys::GlobalFile)))
        throw Error(QStringLiteral("Im Datenbankordner '%1' gibt es bereits eine Installation.")
                        .arg(db.absolutePath()));
}

} // namespace

QStringList Installation::defaultCountries()
{
    return {
        QStringLiteral("Deutschland"),  QStringLiteral("Österreich"),
        QStringLiteral("Schweiz"),      QStringLiteral("Frankreich"),
        QStringLiteral("Italien"),      QStringLiteral("Niederlande"),
        QStringLiteral("Belgien"),      QStringLiteral("Luxemburg"),
        QStringLiteral("Dänemark"),     QStringLiteral("Polen"),
        QStringLiteral("Tschechien"),   QStringLiteral("Slowakei"),
        QStringLiteral("Ungarn"),       QStringLiteral("Slowenien"),
        QStringLiteral("Kroatien"),     QStringLiteral("Spanien"),
        QStringLiteral("Portugal"),     QStringLiteral("Vereinigtes Königreich"),
        QStringLiteral("Irland"),       QStringLiteral("Schweden"),
        QStringLiteral("Norwegen"),     QStringLiteral("Finnland"),
        QStringLiteral("Rumänien"),     QStringLiteral("Bulgarien"),
        QStringLiteral("Griechenland"), QStringLiteral("Türkei"),
        QStringLiteral("USA"),          QStringLiteral("Kanada"),
        QStringLiteral("China"),        QStringLiteral("Japan"),
        QStringLiteral("Indien"),
    };
}

namespace {

// What a folder held before the installation was made in it, so that a failed one
// removes exactly what it made.
class MadeHere {
public:
    explicit MadeHere(const QDir &dir)
        : m_dir(dir), m_existed(dir.exists()),
          m_before(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
    {
    }
    void undo() const
    {
        if (!m_existed) {
            QDir(m_dir).removeRecursively();
            return;
        }
        const QStringList now =
            m_dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &entry : now) {
            if (m_before.contains(entry))
                continue;
            const QString path = m_dir.filePath(entry);
            if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
                QDir(path).removeRecursively();
            else
                QFile::remove(path);
        }
    }

private:
    QDir m_dir;
    bool m_existed;
    QStringList m_before;
};

// Visitor data is personal data: what the installation makes is for its owner and
// group (the workstations' accounts) only, whatever the umask of the administrator.
class PrivateFiles {
public:
    PrivateFiles() : m_old(::umask(0)) { ::umask(m_old | 007); }
    ~PrivateFiles() { ::umask(m_old); }
    PrivateFiles(const PrivateFiles &) = delete;
    PrivateFiles &operator=(const PrivateFiles &) = delete;

private:
    mode_t m_old;
};

// Made under PrivateFiles, so a new folder is the owner's and group's; a folder that was
// there keeps the permissions the administrator gave it.
void makePrivateFolder(const QDir &dir)
{
    if (!QDir().mkpath(dir.path()))
        throw Error(QStringLiteral("Der Ordner '%1' konnte nicht angelegt werden.").arg(dir.path()));
}

} // namespace

void Installation::create(const QString &startFolder, const QString &databaseFolder,
                          const Options &options)
{
    const QDir start(QDir(startFolder).absolutePath());
    const QDir db(QDir(databaseFolder).absolutePath());
    refuseExisting(start, db);
    const MadeHere startBefore(start), dbBefore(db);
    const PrivateFiles privateFiles;
    try {
        fill(start, db, options);
    } catch (...) {
        dbBefore.undo();
        startBefore.undo();
        throw;
    }
}

void Installation::fill(const QDir &start, const QDir &db, const Options &options)
{
    makePrivateFolder(start);
    makePrivateFolder(db);

    // The tables come from the structure file through the same update every start runs.
    TextFile::writeLines(db.filePath(QString::fromLatin1(data::StructureUpdate::kStructureFile)),
                         data::DefaultStructure::structureText().split(u'\n'));
    const auto update = data::StructureUpdate::run(db.path());
    if (update.stopped)
        throw Error(QStringLiteral("Die Tabellen im Datenbankordner '%1' konnten nicht angelegt "
                                   "werden (siehe UpdateLog.txt).")
                        .arg(db.path()));

    {
        auto badges = data::DbfTable::open(data::DbfTable::resolve(db.path(),
                                                                   QStringLiteral("Ausweis.dbf")));
        const int number = badges->fieldIndexOrThrow(QStringLiteral("Ausweis"));
        const int kommt = badges->fieldIndexOrThrow(QStringLiteral("Kommt"));
        for (int n = 1; n <= options.badges; ++n)
            badges->append({{number, QString::number(n)}, {kommt, QStringLiteral("25:00")}});
    }

    IniFile global(db.filePath(QString::fromLatin1(keys::GlobalFile)));
    keys::write(global, keys::global::Locked, false);
    keys::write(global, keys::global::LastSatz, 0);

    TextFile::writeLines(db.filePath(QString::fromLatin1(keys::LaenderFile)), defaultCountries());

    data::DbfTable::create(start.filePath(QString::fromLatin1(data::DefaultStructure::kPrintTable)),
                           data::DefaultStructure::printTableFields());

    // Ten empty slots; the demo gets a user "demo" with every right in slot 0.
    UsersFile users = UsersFile::createEmpty();
    if (options.demo)
        users.StoreUserSlot(0, {QStringLiteral("demo"), QStringLiteral("demo"), UserRights::all()});
    users.write(start.filePath(QString::fromLatin1(UsersFile::FileName)));

    const QString lists = db.filePath(QStringLiteral("Listen"));
    makePrivateFolder(QDir(lists));
    IniFile settings(start.filePath(QString::fromLatin1(keys::SettingsFile)));
    keys::write(settings, keys::settings::DatenbankPfad, db.path());
    keys::write(settings, keys::settings::ListenPfad, lists);
    if (options.demo) {
        keys::write(settings, keys::settings::UhrzeitDatum, true);
        keys::write(settings, keys::settings::Designer, true);
    }

    layouts::StandardLayouts::install(start.path(), db.path());
}

} // namespace lobrix::setup

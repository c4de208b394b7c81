#include "setup/Installation.h"

#include "common/Error.h"
#include "common/FileModes.h"
#include "common/IniFile.h"
#include "common/TextFile.h"
#include "common/TimeText.h"
#include "data/DbfTable.h"
#include "data/DefaultStructure.h"
#include "data/FolderLock.h"
#include "data/StructureUpdate.h"
#include "data/Tables.h"
#include "layouts/StandardLayouts.h"
#include "records/ReportFolder.h"
#include "records/StandardReports.h"
#include "shell/SettingsKeys.h"
#include "shell/UsersFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lobrix::setup {

using namespace shell;

namespace {

bool taken(const QDir &dir, const QString &file)
{
    return QFileInfo::exists(data::DbfTable::resolve(dir.path(), file));
}

void refuseExistingStart(const QDir &start)
{
    if (taken(start, QString::fromLatin1(keys::SettingsFile)) ||
        taken(start, QString::fromLatin1(UsersFile::FileName)))
        throw Error(QStringLiteral("Im Startordner '%1' gibt es bereits eine Installation.")
                        .arg(start.absolutePath()));
}

void refuseExisting(const QDir &start, const QDir &db)
{
    refuseExistingStart(start);
    const QStringList dbf = db.entryList({QStringLiteral("*.dbf"), QStringLiteral("*.DBF")},
                                         QDir::Files);
    if (taken(db, QString::fromLatin1(data::StructureUpdate::kStructureFile)) || !dbf.isEmpty() ||
        taken(db, QString::fromLatin1(keys::GlobalFile)))
        throw Error(QStringLiteral("Im Datenbankordner '%1' gibt es bereits eine Installation.")
                        .arg(db.absolutePath()));
}

// A few frequent visitors and pre-registrations for today and the two weeks after it.
void fillDemoData(const QDir &db)
{
    struct Person {
        const char *name, *vorname, *firma, *ort, *ziel;
    };
    static const Person people[] = {
        {"Becker", "Anna", "Becker Elektrotechnik GmbH", "Bremen", "Werkstatt"},
        {"O'Brien", "Sean", "Dublin Logistics Ltd.", "Dublin", "Versand"},
        {"Öztürk", "Ayla", "Öztürk & Partner", "Hamburg", "Einkauf"},
        {"Schäfer", "Jürgen", "Schäfer Sicherheitstechnik", "Hannover", "Empfang"},
        {"Wagner", "Lena", "Wagner Reinigungsdienste", "Oldenburg", "Verwaltung"},
    };
    {
        auto stamm = data::DbfTable::open(data::DbfTable::resolve(db.path(), QString::fromLatin1(data::tables::Stamm)));
        const auto f = [&](QLatin1String c) { return stamm->fieldIndexOrThrow(c); };
        for (const Person &p : people) {
            stamm->append({{f(data::columns::Name), QString::fromUtf8(p.name)},
                           {f(data::columns::Vorname), QString::fromUtf8(p.vorname)},
                           {f(data::columns::Firma), QString::fromUtf8(p.firma)},
                           {f(data::columns::Ort), QString::fromUtf8(p.ort)},
                           {f(data::columns::Land), QStringLiteral("Deutschland")}});
        }
    }
    auto pre = data::DbfTable::open(data::DbfTable::resolve(db.path(), QString::fromLatin1(data::tables::Voranmel)));
    const auto f = [&](QLatin1String c) { return pre->fieldIndexOrThrow(c); };
    const QDate today = QDate::currentDate();
    int nr = 1;
    for (int day = 0; day < 14; ++day) {
        for (int i = 0; i < 2; ++i) {
            const Person &p = people[(day * 2 + i) % std::size(people)];
            pre->append({{f(data::columns::Nr), QString::number(nr++)},
                         {f(data::columns::Name), QString::fromUtf8(p.name)},
                         {f(data::columns::Vorname), QString::fromUtf8(p.vorname)},
                         {f(data::columns::Firma), QString::fromUtf8(p.firma)},
                         {f(data::columns::Ort), QString::fromUtf8(p.ort)},
                         {f(data::columns::Ziel), QString::fromUtf8(p.ziel)},
                         {f(data::columns::Ressourcen), i ? QStringLiteral("Parkplatz") : QStringLiteral("Beamer, Besprechungsraum 2")},
                         {f(data::columns::Tag), DateText(today.addDays(day))},
                         {f(data::columns::Uhrzeit), i ? QStringLiteral("14:00") : QStringLiteral("09:30")}});
        }
    }
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

namespace {

// The group that is to share the database folder.
gid_t sharingGroup(const QString &name)
{
    if (name.isEmpty())
        return ::getegid();
    const struct group *g = ::getgrnam(name.toLocal8Bit().constData());
    if (!g)
        throw Error(QStringLiteral("Die Gruppe '%1' gibt es auf diesem Rechner nicht.").arg(name));
    return g->gr_gid;
}

} // namespace

void Installation::create(const QString &startFolder, const QString &databaseFolder,
                          const Options &options)
{
    const QDir start(QDir(startFolder).absolutePath());
    const QDir db(QDir(databaseFolder).absolutePath());
    const gid_t group = sharingGroup(options.group);
    refuseExisting(start, db);
    const MadeHere startBefore(start), dbBefore(db);
    const PrivateFiles privateFiles;
    try {
        fill(start, db, options);
        // Explicitly, whatever the umask and the folders' old modes: what the program
        // makes there later follows the setgid folders (see FileModes).
        FileModes::applyToTree(db.path(), true, group);
        FileModes::applyToTree(start.path(), false);
    } catch (...) {
        dbBefore.undo();
        startBefore.undo();
        throw;
    }
}

void Installation::fill(const QDir &start, const QDir &db, const Options &options)
{
    fillDatabase(db, options);
    fillStart(start, db, options);
}

void Installation::fillDatabase(const QDir &db, const Options &options)
{
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

    // The lock file is there from the start, with the group's mode, before any workstation
    // needs it.
    if (const int lock = data::FolderLock::openLockFile(db.path()); lock >= 0)
        ::close(lock);
    IniFile global(db.filePath(QString::fromLatin1(keys::GlobalFile)));
    keys::write(global, keys::global::Locked, false);
    keys::write(global, keys::global::LastSatz, 0);

    TextFile::writeLines(db.filePath(QString::fromLatin1(keys::LaenderFile)), defaultCountries());

    const QString lists = db.filePath(QStringLiteral("Listen"));
    makePrivateFolder(QDir(lists));
    records::StandardReports::install(records::ReportFolder(lists));
    if (options.demo)
        fillDemoData(db);
}

void Installation::fillStart(const QDir &start, const QDir &db, const Options &options)
{
    makePrivateFolder(start);
    if (!options.manual.isEmpty()) {
        bool read = false;
        const QByteArray manual = TextFile::readBytes(options.manual, &read);
        if (!read)
            throw Error(QStringLiteral("Die Bedienanleitung '%1' kann nicht gelesen werden.").arg(options.manual));
        makePrivateFolder(QDir(start.filePath(QStringLiteral("Hilfe"))));
        TextFile::writeBytes(start.filePath(QString::fromLatin1(ManualFile)), manual);
    }

    data::DbfTable::create(start.filePath(QString::fromLatin1(data::DefaultStructure::kPrintTable)),
                           data::DefaultStructure::printTableFields());

    // Ten empty slots; the demo gets a user "demo" with every right in slot 0.
    UsersFile users = UsersFile::createEmpty();
    if (options.demo)
        users.storeUserSlot(0, {QStringLiteral("demo"), QStringLiteral("demo"), UserRights::all()});
    users.write(start.filePath(QString::fromLatin1(UsersFile::FileName)));

    IniFile settings(start.filePath(QString::fromLatin1(keys::SettingsFile)));
    keys::write(settings, keys::settings::DatenbankPfad, db.path());
    keys::write(settings, keys::settings::ListenPfad, db.filePath(QStringLiteral("Listen")));
    if (options.demo) {
        keys::write(settings, keys::settings::UhrzeitDatum, true);
        keys::write(settings, keys::settings::Designer, true);
        // Everything a new user can try at once: the pre-registration button and the
        // visit confirmation.
        keys::write(settings, keys::settings::Voranmeldung, true);
        keys::write(settings, keys::settings::Quittung, true);
    }

    // The published badge copy of the database folder is written only when it is missing.
    layouts::StandardLayouts::install(start.path(), db.path());
}

void Installation::join(const QString &startFolder, const QString &databaseFolder, const Options &options)
{
    const QDir start(QDir(startFolder).absolutePath());
    const QDir db(QDir(databaseFolder).absolutePath());
    refuseExistingStart(start);
    if (!QFileInfo::exists(data::DbfTable::resolve(db.path(), QStringLiteral("Besucher.dbf"))))
        throw Error(QStringLiteral("Im Datenbankordner '%1' gibt es keine Installation, der ein Arbeitsplatz "
                                   "beitreten könnte.")
                        .arg(db.absolutePath()));
    QByteArray users;
    if (!options.usersFrom.isEmpty()) {
        const QString from = UsersFile::pathIn(options.usersFrom);
        UsersFile::read(from); // refused before anything is made when it is no users file
        bool read = false;
        users = TextFile::readBytes(from, &read); // copied as it is: the users keep their passwords
        if (!read || users.isEmpty())
            throw Error(QStringLiteral("Die Benutzer von '%1' können nicht gelesen werden.")
                            .arg(QDir::toNativeSeparators(from)));
    }
    const MadeHere startBefore(start);
    const PrivateFiles privateFiles;
    try {
        fillStart(start, db, options);
        if (!users.isEmpty())
            TextFile::writeBytes(start.filePath(QString::fromLatin1(UsersFile::FileName)), users,
                                 FileModes::Kind::Private);
        FileModes::applyToTree(start.path(), false);
    } catch (...) {
        startBefore.undo();
        throw;
    }
}

} // namespace lobrix::setup

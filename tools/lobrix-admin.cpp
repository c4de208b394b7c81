// lobrix-admin: set up, query and check a Lobrix installation from the command line.
//   lobrix-admin init START DB [--badges N] [--demo] [--group NAME]
//   lobrix-admin init START DB --join [--users-from OTHERSTART]
//   lobrix-admin sql DB "SQL"
//   lobrix-admin check DB [--repair]
//   lobrix-admin report START NAME [--date DD.MM.YYYY] [--csv FILE]
//   lobrix-admin purge START --older-than DAYS [--what visits|preregistrations]
//   lobrix-admin user START list | add NAME [--rights LIST | --all] | passwd NAME | remove NAME
//   lobrix-admin service-login START on|off
#include "common/Clock.h"
#include "common/Error.h"
#include "common/FileModes.h"
#include "common/TextFile.h"
#include "common/TimeText.h"
#include "data/DbfTable.h"
#include "data/SqlEngine.h"
#include "data/SqlText.h"
#include "records/DataDeletion.h"
#include "records/ReportExport.h"
#include "records/ReportFolder.h"
#include "setup/Installation.h"
#include "shell/RegistrationLock.h"
#include "shell/Session.h"
#include "shell/SettingsKeys.h"
#include "shell/UserRights.h"
#include "shell/UsersFile.h"
#include "common/IniFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <iostream>
#include <optional>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <memory>

using namespace lobrix;

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

// One call of a command, as its parser read it: the positional arguments and the options.
struct Call {
    const QCommandLineParser &parser;
    QStringList args; // positional
    bool isSet(const char *option) const { return parser.isSet(QString::fromLatin1(option)); }
    QString value(const char *option) const { return parser.value(QString::fromLatin1(option)); }
};

int usage()
{
    err() << "Aufruf:\n"
             "  lobrix-admin init STARTORDNER DATENBANKORDNER [--badges N] [--demo] [--group GRUPPE]\n"
             "  lobrix-admin init STARTORDNER DATENBANKORDNER --join [--users-from STARTORDNER]\n"
             "  lobrix-admin sql DATENBANKORDNER \"SQL\"\n"
             "  lobrix-admin check DATENBANKORDNER [--repair]\n"
             "  lobrix-admin report STARTORDNER BERICHT [--date TT.MM.JJJJ] [--csv DATEI]\n"
             "  lobrix-admin purge STARTORDNER --older-than TAGE [--what visits|preregistrations]\n"
             "  lobrix-admin user STARTORDNER list | add NAME [--rights LISTE | --all] | passwd NAME | remove NAME\n"
             "  lobrix-admin service-login STARTORDNER on|off\n"
             "  lobrix-admin --version\n";
    err().flush();
    return 2;
}

// The manual beside the program (a build) or where the package puts it.
QString installedManual()
{
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString &candidate : {bin.filePath(QStringLiteral("BEDIEN.PDF")),
                                     bin.filePath(QStringLiteral("../share/doc/lobrix/BEDIEN.PDF"))})
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    return {};
}

int runInit(const Call &c)
{
    const QStringList &args = c.args;
    if (args.size() != 2)
        return 2; // the caller names the right call
    setup::Installation::Options options;
    if (c.isSet("badges")) {
        bool ok = false;
        options.badges = c.value("badges").toInt(&ok);
        if (!ok || options.badges < 1 || options.badges > 99999)
            return 2; // the caller names the right call
    }
    options.demo = c.isSet("demo");
    const bool join = c.isSet("join");
    options.group = c.value("group");
    options.usersFrom = c.value("users-from");
    options.manual = installedManual();
    if (!options.usersFrom.isEmpty() && !join)
        return 2; // the caller names the right call
    if (join) {
        setup::Installation::join(args[0], args[1], options);
        out() << "Arbeitsplatz angelegt: Startordner " << QDir(args[0]).absolutePath()
              << " am Datenbankordner " << QDir(args[1]).absolutePath() << "\n";
    } else {
        setup::Installation::create(args[0], args[1], options);
        out() << "Installation angelegt: Startordner " << QDir(args[0]).absolutePath()
              << ", Datenbankordner " << QDir(args[1]).absolutePath() << "\n";
    }
    if (options.manual.isEmpty())
        err() << "Hinweis: keine Bedienanleitung gefunden; \"Bedienanleitung\" im Menü Hilfe bleibt leer.\n";
    return 0;
}

int runSql(const Call &c)
{
    const QStringList &args = c.args;
    if (args.size() != 2)
        return 2; // the caller names the right call
    if (data::parseDdl(args[1]).kind != data::DdlStatement::Kind::None) {
        data::SqlEngine(args[0]).execute(args[1]);
        return 0;
    }
    // A statement that only reads opens the tables for reading (it works on a read-only
    // folder and never takes a write lock); one that changes data runs on a writing engine.
    std::unique_ptr<data::SqlEngine> engine = std::make_unique<data::SqlEngine>(args[0], data::SqlEngine::Access::Read);
    data::SqlQuery q;
    try {
        q = engine->query(args[1]);
    } catch (const Error &e) {
        if (!data::SqlEngine::isWriteRefusal(e))
            throw;
        engine = std::make_unique<data::SqlEngine>(args[0]);
        q = engine->query(args[1]);
    }
    data::SqlEngine &sql = *engine;
    if (q.columnCount() == 0) { // DELETE and friends
        while (q.next()) {
        }
        out() << sql.changes() << " Datensätze geändert\n";
        return 0;
    }
    QStringList header;
    for (int i = 0; i < q.columnCount(); ++i)
        header << q.columnName(i);
    out() << header.join(u'\t') << "\n";
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.columnCount(); ++i)
            row << q.text(i);
        out() << row.join(u'\t') << "\n";
    }
    return 0;
}

QString codePageName(CodePage cp)
{
    switch (cp) {
    case CodePage::Cp850:
        return QStringLiteral("Codepage 850");
    case CodePage::Cp437:
        return QStringLiteral("Codepage 437");
    case CodePage::Cp1250:
        return QStringLiteral("Windows-1250");
    case CodePage::Latin1:
        return QStringLiteral("ISO-8859-1");
    default:
        return QStringLiteral("Windows-1252");
    }
}

int runCheck(const Call &c)
{
    const QStringList &args = c.args;
    if (args.size() != 1)
        return 2; // the caller names the right call
    const bool repair = c.isSet("repair");
    const QDir folder(args[0]);
    if (!folder.exists()) {
        err() << "Ordner nicht gefunden: " << args[0] << "\n";
        return 1;
    }
    bool damaged = false;
    // System: a FIFO or device named like a table is named as what it is, not passed over.
    const QStringList files = folder.entryList(QDir::Files | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : files) {
        if (!name.endsWith(u".dbf", Qt::CaseInsensitive))
            continue;
        try {
            auto table = data::DbfTable::open(folder.filePath(name), repair
                                                                       ? data::DbfTable::Mode::Exclusive
                                                                       : data::DbfTable::Mode::ReadOnly);
            const auto h = table->health();
            out() << name << ": Version 0x" << QString::number(table->version(), 16).toUpper()
                  << ", Sprachbyte 0x" << QString::number(table->languageByte(), 16).toUpper()
                  << " (" << codePageName(table->codePage()) << ")"
                  << ", Datensätze " << h.wholeRecords << ", gelöscht " << h.deleted;
            QStringList problems;
            // A table that nears the format's limits: saves are refused once it is full.
            const int bytesPercent = int(table->fileBytes() * 100 / data::DbfTable::MaxFileBytes);
            const int recordsPercent = int(qint64(h.wholeRecords) * 100 / data::DbfTable::MaxRecords);
            if (std::max(bytesPercent, recordsPercent) >= 90)
                out() << ", WARNUNG: " << std::max(bytesPercent, recordsPercent)
                      << " % der Grenze von 2 GB bzw. 1.000.000.000 Datensätzen erreicht, bitte alte Daten "
                         "löschen (lobrix-admin purge)";
            if (h.headerCount != h.wholeRecords)
                problems << QStringLiteral("Kopf nennt %1 Datensätze").arg(h.headerCount);
            if (h.tornTail)
                problems << QStringLiteral("unvollständiger letzter Datensatz");
            if (h.missingEndMarker)
                problems << QStringLiteral("Endezeichen fehlt");
            if (!problems.isEmpty()) {
                out() << ", " << problems.join(QStringLiteral(", "));
                if (repair && table->repair())
                    out() << " -> repariert";
                else if (h.damaged())
                    damaged = true;
            }
            // Deleted records that no pack removed (one refused while the table was in use,
            // or killed): no damage, but space that --repair gives back.
            if (h.deleted > 0) {
                out() << ", " << h.deleted << " gelöschte Datensätze nicht verdichtet";
                if (repair) {
                    table->pack();
                    out() << " -> verdichtet";
                }
            }
            out() << "\n";
        } catch (const Error &e) {
            out() << name << ": FEHLER " << e.message() << "\n";
            damaged = true;
        }
    }
    // What keeps another workstation's account of the group from writing, or lets other
    // accounts read visitor data.
    for (const FileModes::Problem &p : FileModes::auditSharedTree(folder.path(), repair)) {
        out() << p.path << ": " << p.what;
        if (p.mended)
            out() << " -> Rechte gesetzt";
        else
            damaged = true;
        out() << "\n";
    }
    // Temporary files of writes that stopped (a crash, a power cut, a killed pack). A young
    // one may belong to a write under way on another workstation and is left alone.
    constexpr int StaleTemporarySeconds = 600;
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addSecs(-StaleTemporarySeconds);
    for (const QFileInfo &temp : TextFile::temporaryFiles(folder.path())) {
        out() << temp.fileName() << ": temporäre Datei eines abgebrochenen Schreibvorgangs ("
              << QLocale(QLocale::German).formattedDataSize(temp.size()) << ")";
        if (temp.lastModified().toUTC() > staleBefore)
            out() << ", jünger als 10 Minuten: vielleicht noch in Arbeit";
        else if (repair && QFile::remove(temp.filePath()))
            out() << " -> entfernt";
        out() << "\n";
    }
    // A registration flag that no running workstation holds was left by a crash.
    const shell::RegistrationLock lock(folder.path());
    if (lock.staleFlag()) {
        out() << QFileInfo(lock.path()).fileName()
              << ": Registrierungssperre gesetzt, aber kein laufender Arbeitsplatz hält sie";
        if (repair && lock.clearStaleFlag())
            out() << " -> freigegeben";
        else
            damaged = true;
        out() << "\n";
    }
    return damaged ? 1 : 0;
}

// A stored report as the reports window runs it: the folders from the start folder's
// settings.ini, the placeholders for the given day, the read-only engine.
int runReport(const Call &c)
{
    const QStringList &args = c.args;
    if (args.size() != 2)
        return 2; // the caller names the right call
    QString date = CurrentDateText(systemClock());
    if (c.isSet("date")) {
        date = c.value("date");
        try {
            DateFromText(date);
        } catch (const Error &) {
            err() << "Kein gültiges Datum (TT.MM.JJJJ): " << date << "\n";
            return 2;
        }
    }
    const QString csv = c.value("csv");
    const shell::Session session(args[0], systemClock());
    const records::ReportFolder folder(session.folders().lists);
    if (!folder.names().contains(args[1]))
        throw Error(QStringLiteral("Es gibt keinen Bericht '%1' im Listenordner '%2'.")
                        .arg(args[1], QDir::toNativeSeparators(folder.folder())));
    data::SqlEngine engine(session.folders().database, data::SqlEngine::Access::ReadOnly);
    const records::ReportTable table =
        records::runReport(engine, folder, args[1], date, session.options().immerDauerAusgeben);
    if (csv.isEmpty()) {
        out().flush();
        const QByteArray text = records::tabText(table);
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    } else {
        TextFile::writeBytes(csv, records::csvText(table));
        session.eventLog().writeEventLog(
            records::exportLogText(args[1], int(table.rows.size()), QFileInfo(csv).absoluteFilePath()));
        out() << table.rows.size() << " Zeilen nach " << csv << " geschrieben\n";
    }
    // The rows read before a bound stopped the statement are written; the exit status says
    // that they are not all.
    if (!table.stopped.isEmpty()) {
        out().flush();
        err() << table.stopped << "\n";
        return 1;
    }
    return 0;
}

// Deletes what lies more than DAYS days back, as "&Daten löschen" does, for a retention
// period run from a daily timer; one event-log line says what went.
int runPurge(const Call &c)
{
    const QStringList &args = c.args;
    if (args.size() != 1 || !c.isSet("older-than"))
        return 2; // the caller names the right call
    bool ok = false;
    const int days = c.value("older-than").toInt(&ok);
    if (!ok || days < 0)
        return 2; // the caller names the right call
    records::DeletionTarget target = records::DeletionTarget::Visits;
    const QString wanted = c.value("what");
    if (wanted == u"preregistrations")
        target = records::DeletionTarget::PreRegistrations;
    else if (!wanted.isEmpty() && wanted != u"visits")
        return 2; // the caller names the right call
    const shell::Session session(args[0], systemClock());
    const QDate last = QDate::currentDate().addDays(-days - 1);
    const records::DeletionResult result =
        records::DataDeletion(session.folders().database).deleteRange(target, std::nullopt, last);
    const QString what = target == records::DeletionTarget::Visits ? QStringLiteral("Besuche")
                                                                    : QStringLiteral("Voranmeldungen");
    session.eventLog().writeEventLog(QStringLiteral("Löschen -> %1 %2 bis %3 gelöscht (älter als %4 Tage), "
                                                    "%5 Ausweise frei gegeben")
                                         .arg(result.deleted)
                                         .arg(what, DateText(last))
                                         .arg(days)
                                         .arg(result.badgesFreed));
    out() << result.deleted << " " << what << " bis " << DateText(last) << " gelöscht\n";
    if (!result.packed)
        out() << result.packMessage << "\n";
    return 0;
}

// The workstation's built-in service account on or off (settings.ini of START).
int runServiceLogin(const Call &c)
{
    const QStringList &args = c.args;
    if (args.size() != 2 || (args[1] != u"on" && args[1] != u"off"))
        return 2; // the caller names the right call
    const bool on = args[1] == u"on";
    const shell::Session session(args[0], systemClock());
    IniFile settings(QDir(session.folders().start).filePath(QString::fromLatin1(shell::keys::SettingsFile)));
    shell::keys::write(settings, shell::keys::settings::ServiceLogin, on);
    session.eventLog().writeEventLog(on ? QStringLiteral("Benutzerverwaltung -> Servicezugang eingeschaltet (lobrix-admin)")
                                        : QStringLiteral("Benutzerverwaltung -> Servicezugang ausgeschaltet (lobrix-admin)"));
    out() << "Servicezugang " << (on ? "eingeschaltet" : "ausgeschaltet") << "\n";
    return 0;
}

// A password read from the terminal without echo (asked twice), or one line of standard
// input when that is no terminal; never from the command line.
QString readPassword()
{
    const auto readLine = [] {
        std::string line;
        std::getline(std::cin, line);
        return QString::fromLocal8Bit(line.c_str()).remove(u'\r');
    };
    if (!::isatty(STDIN_FILENO))
        return readLine();
    termios old {};
    ::tcgetattr(STDIN_FILENO, &old);
    termios quiet = old;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    const auto ask = [&](const char *prompt) {
        err() << prompt;
        err().flush();
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        const QString typed = readLine();
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
        err() << "\n";
        return typed;
    };
    const QString first = ask("Passwort: ");
    if (ask("Passwort wiederholen: ") != first)
        throw Error(QStringLiteral("Die beiden Passwörter sind verschieden. Es wurde nichts geändert."));
    return first;
}

std::optional<shell::Right> rightNamed(const QString &name)
{
    for (const shell::RightCheckBox &box : shell::RightCheckBoxes) {
        const QString id = QString::fromLatin1(box.objectName).mid(3); // "chkErfassen" -> "Erfassen"
        if (id.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return box.right;
    }
    return std::nullopt;
}

QString rightsText(const shell::UserRights &rights)
{
    QStringList held;
    for (const shell::RightCheckBox &box : shell::RightCheckBoxes)
        if (rights.has(box.right))
            held << QString::fromLatin1(box.objectName).mid(3);
    return held.isEmpty() ? QStringLiteral("keine") : held.join(u',');
}

// The users of a workstation from a script: list, add, passwd, remove.
int runUser(const Call &c)
{
    const QStringList &args = c.args;
    if (args.size() < 2)
        return 2; // the caller names the right call
    const QString action = args[1];
    if (!QStringList{QStringLiteral("list"), QStringLiteral("add"), QStringLiteral("passwd"), QStringLiteral("remove")}
             .contains(action))
        return 2; // the caller names the right call
    const shell::Session session(args[0], systemClock());
    const QString path = shell::UsersFile::pathIn(session.folders().start);
    shell::UsersFile users = shell::UsersFile::read(path);
    if (action == u"list") {
        if (args.size() != 2)
            return 2; // the caller names the right call
        for (int slot = 0; slot < shell::UsersFile::SlotCount; ++slot) {
            const shell::UserSlot user = users.loadUserSlot(slot);
            if (user.name.isEmpty())
                continue;
            out() << "Platz " << slot + 1 << ": " << user.name << "\tRechte: " << rightsText(user.rights)
                  << (user.passwordHash.isEmpty() ? "\t(Passwort noch im alten Format)" : "") << "\n";
        }
        return 0;
    }
    if (args.size() < 3 || args[2].trimmed().isEmpty())
        return 2; // the caller names the right call
    const QString name = args[2];
    const int slot = users.slotOf(name);
    const auto logged = [&](const QString &what) {
        session.eventLog().writeEventLog(
            QStringLiteral("Benutzerverwaltung -> Benutzer %1 %2 (lobrix-admin)").arg(name, what));
    };
    if (action == u"add") {
        if (args.size() != 3)
            return 2; // the caller names the right call
        shell::UserRights rights;
        if (c.isSet("all"))
            rights = shell::UserRights::all();
        for (const QString &part : c.value("rights").split(u',', Qt::SkipEmptyParts)) {
            const auto right = rightNamed(part);
            if (!right)
                throw Error(QStringLiteral("Das Recht '%1' gibt es nicht. Rechte: Erfassen, StammLesen, "
                                           "StammSchreiben, BerichteLesen, BerichteErstellen, Einstellungen, "
                                           "Rechte, Service.")
                                .arg(part));
            rights.set(*right, true);
        }
        if (slot >= 0)
            throw Error(QStringLiteral("Den Benutzer '%1' gibt es schon (Platz %2).").arg(name).arg(slot + 1));
        int free = -1;
        for (int s = shell::UsersFile::SlotCount - 1; s >= 0; --s)
            if (users.loadUserSlot(s).name.isEmpty())
                free = s; // the first empty slot
        if (free < 0)
            throw Error(QStringLiteral("Alle %1 Benutzerplätze sind belegt.").arg(shell::UsersFile::SlotCount));
        users.storeUserSlot(free, {name, readPassword(), rights});
        users.write(path);
        logged(QStringLiteral("angelegt, Rechte: %1").arg(rightsText(rights)));
        out() << "Benutzer " << name << " auf Platz " << free + 1 << " angelegt\n";
        return 0;
    }
    if (args.size() != 3)
        return 2; // the caller names the right call
    if (slot < 0)
        throw Error(QStringLiteral("Den Benutzer '%1' gibt es nicht.").arg(name));
    if (action == u"passwd") {
        shell::UserSlot user = users.loadUserSlot(slot);
        user.password = readPassword();
        user.passwordHash.clear();
        users.storeUserSlot(slot, user);
        users.write(path);
        logged(QStringLiteral("Passwort geändert"));
        out() << "Passwort von " << name << " geändert\n";
        return 0;
    }
    if (action == u"remove") {
        users.storeUserSlot(slot, shell::UserSlot{});
        users.write(path);
        logged(QStringLiteral("entfernt"));
        out() << "Benutzer " << name << " entfernt\n";
        return 0;
    }
    return 2; // the caller names the right call
}

} // namespace

// The commands, each with its arguments, options and help.
struct Command {
    const char *name;
    const char *arguments; // for the usage line
    const char *description;
    QList<QCommandLineOption> options;
    int (*run)(const Call &);
};

QCommandLineOption option(const char *name, const char *description, const char *valueName = nullptr)
{
    return valueName ? QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                                          QString::fromUtf8(valueName))
                     : QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description));
}

const std::vector<Command> &commands()
{
    static const std::vector<Command> all{
        {"init", "STARTORDNER DATENBANKORDNER",
         "Legt eine neue Installation an (Startordner und Datenbankordner) oder, mit --join, einen weiteren "
         "Arbeitsplatz an einem bestehenden Datenbankordner.",
         {option("badges", "Anzahl der Ausweise (1 bis 99999, Vorgabe 100).", "N"),
          option("demo", "Eine Demo-Installation mit Beispieldaten und dem Benutzer demo."),
          option("group", "Die Gruppe, die den Datenbankordner teilt (Vorgabe: die eigene).", "GRUPPE"),
          option("join", "Nur einen Startordner am bestehenden Datenbankordner anlegen."),
          option("users-from", "Mit --join: die Benutzer dieses Startordners übernehmen.", "STARTORDNER")},
         runInit},
        {"sql", "DATENBANKORDNER SQL", "Führt eine SQL-Anweisung über den Tabellen des Datenbankordners aus.", {},
         runSql},
        {"check", "DATENBANKORDNER",
         "Prüft Tabellen, Rechte, temporäre Dateien und die Registrierungssperre; Status 1 bei Schäden.",
         {option("repair", "Repariert, was sich reparieren lässt.")},
         runCheck},
        {"report", "STARTORDNER BERICHT", "Führt einen gespeicherten Bericht aus und gibt ihn aus.",
         {option("date", "Der Tag der Datumsplatzhalter (Vorgabe: heute).", "TT.MM.JJJJ"),
          option("csv", "Schreibt den Bericht als CSV-Datei.", "DATEI")},
         runReport},
        {"purge", "STARTORDNER", "Löscht, was weiter zurückliegt als die Aufbewahrungsfrist, und verdichtet.",
         {option("older-than", "Die Aufbewahrungsfrist in Tagen.", "TAGE"),
          option("what", "visits (Vorgabe) oder preregistrations.", "WAS")},
         runPurge},
        {"user", "STARTORDNER list|add NAME|passwd NAME|remove NAME",
         "Verwaltet die Benutzer eines Arbeitsplatzes; das Passwort kommt vom Terminal oder der Standardeingabe.",
         {option("rights", "Mit add: die Rechte, durch Kommas getrennt.", "LISTE"),
          option("all", "Mit add: alle Rechte.")},
         runUser},
        {"service-login", "STARTORDNER on|off", "Schaltet den eingebauten Servicezugang des Arbeitsplatzes ein oder aus.",
         {}, runServiceLogin},
    };
    return all;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lobrix-admin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LOBRIX_VERSION));
    // The parser's own words ("Aufruf:", "Optionen:") in German.
    QTranslator qtGerman;
    if (qtGerman.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtGerman);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == u"--version" || command == u"-v") {
        out() << "lobrix-admin " << LOBRIX_VERSION << "\n";
        out().flush();
        return 0;
    }
    if (command == u"--help" || command == u"-h") {
        out() << "Einrichten, Abfragen und Prüfen einer Lobrix-Installation.\n\n";
        for (const Command &c : commands())
            out() << "  lobrix-admin " << c.name << " " << c.arguments << "\n";
        out() << "\nHilfe zu einem Befehl: lobrix-admin BEFEHL --help\n";
        out().flush();
        return 0;
    }
    const auto found = std::find_if(commands().begin(), commands().end(),
                                    [&](const Command &c) { return command == QLatin1String(c.name); });
    if (found == commands().end())
        return usage();
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(found->description));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    parser.addOptions(found->options);
    parser.addPositionalArgument(QString::fromUtf8(found->arguments), QString());
    if (!parser.parse(QStringList{QStringLiteral("lobrix-admin %1").arg(command)} + args)) {
        err() << parser.errorText() << "\n"
              << "Aufruf: lobrix-admin " << found->name << " " << found->arguments << " (mehr mit --help)\n";
        err().flush();
        return 2;
    }
    if (parser.isSet(help)) {
        // The parser's first line names the program file; ours names the command as typed.
        QString text = parser.helpText();
        text = QStringLiteral("Aufruf: lobrix-admin %1 [Optionen] %2").arg(command, QString::fromUtf8(found->arguments)) +
               text.mid(text.indexOf(u'\n'));
        out() << text;
        out().flush();
        return 0;
    }
    try {
        const int rc = found->run(Call{parser, parser.positionalArguments()});
        out().flush();
        if (rc == 2) {
            err() << "Aufruf: lobrix-admin " << found->name << " " << found->arguments << " (mehr mit --help)\n";
            err().flush();
        }
        return rc;
    } catch (const Error &e) {
        out().flush();
        err() << e.message() << "\n";
        err().flush();
        return 1;
    }
}

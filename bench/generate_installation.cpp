// Generates a large installation for the benchmarks:
//   generate_installation FOLDER [--visits N] [--badges N] [--master N] [--preregistrations N]
// FOLDER/start and FOLDER/db as `lobrix-admin init` makes them, then filled with
// synthetic visits over ten years, master data, pre-registrations and an occupied badge pool.
#include "common/Error.h"
#include "common/TextFile.h"
#include "common/TimeText.h"
#include "data/DbfTable.h"
#include "setup/Installation.h"

#include "BenchMarker.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <random>

using namespace lobrix;
using data::DbfTable;

namespace {

const char *const kNames[] = {"Müller", "Meyer", "Schmidt", "Schneider", "Fischer", "Weber",
                              "Wagner", "Becker", "Schulz", "Hoffmann", "Schäfer", "Koch",
                              "Bauer", "Richter", "Klein", "Wolf", "Schröder", "Neumann",
                              "Schwarz", "Zimmermann", "O'Brien", "Nagel", "Öztürk", "Krüger"};
const char *const kFirst[] = {"Anna", "Bernd", "Carla", "Dieter", "Eva", "Frank", "Gisela",
                              "Hans", "Ingrid", "Jürgen", "Karin", "Lars", "Monika", "Norbert"};
const char *const kCompanies[] = {"Schäfer & Söhne GmbH", "Elektro Nord AG", "Bau-Union KG",
                                  "Spedition Krause", "IT-Service Süd", "Müller Logistik",
                                  "Reinigung Blitzblank", "Sicherheit 24 GmbH"};
const char *const kTargets[] = {"Einkauf", "Vertrieb", "Personalabteilung", "Werkstatt",
                                "Geschäftsführung", "Labor", "Lager", "IT"};

template <size_t N> QString pick(const char *const (&list)[N], std::mt19937 &rng)
{
    return QString::fromUtf8(list[rng() % N]);
}

QString timeText(int minutes)
{
    return QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QChar(u'0')).arg(minutes % 60, 2, 10, QChar(u'0'));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: generate_installation FOLDER [--visits N] [--badges N] [--master N] "
                             "[--preregistrations N]\n");
        return 2;
    }
    const QString folder = args.takeFirst();
    int visits = 1000000, badges = 5000, master = 20000, preregistrations = 10000;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const int n = args[i + 1].toInt();
        if (args[i] == u"--visits")
            visits = n;
        else if (args[i] == u"--badges")
            badges = n;
        else if (args[i] == u"--master")
            master = n;
        else if (args[i] == u"--preregistrations")
            preregistrations = n;
    }
    try {
        QElapsedTimer timer;
        timer.start();
        const QString start = QDir(folder).filePath(QStringLiteral("start"));
        const QString db = QDir(folder).filePath(QStringLiteral("db"));
        setup::Installation::Options options;
        options.badges = badges;
        setup::Installation::create(start, db, options);
        std::mt19937 rng(20261210);

        auto table = DbfTable::open(DbfTable::resolve(db, QStringLiteral("Besucher.dbf")));
        auto f = [&](const char *name) { return table->fieldIndexOrThrow(QString::fromLatin1(name)); };
        const int fVorgang = f("Vorgang"), fAusweis = f("Ausweis"), fName = f("Name"),
                  fVorname = f("Vorname"), fFirma = f("Firma"), fZiel = f("Ziel"),
                  fKommt = f("Kommt"), fGeht = f("Geht"), fTag = f("Tag"),
                  fAnwesend = f("Anwesend"), fNutzer = f("Nutzer"), fInfo1 = f("Info1"),
                  fQuittung = f("Quittung");
        // Ten years of visits in date order, the last `badges` of them still present.
        const QDate first(2016, 12, 10);
        for (int i = 0; i < visits; ++i) {
            const QDate day = first.addDays(static_cast<qint64>(i) * 3650 / visits);
            const int arrive = 6 * 60 + static_cast<int>(rng() % 600);
            const int stay = 5 + static_cast<int>(rng() % 480);
            const bool present = i >= visits - badges;
            data::DbfValues v{{fVorgang, QString::number(i + 1)},
                              {fAusweis, QString::number(present ? visits - i : 1 + rng() % badges)},
                              {fName, pick(kNames, rng)},
                              {fVorname, pick(kFirst, rng)},
                              {fFirma, pick(kCompanies, rng)},
                              {fZiel, pick(kTargets, rng)},
                              {fKommt, timeText(arrive)},
                              {fTag, day.toString(QStringLiteral("dd.MM.yyyy"))},
                              {fNutzer, QStringLiteral("pfoertner")},
                              {fInfo1, QStringLiteral("nein")},
                              {fQuittung, QStringLiteral("nein")}};
            if (!present) {
                v.append({fGeht, timeText(std::min(arrive + stay, 23 * 60 + 59))});
                v.append({fAnwesend, FormatDuration(stay)});
            }
            table->append(v);
        }
        table.reset();

        // Every badge out, held by the present visits.
        auto pool = DbfTable::open(DbfTable::resolve(db, QStringLiteral("Ausweis.dbf")));
        const int pKommt = pool->fieldIndexOrThrow(QStringLiteral("Kommt"));
        const int pTag = pool->fieldIndexOrThrow(QStringLiteral("Tag"));
        const QString lastDay = first.addDays(3650 - 1).toString(QStringLiteral("dd.MM.yyyy"));
        for (int recno = 0; recno < pool->recordCount(); ++recno)
            pool->update(recno, {{pKommt, QStringLiteral("08:00")}, {pTag, lastDay}});
        pool.reset();

        auto stamm = DbfTable::open(DbfTable::resolve(db, QStringLiteral("Stamm.dbf")));
        const int sName = stamm->fieldIndexOrThrow(QStringLiteral("Name"));
        const int sVorname = stamm->fieldIndexOrThrow(QStringLiteral("Vorname"));
        const int sFirma = stamm->fieldIndexOrThrow(QStringLiteral("Firma"));
        for (int i = 0; i < master; ++i)
            stamm->append({{sName, pick(kNames, rng)}, {sVorname, pick(kFirst, rng)},
                           {sFirma, pick(kCompanies, rng)}});
        stamm.reset();

        // Pre-registrations from a month ago to a month ahead of the day it runs, a few
        // each day; those of the past arrived and left.
        auto pre = DbfTable::open(DbfTable::resolve(db, QStringLiteral("Voranmel.dbf")));
        const auto p = [&](const char *name) { return pre->fieldIndexOrThrow(QString::fromLatin1(name)); };
        const int vNr = p("NR"), vName = p("Name"), vVorname = p("Vorname"), vFirma = p("Firma"),
                  vZiel = p("Ziel"), vTag = p("Tag"), vUhrzeit = p("Uhrzeit"), vVorgang = p("Vorgang"),
                  vAnwesend = p("Anwesend");
        const QDate today = QDate::currentDate();
        for (int i = 0; i < preregistrations; ++i) {
            const QDate day = today.addDays(i * 61 / std::max(1, preregistrations) - 30);
            data::DbfValues v{{vNr, QString::number(i + 1)},
                              {vName, pick(kNames, rng)},
                              {vVorname, pick(kFirst, rng)},
                              {vFirma, pick(kCompanies, rng)},
                              {vZiel, pick(kTargets, rng)},
                              {vTag, day.toString(QStringLiteral("dd.MM.yyyy"))},
                              {vUhrzeit, timeText(7 * 60 + static_cast<int>(rng() % 600))}};
            if (day < today)
                v << data::DbfValue{vVorgang, QString::number(i + 1)} << data::DbfValue{vAnwesend, QStringLiteral("F")};
            pre->append(v);
        }
        pre.reset();
        // Marks a finished installation of this version (the benchmarks regenerate others).
        TextFile::writeLines(QDir(folder).filePath(QString::fromLatin1(bench::GeneratedMarker)),
                             {QString::fromLatin1(bench::GeneratedVersion)});
        std::printf("generated %s: %d visits, %d badges, %d master records, %d pre-registrations "
                    "in %.1f s\n",
                    qPrintable(folder), visits, badges, master, preregistrations,
                    timer.elapsed() / 1000.0);
        return 0;
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

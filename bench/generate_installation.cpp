// Generates a large installation for the benchmarks:
//   generate_installation FOLDER [--visits N] [--badges N] [--master N]
// FOLDER/start and FOLDER/db as `lobrix-admin init` makes them, then filled with
// synthetic visits over ten years, master data and an occupied badge pool.
#include "common/Error.h"
#include "data/DbfTable.h"
#include "common/TimeText.h"
#include "setup/Installation.h"

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
        std::fprintf(stderr, "usage: generate_installation FOLDER [--visits N] [--badges N] [--master N]\n");
        return 2;
    }
    const QString folder = args.takeFirst();
    int visits = 1000000, badges = 5000, master = 20000;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const int n = args[i + 1].toInt();
        if (args[i] == u"--visits")
            visits = n;
        else if (args[i] == u"--badges")
            badges = n;
        else if (args[i] == u"--master")
            master = n;
    }
    try {
        QElapsedTimer timer;
        timer.start();
        const QString start = QDir(folder).filePath(QStringLiteral("start"));
        const QString db = QDir(folder).filePath(QStringLiteral("db"));
        setup::Installation::create(start, db, {badges, false});
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
        std::printf("generated %s: %d visits, %d badges, %d master records in %.1f s\n",
                    qPrintable(folder), visits, badges, master, timer.elapsed() / 1000.0);
        return 0;
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

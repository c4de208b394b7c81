#include "DeskFixture.h"
#include "TestRegistry.h"

#include "registration/ArrivalService.h"
#include "registration/DepartureService.h"

#include <QTest>

using namespace lobrix;
using namespace lobrix::registration;
using lobrix::test::DeskFixture;
using lobrix::test::Row;
namespace s = lobrix::shell::keys::settings;

namespace {

using Status = DepartureService::Result::Status;

// A present visit holding an out badge, as an arrival leaves it.
void presentVisit(DeskFixture &f, const QString &vorgang, int badge, const QString &firma,
                  const QString &name, const QString &vorname, const QString &kommt = QStringLiteral("07:45"),
                  const QString &tag = QStringLiteral("10.12.2026"))
{
    f.append(QStringLiteral("Besucher.dbf"),
             {{"Vorgang", vorgang}, {"Ausweis", QString::number(badge)}, {"Firma", firma}, {"Name", name},
              {"Vorname", vorname}, {"Kommt", kommt}, {"Tag", tag}, {"Land", "Irland"},
              {"Ziel", "Werkstatt"}, {"Info1", "nein"}, {"Info2", "ja"}, {"Info3", "nein"},
              {"Info4", "nein"}, {"Quittung", "ja"}, {"Nutzer", "pfoertner"},
              {"GUELTIGVON", "10.12.2026"}, {"GUELTIGBIS", "11.12.2026"}});
    f.occupy(badge, kommt, tag);
}

QStringList texts(const DepartureService::Opening &o)
{
    QStringList out;
    for (const auto &e : o.entries)
        out << e.text;
    return out;
}

} // namespace

class DepartureServiceTest : public QObject {
    Q_OBJECT
private slots:
    void listsOutBadgesWithTheirVisits();
    void oneVisitorIsLoadedAtOnce();
    void noVisitorPresent();
    void loadShowsTheVisit();
    void saveCompletesTheVisit();
    void confirmation_data();
    void confirmation();
    void duration_data();
    void duration();
    void badgeOutWithoutVisit();
    void badgeReissuedMeanwhile();
    void visitEndedElsewhere();
    void unstorableCorrection();
    void arrivesDepartsAndIsFound();
    void fitEntry_data();
    void fitEntry();
    void badgeStaysOutWhileAnotherVisitorHoldsIt();
};

void DepartureServiceTest::listsOutBadgesWithTheirVisits()
{
    DeskFixture f(10);
    presentVisit(f, "1", 3, "Bau-Union KG", "O'Brien", "Anna");
    // A visit that has ended: its badge is back in the pool.
    f.append("Besucher.dbf", {{"Vorgang", "2"}, {"Ausweis", "5"}, {"Name", "Weg"}, {"Geht", "10:00"}});
    presentVisit(f, "3", 7, "Elektro Nord AG", "Meyer", "Bernd");
    // A second present visit on the same badge: the first one counts.
    f.append("Besucher.dbf", {{"Vorgang", "4"}, {"Ausweis", "7"}, {"Name", "Später"}});
    f.occupy(2, "06:00", "09.12.2026"); // out, no visit holds it
    // Exact text match: "09" is not badge 9.
    f.append("Besucher.dbf", {{"Vorgang", "5"}, {"Ausweis", "09"}, {"Name", "Null"}});
    f.occupy(9, "06:00", "10.12.2026");
    // A deleted visit holds no badge.
    presentVisit(f, "6", 4, "Gelöscht GmbH", "Alt", "Otto");
    {
        auto visits = data::DbfTable::open(f.dbFile("Besucher.dbf"));
        visits->setDeleted(visits->recordCount() - 1);
    }
    f.update("Ausweis.dbf", 9, {{"Kommt", ""}}); // badge 10: an empty Kommt is out

    DepartureService service(*f.session);
    QList<int> progress;
    const auto &o = service.open([&](int done, int) { progress << done; });
    QCOMPARE(f.global("Locked"), QStringLiteral("1"));
    QCOMPARE(texts(o), (QStringList{"2 | ", "3 | Bau-Union KG, O'Brien, Anna", "4 | ",
                                    "7 | Elektro Nord AG, Meyer, Bernd", "9 | ", "10 | "}));
    QCOMPARE(o.hint, QStringLiteral("Wählen Sie die Ausweis-Nummer des Besuchers aus."));
    QVERIFY(o.saveVisible);
    QVERIFY(!o.loaded);
    QCOMPARE(progress.last(), 10);
    for (int i = 0; i < o.entries.size(); ++i)
        QCOMPARE(BadgePool::badgeOfListEntry(o.entries.at(i).text), QString::number(o.entries.at(i).badge));
}

void DepartureServiceTest::oneVisitorIsLoadedAtOnce()
{
    DeskFixture f(5);
    presentVisit(f, "12", 4, "Bau-Union KG", "O'Brien", "Anna", "06:30");
    DepartureService service(*f.session);
    const auto &o = service.open();
    QCOMPARE(o.entries.size(), 1);
    QVERIFY(o.hint.isEmpty());
    QVERIFY(o.loaded);
    QCOMPARE(o.loaded->entry, 0);
    QVERIFY(o.loaded->hasVisit);
    QCOMPARE(o.loaded->vorgang, QStringLiteral("12"));
    QCOMPARE(o.loaded->visit.name, QStringLiteral("O'Brien"));
    QCOMPARE(o.loaded->duration, QStringLiteral("1:45"));
}

void DepartureServiceTest::noVisitorPresent()
{
    DeskFixture f(5);
    f.append("Besucher.dbf", {{"Vorgang", "1"}, {"Ausweis", "1"}, {"Geht", "08:00"}});
    DepartureService service(*f.session);
    const auto &o = service.open();
    QVERIFY(o.entries.isEmpty());
    QCOMPARE(o.hint, QStringLiteral("Es sind keine Besucher mehr anwesend."));
    QVERIFY(!o.saveVisible);
    QVERIFY(!o.loaded);
}

void DepartureServiceTest::loadShowsTheVisit()
{
    DeskFixture f(5);
    presentVisit(f, "7", 1, "A", "Erster", "X");
    presentVisit(f, "8", 2, "Bau-Union KG", "O'Brien", "Anna", "07:05", "09.12.2026");
    f.append("Fotos.dbf", {{"Nummer", "8"}, {"Pfad", "anders.bmp"}, {"TYP", "2"}});
    f.append("Fotos.dbf", {{"Nummer", "7"}, {"Pfad", "erster.bmp"}, {"TYP", "3"}});
    f.append("Fotos.dbf", {{"Nummer", "8"}, {"Pfad", "o'brien.bmp"}, {"TYP", "3"}});
    DepartureService service(*f.session);
    service.open();
    const auto loaded = service.load(1);
    QVERIFY(loaded.hasVisit);
    QCOMPARE(loaded.badge, 2);
    QCOMPARE(loaded.vorgang, QStringLiteral("8"));
    QCOMPARE(loaded.kommt, QStringLiteral("07:05"));
    QCOMPARE(loaded.tag, QStringLiteral("09.12.2026"));
    QCOMPARE(loaded.duration, QStringLiteral("25:10"));
    QCOMPARE(loaded.visit.firma, QStringLiteral("Bau-Union KG"));
    QCOMPARE(loaded.visit.land, QStringLiteral("Irland"));
    QCOMPARE(loaded.visit.ziel, QStringLiteral("Werkstatt"));
    QCOMPARE(loaded.visit.gueltigBis, QStringLiteral("11.12.2026"));
    QCOMPARE(loaded.visit.info, (std::array<bool, 4>{false, true, false, false}));
    QCOMPARE(loaded.photo, QStringLiteral("o'brien.bmp"));
    QCOMPARE(loaded.photoPath, QDir(f.session->folders().images).filePath(QStringLiteral("o'brien.bmp")));
    QCOMPARE(service.load(0).photo, QStringLiteral("erster.bmp"));
}

void DepartureServiceTest::saveCompletesTheVisit()
{
    DeskFixture f(5);
    presentVisit(f, "41", 3, "Bau-Union KG", "OBrien", "Anna", "07:05");
    f.append("Voranmel.dbf", {{"NR", "1"}, {"Vorgang", "40"}, {"Anwesend", "T"}});
    f.append("Voranmel.dbf", {{"NR", "2"}, {"Vorgang", "41"}, {"Anwesend", "T"}});
    const Row before = f.rows("Besucher.dbf").value(0);
    DepartureService service(*f.session);
    const auto &o = service.open();
    VisitData corrected = o.loaded->visit;
    corrected.name = QStringLiteral("O'Brien");     // corrected by the clerk
    corrected.land = QStringLiteral("Neuseeland");
    f.clock.advance(600); // the times of the opening count
    const auto result = service.save(*o.loaded, corrected, false);
    QCOMPARE(result.status, Status::Saved);
    QVERIFY(result.countryAdded);

    Row expected = before;
    expected["NAME"] = QStringLiteral("O'Brien");
    expected["LAND"] = QStringLiteral("Neuseeland");
    expected["GEHT"] = QStringLiteral("08:15");
    expected["QUITTIERT"] = QStringLiteral("nein");
    expected["ANWESEND"] = QStringLiteral("1:10");
    QCOMPARE(f.rows("Besucher.dbf").value(0), expected);

    const QList<Row> pre = f.rows("Voranmel.dbf");
    QCOMPARE(pre.at(0).value("ANWESEND"), QStringLiteral("T"));
    QCOMPARE(pre.at(1).value("ANWESEND"), QStringLiteral("F"));
    QCOMPARE(pre.at(1).value("VORGANG"), QStringLiteral("41"));
    QCOMPARE(f.badge(3).value("KOMMT"), QStringLiteral("25:00"));
    QCOMPARE(f.badge(3).value("TAG"), QString());
    QCOMPARE(f.logLines(),
             (QStringList{"10.12.2026 08:25:30: Systemanmeldung --> Besucher GEHT -> Ausweis 3 in "
                          "Besuchertabelle gespeichert: Kommt 07:05\tVorgang: 41",
                          "10.12.2026 08:25:30: Systemanmeldung --> Besucher GEHT -> Ausweis 3 in "
                          "Ausweistabelle frei gegeben: Kommt 25:00\tVorgang: 41"}));
    QVERIFY(f.countries().endsWith(QStringLiteral("Neuseeland")));
    service.close();
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
}

void DepartureServiceTest::confirmation_data()
{
    QTest::addColumn<bool>("quittung");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("answer"); // -1: no question expected, 0 "Nein", 1 "Ja"
    QTest::addColumn<QString>("quittiert"); // empty: nothing stored
    QTest::newRow("no confirmation needed") << false << false << -1 << "nein";
    QTest::newRow("box cannot count without the setting") << false << true << -1 << "nein";
    QTest::newRow("confirmed") << true << true << -1 << "ja";
    QTest::newRow("not confirmed, Nein") << true << false << 0 << "";
    QTest::newRow("not confirmed, Ja") << true << false << 1 << "nein";
}

void DepartureServiceTest::confirmation()
{
    QFETCH(bool, quittung);
    QFETCH(bool, confirmed);
    QFETCH(int, answer);
    QFETCH(QString, quittiert);
    DeskFixture f(3);
    f.setOption(s::Quittung, quittung);
    presentVisit(f, "1", 1, "Bau-Union KG", "O'Brien", "Anna");
    DepartureService service(*f.session);
    const auto &o = service.open();
    const auto before = f.snapshot();
    int questions = 0;
    QString caption, question;
    const auto result = service.save(*o.loaded, o.loaded->visit, confirmed,
                                     [&](const QString &c, const QString &text) {
                                         ++questions;
                                         caption = c;
                                         question = text;
                                         return answer == 1;
                                     });
    if (answer >= 0) {
        QCOMPARE(caption, QStringLiteral("Achtung"));
        QCOMPARE(question, QStringLiteral("Es wurde keine Bestätigung des Besuches eingetragen, obwohl "
                                          "eine Besuchsbestätigung angefordert wurde.\nWollen Sie die "
                                          "Eingaben trotzdem speichern ?"));
    }
    QCOMPARE(questions, answer < 0 ? 0 : 1);
    if (quittiert.isEmpty()) {
        QCOMPARE(result.status, Status::Declined);
        QCOMPARE(f.snapshot(), before);
        // The form stays open; the save can be repeated.
        QCOMPARE(service.save(*o.loaded, o.loaded->visit, true).status, Status::Saved);
        QCOMPARE(f.rows("Besucher.dbf").value(0).value("QUITTIERT"), QStringLiteral("ja"));
        return;
    }
    QCOMPARE(result.status, Status::Saved);
    QCOMPARE(f.rows("Besucher.dbf").value(0).value("QUITTIERT"), quittiert);
}

void DepartureServiceTest::duration_data()
{
    QTest::addColumn<QString>("kommt");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QDateTime>("departure");
    QTest::addColumn<QString>("anwesend");
    QTest::newRow("two nights") << "22:30" << "08.12.2026" << QDateTime(QDate(2026, 12, 10), QTime(6, 15, 59)) << "31:45";
    QTest::newRow("across midnight") << "23:50" << "09.12.2026" << QDateTime(QDate(2026, 12, 10), QTime(0, 20)) << "0:30";
    QTest::newRow("same day") << "08:00" << "10.12.2026" << QDateTime(QDate(2026, 12, 10), QTime(16, 59)) << "8:59";
    // The departure form opened before the arrival time (another workstation's clock).
    QTest::newRow("negative") << "10:00" << "10.12.2026" << QDateTime(QDate(2026, 12, 10), QTime(9, 55)) << "-0:05";
    QTest::newRow("a thousand hours") << "08:00" << "01.11.2026" << QDateTime(QDate(2026, 12, 13), QTime(0, 0)) << "1.000:00";
}

void DepartureServiceTest::duration()
{
    QFETCH(QString, kommt);
    QFETCH(QString, tag);
    QFETCH(QDateTime, departure);
    QFETCH(QString, anwesend);
    DeskFixture f(3, departure);
    presentVisit(f, "1", 2, "Bau-Union KG", "O'Brien", "Anna", kommt, tag);
    DepartureService service(*f.session);
    const auto &o = service.open();
    QCOMPARE(o.loaded->duration, anwesend);
    // Left open for an hour: the times of the opening are stored.
    f.clock.advance(3600);
    QCOMPARE(service.save(*o.loaded, o.loaded->visit, false).status, Status::Saved);
    const Row visit = f.rows("Besucher.dbf").value(0);
    QCOMPARE(visit.value("ANWESEND"), anwesend);
    QCOMPARE(visit.value("GEHT"), departure.time().toString(QStringLiteral("HH:mm")));
}

void DepartureServiceTest::badgeOutWithoutVisit()
{
    DeskFixture f(5);
    presentVisit(f, "1", 1, "Bau-Union KG", "O'Brien", "Anna");
    f.occupy(4, "06:00", "09.12.2026");
    DepartureService service(*f.session);
    const auto &o = service.open();
    QCOMPARE(texts(o), (QStringList{"1 | Bau-Union KG, O'Brien, Anna", "4 | "}));
    const auto loaded = service.load(1);
    QVERIFY(!loaded.hasVisit);
    QCOMPARE(loaded.badge, 4);
    QCOMPARE(loaded.message, DepartureService::noVisitMessage(4));
    QVERIFY(loaded.message.contains(QStringLiteral("'4'")));
    QVERIFY(loaded.duration.isEmpty());

    const QList<Row> visitsBefore = f.rows("Besucher.dbf");
    const auto result = service.save(loaded, VisitData{}, false, [](const QString &, const QString &) {
        return false; // no visit: nothing to confirm
    });
    QCOMPARE(result.status, Status::Saved);
    QCOMPARE(f.rows("Besucher.dbf"), visitsBefore);
    QCOMPARE(f.badge(4).value("KOMMT"), QStringLiteral("25:00"));
    QCOMPARE(f.badge(4).value("TAG"), QString());
    QCOMPARE(f.badge(1).value("KOMMT"), QStringLiteral("07:45"));
    QCOMPARE(f.logLines(), QStringList{"10.12.2026 08:15:30: Systemanmeldung --> Besucher GEHT -> Ausweis 4 in "
                                       "Ausweistabelle frei gegeben: Kommt 25:00\tVorgang: "});
}

void DepartureServiceTest::badgeReissuedMeanwhile()
{
    DeskFixture f(5);
    f.occupy(4, "06:00", "09.12.2026");
    DepartureService service(*f.session);
    const auto &o = service.open();
    QVERIFY(o.loaded && !o.loaded->hasVisit);
    // Another workstation returned the badge and gave it to a new visitor.
    presentVisit(f, "9", 4, "Neu AG", "Neu", "Nina", "08:10");
    const auto before = f.snapshot();
    const auto result = service.save(*o.loaded, VisitData{}, false);
    QCOMPARE(result.status, Status::Gone);
    QVERIFY(result.message.contains(QStringLiteral("'4'")));
    QCOMPARE(f.snapshot(), before);
}

void DepartureServiceTest::visitEndedElsewhere()
{
    DeskFixture f(5);
    presentVisit(f, "1", 2, "Bau-Union KG", "O'Brien", "Anna");
    auto otherSession = f.otherSession();
    DepartureService first(*f.session), second(*otherSession);
    const auto &a = first.open();
    const auto &b = second.open();
    QCOMPARE(first.save(*a.loaded, a.loaded->visit, false).status, Status::Saved);
    const auto before = f.snapshot();
    VisitData changed = b.loaded->visit;
    changed.name = QStringLiteral("Anders");
    const auto result = second.save(*b.loaded, changed, false);
    QCOMPARE(result.status, Status::Gone);
    QCOMPARE(result.message, QStringLiteral("Der Besuch Nr. '1' wurde inzwischen an einem anderen Arbeitsplatz beendet."));
    QCOMPARE(f.snapshot(), before);
}

void DepartureServiceTest::unstorableCorrection()
{
    DeskFixture f(3);
    presentVisit(f, "1", 1, "Bau-Union KG", "O'Brien", "Anna");
    DepartureService service(*f.session);
    const auto &o = service.open();
    VisitData corrected = o.loaded->visit;
    corrected.ort = QStringLiteral("Łódź");
    const auto before = f.snapshot();
    const auto result = service.save(*o.loaded, corrected, false);
    QCOMPARE(result.status, Status::Refused);
    QVERIFY2(result.message.contains(QStringLiteral("Feld 'Ort'")), qPrintable(result.message));
    QCOMPARE(f.snapshot(), before);
}

void DepartureServiceTest::arrivesDepartsAndIsFound()
{
    DeskFixture f(5);
    f.append("Voranmel.dbf", {{"NR", "3"}, {"Name", "O'Brien"}});
    ArrivalService arrival(*f.session);
    arrival.open();
    ArrivalService::Input in;
    in.visit.name = QStringLiteral("O'Brien");
    in.visit.vorname = QStringLiteral("Seán");
    in.visit.firma = QStringLiteral("D'Arcy & Co.");
    in.visit.photo = QStringLiteral("o'brien.bmp");
    in.badgeEntry = QStringLiteral("1");
    in.preRegistration = QStringLiteral("3");
    QCOMPARE(arrival.save(in).status, ArrivalService::Result::Status::Saved);
    QCOMPARE(f.rows("Voranmel.dbf").value(0).value("ANWESEND"), QStringLiteral("T"));

    f.clock.advance(2 * 3600);
    DepartureService departure(*f.session);
    const auto &o = departure.open();
    QCOMPARE(texts(o), QStringList{"1 | D'Arcy & Co., O'Brien, Seán"});
    QCOMPARE(o.loaded->visit.name, QStringLiteral("O'Brien"));
    QCOMPARE(o.loaded->photo, QStringLiteral("o'brien.bmp"));
    QCOMPARE(o.loaded->duration, QStringLiteral("2:00"));
    QCOMPARE(departure.save(*o.loaded, o.loaded->visit, false).status, Status::Saved);
    const Row visit = f.rows("Besucher.dbf").value(0);
    QCOMPARE(visit.value("NAME"), QStringLiteral("O'Brien"));
    QCOMPARE(visit.value("GEHT"), QStringLiteral("10:15"));
    QCOMPARE(visit.value("ANWESEND"), QStringLiteral("2:00"));
    QCOMPARE(f.rows("Voranmel.dbf").value(0).value("ANWESEND"), QStringLiteral("F"));
    QCOMPARE(f.badge(1).value("KOMMT"), QStringLiteral("25:00"));
    QVERIFY(departure.open().entries.isEmpty());
}

void DepartureServiceTest::fitEntry_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("shown");
    const QString entry = QStringLiteral("12 | Schäfer & Söhne GmbH, O'Brien, Jürgen"); // 42 characters
    QCOMPARE(entry.size(), 42);
    QTest::newRow("wide enough") << 300 << entry;
    QTest::newRow("exactly wide enough") << 42 * 7 << entry;
    QTest::newRow("one pixel too narrow") << 42 * 7 - 1 << entry.left(38) + "...";
    QTest::newRow("narrow") << 200 << entry.left(25) + "...";
    QTest::newRow("badge number kept") << 30 << QStringLiteral("12 |...");
}

void DepartureServiceTest::fitEntry()
{
    QFETCH(int, width);
    QFETCH(QString, shown);
    const QString entry = QStringLiteral("12 | Schäfer & Söhne GmbH, O'Brien, Jürgen");
    int measured = 0;
    const auto measure = [&](const QString &text) {
        ++measured;
        return 7 * static_cast<int>(text.size());
    };
    const QString fitted = DepartureService::fitEntry(entry, width, measure);
    QCOMPARE(fitted, shown);
    QVERIFY(fitted == entry || measure(fitted.chopped(3)) <= width - 25 || fitted == QStringLiteral("12 |..."));
    QCOMPARE(BadgePool::badgeOfListEntry(fitted), QStringLiteral("12"));
    QVERIFY(measured < 12); // by bisection, not character by character
}

// Two present visits holding one badge (left so by an older program): the first to leave
// does not free the badge the other still carries; the second does.
void DepartureServiceTest::badgeStaysOutWhileAnotherVisitorHoldsIt()
{
    DeskFixture f(5);
    presentVisit(f, "41", 3, "Erste GmbH", "Erster", "Anna", "07:05");
    presentVisit(f, "42", 3, "Zweite GmbH", "Zweiter", "Bernd", "07:10");
    DepartureService service(*f.session);
    auto loaded = service.open().loaded;
    QVERIFY(loaded);
    QCOMPARE(loaded->vorgang, QStringLiteral("41"));
    QCOMPARE(service.save(*loaded, loaded->visit, true).status, Status::Saved);
    QCOMPARE(f.badge(3).value("KOMMT"), QStringLiteral("07:10"));
    QCOMPARE(f.logLines().size(), 1); // the visit's line, no badge freed
    service.close();

    loaded = service.open().loaded;
    QVERIFY(loaded);
    QCOMPARE(loaded->vorgang, QStringLiteral("42"));
    QCOMPARE(service.save(*loaded, loaded->visit, true).status, Status::Saved);
    QCOMPARE(f.badge(3).value("KOMMT"), QStringLiteral("25:00"));
    QCOMPARE(f.logLines().size(), 3);
}

LOBRIX_TEST(DepartureServiceTest)
#include "DepartureServiceTest.moc"

#include "DeskFixture.h"
#include "TestRegistry.h"

#include "common/Error.h"
#include "registration/ArrivalService.h"
#include "registration/DepartureService.h"
#include "registration/VisitSaveLock.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace lobrix;
using namespace lobrix::registration;
using lobrix::test::DeskFixture;
using lobrix::test::Row;
namespace s = lobrix::shell::keys::settings;

namespace {

VisitData sampleVisit()
{
    VisitData v;
    v.name = QStringLiteral("O'Brien");
    v.vorname = QStringLiteral("Jürgen");
    v.firma = QStringLiteral("Schäfer & Söhne GmbH");
    v.strasse = QStringLiteral("Hauptstraße 5");
    v.plz = QStringLiteral("80331");
    v.ort = QStringLiteral("München");
    v.telefon = QStringLiteral("089 1234");
    v.panr = QStringLiteral("PA-77");
    v.kfz = QStringLiteral("M-AB 12");
    v.land = QStringLiteral("Deutschland");
    v.bemerkung = QStringLiteral("bringt Werkzeug mit");
    v.ziel = QStringLiteral("Werkstatt");
    v.gueltigVon = QStringLiteral("10.12.2026");
    v.gueltigBis = QStringLiteral("12.12.2026");
    return v;
}

ArrivalService::Input arrival(const VisitData &visit, const QString &badgeEntry)
{
    ArrivalService::Input in;
    in.visit = visit;
    in.badgeEntry = badgeEntry;
    return in;
}

using Status = ArrivalService::Result::Status;

} // namespace

class ArrivalServiceTest : public QObject {
    Q_OBJECT
private slots:
    void openShowsNextNumberAndLists();
    void saveWritesEverythingInOrder();
    void saveWithoutOptionsWritesOnlyVisitAndBadge();
    void consecutiveNumbersAndCancel();
    void noFreeBadge();
    void autoStammAddsARecordPerArrival();
    void countryList_data();
    void countryList();
    void missingCountryFileIsCreated();
    void unstorableCharacter_data();
    void unstorableCharacter();
    void manualBadge_data();
    void manualBadge();
    void formsOpenedTogether();
    void acrossMidnightKeepsOpeningDate();
    void failedPrintDoesNotStopSave();
    void saveWaitsForAnotherSave();
    void valuesWiderThanTheirColumns();
    void mandatoryFields_data();
    void mandatoryFields();
    void numberAboveEveryStoredOne_data();
    void numberAboveEveryStoredOne();
    void invalidValidityStoresNothing();
    void otherFormsCloseLeavesTheFlag();
    void fullTableRefusesBeforeBadgeAndNumber_data();
    void fullTableRefusesBeforeBadgeAndNumber();
};

void ArrivalServiceTest::openShowsNextNumberAndLists()
{
    DeskFixture f(10);
    IniFile(f.dbFile("Global.ini")).writeInt("Global", "LastSatz", 41);
    f.occupy(1, "07:00", "10.12.2026");
    f.occupy(3, "07:30", "10.12.2026");
    for (const char *target : {"Werkstatt", "Einkauf", "Ärzte", "O'Brien, Labor"})
        f.append("Ziele.dbf", {{"Name", QString::fromUtf8(target)}});
    for (const char *file : {"Ausweis Standard.ini", "Ausweis Gast.ini", "Badge.ini"})
        QFile(QDir(f.db()).filePath(QString::fromLatin1(file))).open(QIODevice::WriteOnly);

    ArrivalService service(*f.session);
    QList<int> progress;
    const auto &o = service.open([&](int done, int) { progress << done; });
    QCOMPARE(f.global("Locked"), QStringLiteral("1"));
    QCOMPARE(o.visitNumber, QStringLiteral("42"));
    QCOMPARE(o.time, QStringLiteral("08:15"));
    QCOMPARE(o.date, QStringLiteral("10.12.2026"));
    QCOMPARE(o.badgeEntries, (QStringList{"2", "4", "5", "6", "7", "8", "9", "10"}));
    QCOMPARE(o.selectedBadge, 0);
    QVERIFY(o.noBadgeMessage.isEmpty());
    QCOMPARE(progress.last(), 10);
    QCOMPARE(o.destinations, (QStringList{"Ärzte", "Einkauf", "O'Brien, Labor", "Werkstatt"}));
    QCOMPARE(o.badgeLayouts, (QStringList{"Ausweis Gast", "Ausweis Standard"}));
    QCOMPARE(o.countries, f.countries());
    QVERIFY(o.countries.contains(QStringLiteral("Österreich")));
    // Opening uses no number.
    QCOMPARE(f.global("LastSatz"), QStringLiteral("41"));
}

void ArrivalServiceTest::saveWritesEverythingInOrder()
{
    DeskFixture f(20);
    f.setOption(s::Quittung, true);
    f.setOption(s::AutoQuittung, true);
    f.append("Voranmel.dbf", {{"NR", "4"}, {"Name", "Andere"}});
    f.append("Voranmel.dbf", {{"NR", "5"}, {"Name", "O'Brien"}});
    ArrivalService service(*f.session);
    service.open();

    VisitData visit = sampleVisit();
    visit.info = {false, true, false, true};
    visit.photo = QStringLiteral("obrien.bmp");
    ArrivalService::Input in = arrival(visit, QStringLiteral("3"));
    in.storeAsMaster = true;
    in.preRegistration = QStringLiteral("5");

    f.clock.advance(95); // saved a little later: the times of the opening count
    int prints = 0;
    const auto result = service.save(in, [&](const QString &number) {
        ++prints;
        // The sheet is printed once the save is whole: a crash while printing must leave
        // neither a free badge held by the visitor nor a number to hand out again.
        QCOMPARE(number, QStringLiteral("1"));
        QCOMPARE(f.rows("Besucher.dbf").size(), 1);
        QCOMPARE(f.rows("Stamm.dbf").size(), 1);
        QCOMPARE(f.badge(3).value("KOMMT"), QStringLiteral("08:15"));
        QCOMPARE(f.global("LastSatz"), QStringLiteral("1"));
        QCOMPARE(f.logLines().size(), 2);
    });
    QCOMPARE(result.status, Status::Saved);
    QCOMPARE(result.visitNumber, QStringLiteral("1"));
    QCOMPARE(result.badge, 3);
    QCOMPARE(prints, 1);

    const QList<Row> visits = f.rows("Besucher.dbf");
    QCOMPARE(visits.size(), 1);
    const Row expected{{"VORGANG", "1"},          {"AUSWEIS", "3"},
                       {"NAME", "O'Brien"},       {"VORNAME", "Jürgen"},
                       {"FIRMA", "Schäfer & Söhne GmbH"}, {"PANR", "PA-77"},
                       {"KFZ", "M-AB 12"},        {"STRASSE", "Hauptstraße 5"},
                       {"PLZ", "80331"},          {"ORT", "München"},
                       {"LAND", "Deutschland"},   {"TELEFON", "089 1234"},
                       {"BEMERKUNG", "bringt Werkzeug mit"}, {"ZIEL", "Werkstatt"},
                       {"INFO1", "nein"},         {"INFO2", "ja"},
                       {"INFO3", "nein"},         {"INFO4", "ja"},
                       {"QUITTUNG", "ja"},        {"QUITTIERT", ""},
                       {"KOMMT", "08:15"},        {"GEHT", ""},
                       {"TAG", "10.12.2026"},     {"ANWESEND", ""},
                       {"NUTZER", "Systemanmeldung"}, {"GUELTIGVON", "10.12.2026"},
                       {"GUELTIGBIS", "12.12.2026"},  {"STAMMNR", ""}};
    QCOMPARE(visits.first(), expected);

    QCOMPARE(f.rows("Fotos.dbf"),
             (QList<Row>{{{"NUMMER", "1"}, {"PFAD", "obrien.bmp"}, {"TYP", "3"}}}));
    const QList<Row> pre = f.rows("Voranmel.dbf");
    QCOMPARE(pre.at(0).value("VORGANG"), QString());
    QCOMPARE(pre.at(0).value("ANWESEND"), QString());
    QCOMPARE(pre.at(1).value("VORGANG"), QStringLiteral("1"));
    QCOMPARE(pre.at(1).value("ANWESEND"), QStringLiteral("T"));

    const QList<Row> stamm = f.rows("Stamm.dbf");
    QCOMPARE(stamm.size(), 1);
    for (const char *column : {"NAME", "VORNAME", "FIRMA", "PANR", "KFZ", "STRASSE", "PLZ", "ORT", "LAND",
                               "TELEFON", "BEMERKUNG", "GUELTIGVON", "GUELTIGBIS", "QUITTUNG"})
        QCOMPARE(stamm.first().value(column), expected.value(column));
    QCOMPARE(stamm.first().value("FOTO"), QStringLiteral("obrien.bmp"));
    QCOMPARE(stamm.first().value("AUSWEIS"), QString());
    QCOMPARE(stamm.first().value("INFO2"), QString());

    QCOMPARE(f.badge(3).value("KOMMT"), QStringLiteral("08:15"));
    QCOMPARE(f.badge(3).value("TAG"), QStringLiteral("10.12.2026"));
    QCOMPARE(f.global("LastSatz"), QStringLiteral("1"));
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
    QCOMPARE(f.logLines(),
             (QStringList{"10.12.2026 08:17:05: Systemanmeldung --> Besucher KOMMT -> Ausweis 3 in "
                          "Besuchertabelle gespeichert: Kommt 08:15\tVorgang: 1",
                          "10.12.2026 08:17:05: Systemanmeldung --> Besucher KOMMT -> Ausweis 3 in "
                          "Ausweistabelle belegt: Kommt 08:15\tVorgang: 1"}));
}

void ArrivalServiceTest::saveWithoutOptionsWritesOnlyVisitAndBadge()
{
    DeskFixture f(5);
    f.append("Voranmel.dbf", {{"NR", "5"}, {"Name", "O'Brien"}});
    ArrivalService service(*f.session);
    service.open();
    VisitData visit = sampleVisit();
    visit.info = {true, false, false, false};
    bool printed = false;
    const auto result = service.save(arrival(visit, QStringLiteral("1")), [&](const QString &) { printed = true; });
    QCOMPARE(result.status, Status::Saved);
    QVERIFY(!printed);
    const Row visitRow = f.rows("Besucher.dbf").value(0);
    QCOMPARE(visitRow.value("QUITTUNG"), QStringLiteral("nein"));
    QCOMPARE(visitRow.value("INFO1"), QStringLiteral("ja"));
    QCOMPARE(visitRow.value("INFO2"), QStringLiteral("nein"));
    QVERIFY(f.rows("Fotos.dbf").isEmpty());
    QVERIFY(f.rows("Stamm.dbf").isEmpty());
    QCOMPARE(f.rows("Voranmel.dbf").value(0).value("VORGANG"), QString());
    QCOMPARE(f.badge(1).value("KOMMT"), QStringLiteral("08:15"));
}

void ArrivalServiceTest::consecutiveNumbersAndCancel()
{
    DeskFixture f(5);
    ArrivalService service(*f.session);
    QCOMPARE(service.open().visitNumber, QStringLiteral("1"));
    QCOMPARE(service.save(arrival(sampleVisit(), "1")).visitNumber, QStringLiteral("1"));

    QCOMPARE(service.open().visitNumber, QStringLiteral("2"));
    QCOMPARE(f.global("Locked"), QStringLiteral("1"));
    service.cancel();
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
    QCOMPARE(f.global("LastSatz"), QStringLiteral("1"));
    QCOMPARE(f.rows("Besucher.dbf").size(), 1);

    const auto &o = service.open();
    QCOMPARE(o.visitNumber, QStringLiteral("2"));
    QCOMPARE(o.badgeEntries.first(), QStringLiteral("2"));
    QCOMPARE(service.save(arrival(sampleVisit(), "2")).visitNumber, QStringLiteral("2"));
    QCOMPARE(f.global("LastSatz"), QStringLiteral("2"));
    QStringList numbers;
    for (const Row &row : f.rows("Besucher.dbf"))
        numbers << row.value("VORGANG") + u'/' + row.value("AUSWEIS");
    QCOMPARE(numbers, (QStringList{"1/1", "2/2"}));
}

void ArrivalServiceTest::noFreeBadge()
{
    DeskFixture f(2);
    f.occupy(1, "07:00", "10.12.2026");
    f.occupy(2, "07:00", "10.12.2026");
    ArrivalService service(*f.session);
    const auto &o = service.open();
    QCOMPARE(o.noBadgeMessage, QStringLiteral("Es sind keine weiteren Nummern mehr frei."));
    QVERIFY(o.badgeEntries.isEmpty());
    QCOMPARE(o.selectedBadge, -1);
    const auto before = f.snapshot();
    const auto result = service.save(arrival(sampleVisit(), QString()));
    QCOMPARE(result.status, Status::Refused);
    QCOMPARE(result.message, QStringLiteral("Es sind keine weiteren Nummern mehr frei."));
    QCOMPARE(f.snapshot(), before);
}

void ArrivalServiceTest::autoStammAddsARecordPerArrival()
{
    DeskFixture f(5);
    ArrivalService service(*f.session);
    QVERIFY(!service.open().settings.autoStamm);
    service.cancel();
    f.setOption(s::AutoStamm, true);
    for (const char *badge : {"1", "2"}) {
        QVERIFY(service.open().settings.autoStamm);
        ArrivalService::Input in = arrival(sampleVisit(), QString::fromLatin1(badge));
        in.storeAsMaster = true; // the box starts checked
        QCOMPARE(service.save(in).status, Status::Saved);
    }
    const QList<Row> stamm = f.rows("Stamm.dbf");
    QCOMPARE(stamm.size(), 2); // the same visitor twice
    QCOMPARE(stamm.at(1).value("NAME"), QStringLiteral("O'Brien"));
}

void ArrivalServiceTest::countryList_data()
{
    QTest::addColumn<QString>("country");
    QTest::addColumn<bool>("added");
    QTest::newRow("Polen vs POLEN") << "Polen" << false;
    QTest::newRow("österreich vs Österreich") << "österreich" << true;
    QTest::newRow("ÖSTERREICH vs Österreich") << "ÖSTERREICH" << false;
    QTest::newRow("same letters") << "Österreich" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("one space") << " " << false;
    QTest::newRow("two spaces") << "  " << false;
    QTest::newRow("three spaces") << "   " << false;
    QTest::newRow("new country") << "Neuseeland" << true;
    QTest::newRow("trailing space differs") << "Polen " << true;
}

void ArrivalServiceTest::countryList()
{
    QFETCH(QString, country);
    QFETCH(bool, added);
    DeskFixture f(3);
    const QStringList list{"POLEN", "Österreich", "O'Land"};
    TextFile::writeLines(f.dbFile("Laender.ini"), list);
    ArrivalService service(*f.session);
    QCOMPARE(service.open().countries, list);
    VisitData visit = sampleVisit();
    visit.land = country;
    const auto result = service.save(arrival(visit, "1"));
    QCOMPARE(result.status, Status::Saved);
    QCOMPARE(result.countryAdded, added);
    QCOMPARE(f.countries(), added ? list + QStringList{country} : list);
    QString stored = country; // as typed; the table reads its texts right-trimmed
    while (stored.endsWith(u' '))
        stored.chop(1);
    QCOMPARE(f.rows("Besucher.dbf").value(0).value("LAND"), stored);
}

void ArrivalServiceTest::missingCountryFileIsCreated()
{
    DeskFixture f(3);
    QVERIFY(QFile::remove(f.dbFile("Laender.ini")));
    ArrivalService service(*f.session);
    QVERIFY(service.open().countries.isEmpty());
    QVERIFY(QFile::exists(f.dbFile("Laender.ini")));
    VisitData visit = sampleVisit();
    visit.land = QStringLiteral("Polen");
    QVERIFY(service.save(arrival(visit, "1")).countryAdded);
    QCOMPARE(f.countries(), QStringList{"Polen"});
}

void ArrivalServiceTest::unstorableCharacter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("character");
    QTest::newRow("name") << "name" << "Łukasiewicz" << "Name" << "Ł";
    QTest::newRow("first name") << "vorname" << "Ayşe" << "Vorname" << "ş";
    QTest::newRow("company, emoji") << "firma" << "Blitz 😀 GmbH" << "Firma" << "😀";
    QTest::newRow("remark with its caption") << "bemerkung" << "Schlüssel ł" << "Hinweise" << "ł";
    QTest::newRow("country") << "land" << "Polska ł" << "Land" << "ł";
    QTest::newRow("photo") << "photo" << "zdjęcie.bmp" << "Foto" << "ę";
    QTest::newRow("master data only") << "stamm" << "ő" << "Bemerkungen" << "ő";
}

void ArrivalServiceTest::unstorableCharacter()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, label);
    QFETCH(QString, character);
    DeskFixture f(3);
    if (field == u"bemerkung")
        f.setText(s::lbBemerk, QStringLiteral("Hinweise"));
    ArrivalService service(*f.session);
    service.open();
    VisitData visit = sampleVisit();
    ArrivalService::Input in;
    if (field == u"name") visit.name = text;
    if (field == u"vorname") visit.vorname = text;
    if (field == u"firma") visit.firma = text;
    if (field == u"bemerkung") visit.bemerkung = text;
    if (field == u"land") visit.land = text;
    if (field == u"photo") visit.photo = text;
    if (field == u"stamm") {
        // A master table in another code page than the visits.
        visit.bemerkung = text;
        in.storeAsMaster = true;
        QFile stamm(f.dbFile("Stamm.dbf"));
        QVERIFY(stamm.open(QIODevice::ReadWrite));
        stamm.seek(29);
        stamm.write("\x03", 1); // Windows-1252: no "ő"
        stamm.close();
        QFile visits(f.dbFile("Besucher.dbf"));
        QVERIFY(visits.open(QIODevice::ReadWrite));
        visits.seek(29);
        visits.write("\xC8", 1); // Windows-1250 holds "ő"
    }
    in.visit = visit;
    in.badgeEntry = QStringLiteral("1");
    in.preRegistration = QString();
    const auto before = f.snapshot();
    const auto result = service.save(in);
    QCOMPARE(result.status, Status::Refused);
    QVERIFY2(result.message.contains(QStringLiteral("Feld '%1'").arg(label)), qPrintable(result.message));
    QVERIFY2(result.message.contains(u'\'' + character + u'\''), qPrintable(result.message));
    QCOMPARE(f.snapshot(), before); // nothing written, the form stays open and locked
    QCOMPARE(f.global("Locked"), QStringLiteral("1"));
}

void ArrivalServiceTest::manualBadge_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("masterName");
    using O = ArrivalService::ManualBadge::Outcome;
    const QString invalid = QStringLiteral("Ausweisnummer ungültig. Bitte geben Sie eine neue Ausweisnummer ein.");
    QTest::newRow("0000") << "0000" << int(O::Invalid) << "" << invalid << "";
    QTest::newRow("no digits") << "    " << int(O::Invalid) << "" << invalid << "";
    QTest::newRow("0012 while 12 is out") << "0012" << int(O::Unavailable) << ""
                                          << "Ausweis-Nr. '12' ist ungültig oder ist bereits anwesend." << "Out";
    QTest::newRow("not in the pool") << "0100" << int(O::Unavailable) << ""
                                     << "Ausweis-Nr. '100' ist ungültig oder ist bereits anwesend." << "";
    QTest::newRow("personal number") << "0007" << int(O::MasterRecord) << "7" << "" << "Keller";
    QTest::newRow("free without master record") << "0005" << int(O::NoMasterRecord) << "5" << "" << "";
}

void ArrivalServiceTest::manualBadge()
{
    QFETCH(QString, text);
    QFETCH(int, outcome);
    QFETCH(QString, entry);
    QFETCH(QString, message);
    QFETCH(QString, masterName);
    DeskFixture f(20);
    f.occupy(12, "07:00", "10.12.2026");
    f.append("Stamm.dbf", {{"Ausweis", "7"}, {"Name", "Keller"}, {"Vorname", "Eva"}, {"FOTO", "keller.bmp"},
                           {"GUELTIGBIS", "31.12.2026"}});
    f.append("Stamm.dbf", {{"Ausweis", "12"}, {"Name", "Out"}});
    ArrivalService service(*f.session);
    const auto &o = service.open();
    const auto result = service.checkManualBadge(text);
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.message, message);
    QCOMPARE(result.entryIndex < 0 ? QString() : o.badgeEntries.at(result.entryIndex), entry);
    QCOMPARE(result.master ? result.master->name : QString(), masterName);
    if (masterName == u"Keller") {
        QCOMPARE(result.master->vorname, QStringLiteral("Eva"));
        QCOMPARE(result.master->photo, QStringLiteral("keller.bmp"));
        QCOMPARE(result.master->gueltigBis, QStringLiteral("31.12.2026"));
    }
}

void ArrivalServiceTest::formsOpenedTogether()
{
    DeskFixture f(5);
    f.setOption(s::AutoQuittung, true);
    auto otherSession = f.otherSession();
    ArrivalService first(*f.session);
    ArrivalService second(*otherSession);
    // Both open within the same half second: the same number and badge are offered.
    QCOMPARE(first.open().visitNumber, QStringLiteral("1"));
    QCOMPARE(second.open().visitNumber, QStringLiteral("1"));
    QCOMPARE(second.opening().badgeEntries.first(), QStringLiteral("1"));

    QCOMPARE(first.save(arrival(sampleVisit(), "1")).status, Status::Saved);
    VisitData other = sampleVisit();
    other.name = QStringLiteral("Zweiter");
    const auto before = f.snapshot();
    auto taken = second.save(arrival(other, "1"));
    QCOMPARE(taken.status, Status::BadgeTaken);
    QCOMPARE(taken.message, QStringLiteral("Der Ausweis Nr. '1' wurde inzwischen an einem anderen Arbeitsplatz "
                                           "ausgegeben. Bitte wählen Sie einen anderen Ausweis aus."));
    QCOMPARE(taken.badgeEntries, (QStringList{"2", "3", "4", "5"}));
    QCOMPARE(second.opening().badgeEntries, taken.badgeEntries);
    QCOMPARE(f.snapshot(), before);

    QString printed;
    const auto saved = second.save(arrival(other, taken.badgeEntries.first()),
                                   [&](const QString &number) { printed = number; });
    QCOMPARE(saved.status, Status::Saved);
    QCOMPARE(saved.visitNumber, QStringLiteral("2")); // the counter moved meanwhile
    // The form had shown 1: the clerk is told the stored number, and that is printed.
    QCOMPARE(saved.message, ArrivalService::numberTakenMessage(QStringLiteral("1"), QStringLiteral("2")));
    QVERIFY(saved.message.contains(QStringLiteral("unter der Vorgangsnummer 2 gespeichert")));
    QCOMPARE(printed, QStringLiteral("2"));
    QCOMPARE(f.global("LastSatz"), QStringLiteral("2"));
    const QList<Row> visits = f.rows("Besucher.dbf");
    QCOMPARE(visits.size(), 2);
    QCOMPARE(visits.at(1).value("VORGANG"), QStringLiteral("2"));
    QCOMPARE(visits.at(1).value("AUSWEIS"), QStringLiteral("2"));
    QCOMPARE(f.logLines().size(), 4);
    QVERIFY(f.logLines().at(3).endsWith(QStringLiteral("Ausweis 2 in Ausweistabelle belegt: Kommt 08:15\tVorgang: 2")));
}

void ArrivalServiceTest::acrossMidnightKeepsOpeningDate()
{
    DeskFixture f(3, QDateTime(QDate(2026, 12, 10), QTime(23, 58, 40)));
    ArrivalService service(*f.session);
    service.open();
    f.clock.advance(5 * 60);
    QCOMPARE(service.save(arrival(sampleVisit(), "1")).status, Status::Saved);
    const Row visit = f.rows("Besucher.dbf").value(0);
    QCOMPARE(visit.value("KOMMT"), QStringLiteral("23:58"));
    QCOMPARE(visit.value("TAG"), QStringLiteral("10.12.2026"));
    QCOMPARE(f.badge(1).value("TAG"), QStringLiteral("10.12.2026"));
    QVERIFY(f.logLines().at(0).startsWith(QStringLiteral("11.12.2026 00:03:40: ")));
}

void ArrivalServiceTest::failedPrintDoesNotStopSave()
{
    DeskFixture f(3);
    f.setOption(s::AutoQuittung, true);
    ArrivalService service(*f.session);
    service.open();
    const auto result = service.save(arrival(sampleVisit(), "2"), [](const QString &) {
        throw Error(QStringLiteral("Der Drucker ist nicht bereit."));
    });
    QCOMPARE(result.status, Status::Saved);
    QCOMPARE(result.message, QStringLiteral("Der Drucker ist nicht bereit."));
    QCOMPARE(f.badge(2).value("KOMMT"), QStringLiteral("08:15"));
    QCOMPARE(f.global("LastSatz"), QStringLiteral("1"));
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
}

void ArrivalServiceTest::saveWaitsForAnotherSave()
{
    DeskFixture f(3);
    ArrivalService service(*f.session);
    service.setSaveLockTimeout(50);
    service.open();
    const auto before = f.snapshot();
    {
        VisitSaveLock otherWorkstation(f.db());
        QVERIFY(otherWorkstation.acquired());
        const auto result = service.save(arrival(sampleVisit(), "1"));
        QCOMPARE(result.status, Status::Busy);
        QCOMPARE(result.message, VisitSaveLock::busyMessage());
        QCOMPARE(f.snapshot(), before);
    }
    // Once the other save is done, the same input is saved.
    QCOMPARE(service.save(arrival(sampleVisit(), "1")).status, Status::Saved);
}

void ArrivalServiceTest::valuesWiderThanTheirColumns()
{
    DeskFixture f(2);
    f.append("Ausweis.dbf", {{"Ausweis", "10000"}, {"Kommt", "25:00"}});
    f.occupy(1, "07:00", "10.12.2026");
    f.occupy(2, "07:00", "10.12.2026");
    ArrivalService service(*f.session);
    QCOMPARE(service.open().badgeEntries, QStringList{"10000"});
    // Besucher.dbf keeps badge numbers in four characters: cutting would store badge 1000.
    const auto before = f.snapshot();
    QString message;
    try {
        service.save(arrival(sampleVisit(), "10000"));
    } catch (const Error &e) {
        message = e.message();
    }
    QVERIFY2(message.contains(QStringLiteral("AUSWEIS"), Qt::CaseInsensitive), qPrintable(message));
    QCOMPARE(f.snapshot(), before);

    // Typed texts are cut to their columns, as the dBASE engine did.
    f.update("Ausweis.dbf", 1, {{"Kommt", "25:00"}});
    VisitData visit = sampleVisit();
    visit.name = QString(35, u'N');
    QCOMPARE(service.save(arrival(visit, "2")).status, Status::Saved);
    QCOMPARE(f.rows("Besucher.dbf").value(0).value("NAME"), QString(30, u'N'));
}

void ArrivalServiceTest::mandatoryFields_data()
{
    QTest::addColumn<QList<int>>("mandatory");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("masterData");
    QTest::addColumn<bool>("filled");
    using F = MandatoryField;
    QTest::newRow("nothing mandatory, empty name") << QList<int>{} << "name" << "" << false << true;
    QTest::newRow("name mandatory, empty") << QList<int>{int(F::Name)} << "name" << "" << false << false;
    // Blanks would be stored as an empty field.
    QTest::newRow("name mandatory, one space") << QList<int>{int(F::Name)} << "name" << " " << false << false;
    QTest::newRow("name mandatory, blanks") << QList<int>{int(F::Name)} << "name" << "   " << false << false;
    QTest::newRow("destination mandatory, blanks") << QList<int>{int(F::Ziel)} << "ziel" << "  " << false << false;
    QTest::newRow("other field mandatory") << QList<int>{int(F::Firma)} << "name" << "" << false << true;
    QTest::newRow("telephone mandatory, empty") << QList<int>{int(F::Telefon)} << "telefon" << "" << false << false;
    QTest::newRow("country mandatory, empty") << QList<int>{int(F::Land)} << "land" << "" << false << false;
    QTest::newRow("destination mandatory, empty") << QList<int>{int(F::Ziel)} << "ziel" << "" << false << false;
    QTest::newRow("destination in master data") << QList<int>{int(F::Ziel)} << "ziel" << "" << true << true;
    QTest::newRow("name in master data") << QList<int>{int(F::Name)} << "name" << "" << true << false;
}

void ArrivalServiceTest::mandatoryFields()
{
    QFETCH(QList<int>, mandatory);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, masterData);
    QFETCH(bool, filled);
    DeskFixture f(1);
    // Through settings.ini, as the form reads them.
    for (int index : mandatory)
        f.setOption(s::RequiredFields[index], true);
    const VisitFormSettings settings = VisitFormSettings::read(f.session->settings());
    VisitData visit = sampleVisit();
    if (field == u"name") visit.name = text;
    if (field == u"telefon") visit.telefon = text;
    if (field == u"land") visit.land = text;
    if (field == u"ziel") visit.ziel = text;
    QCOMPARE(settings.mandatoryFieldsFilled(visit, masterData), filled);
    // An empty remark never matters.
    visit.bemerkung.clear();
    QCOMPARE(settings.mandatoryFieldsFilled(visit, masterData), filled);
}


// A counter that went back (a Global.ini restored, written by an older program, or a save
// that died before raising it) never hands out a stored number again; a counter ahead of
// the table stays ahead.
void ArrivalServiceTest::numberAboveEveryStoredOne_data()
{
    QTest::addColumn<int>("lastSatz");
    QTest::addColumn<QString>("expected");
    QTest::newRow("counter reset to 0") << 0 << "42";
    QTest::newRow("counter behind") << 40 << "42";
    QTest::newRow("counter in step") << 41 << "42";
    QTest::newRow("counter ahead") << 50 << "51";
}

void ArrivalServiceTest::numberAboveEveryStoredOne()
{
    QFETCH(int, lastSatz);
    QFETCH(QString, expected);
    DeskFixture f(5);
    for (const char *number : {"39", "41", "40"}) // edited by hand: not in order
        f.append("Besucher.dbf", {{"Vorgang", number}, {"Ausweis", "9"}, {"Geht", "09:00"}});
    IniFile(f.dbFile("Global.ini")).writeInt("Global", "LastSatz", lastSatz);
    ArrivalService service(*f.session);
    QCOMPARE(service.open().visitNumber, expected);
    IniFile(f.dbFile("Global.ini")).writeInt("Global", "LastSatz", lastSatz);
    const auto result = service.save(arrival(sampleVisit(), QStringLiteral("1")));
    QCOMPARE(result.status, Status::Saved);
    QCOMPARE(result.visitNumber, expected);
    QCOMPARE(f.global("LastSatz"), expected);
}

// The service refuses what the form refuses, so no caller stores an impossible period.
void ArrivalServiceTest::invalidValidityStoresNothing()
{
    DeskFixture f(5);
    ArrivalService service(*f.session);
    service.open();
    VisitData visit = sampleVisit();
    visit.gueltigVon = QStringLiteral("31.02.2026");
    auto result = service.save(arrival(visit, QStringLiteral("1")));
    QCOMPARE(result.status, Status::Refused);
    QVERIFY2(result.message.contains(QStringLiteral("kein gültiges Datum")), qPrintable(result.message));
    visit.gueltigVon = QStringLiteral("12.12.2026");
    visit.gueltigBis = QStringLiteral("11.12.2026");
    result = service.save(arrival(visit, QStringLiteral("1")));
    QCOMPARE(result.status, Status::Refused);
    QVERIFY(f.rows("Besucher.dbf").isEmpty());
    QCOMPARE(f.badge(1).value("KOMMT"), QStringLiteral("25:00"));
    QCOMPARE(f.global("LastSatz"), QStringLiteral("0"));
}

// Workstation A's arrival form is open; B opens a departure form and cancels it. The flag
// stays A's: B's arrival stays blocked, and only A's save clears it.
void ArrivalServiceTest::otherFormsCloseLeavesTheFlag()
{
    DeskFixture f(5);
    auto b = f.otherSession();
    ArrivalService arrivalA(*f.session);
    arrivalA.open();
    DepartureService departureB(*b);
    departureB.open();
    departureB.close();
    QCOMPARE(f.global("Locked"), QStringLiteral("1"));
    QVERIFY(b->registrationLock().registrationLocked());
    QCOMPARE(arrivalA.save(arrival(sampleVisit(), QStringLiteral("1"))).status, Status::Saved);
    QCOMPARE(f.global("Locked"), QStringLiteral("0"));
    QVERIFY(!b->registrationLock().registrationLocked());
}

void ArrivalServiceTest::fullTableRefusesBeforeBadgeAndNumber_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("visits") << QStringLiteral("Besucher.dbf");
    QTest::newRow("master data") << QStringLiteral("Stamm.dbf");
    QTest::newRow("photos") << QStringLiteral("Fotos.dbf");
}

// A table one record short of 2 GiB (a sparse file: its records are holes) takes no more:
// the save is refused with a message that names the purge, before it takes a badge or a
// number, and nothing is written anywhere.
void ArrivalServiceTest::fullTableRefusesBeforeBadgeAndNumber()
{
    QFETCH(QString, table);
    DeskFixture f(5);
    const QString path = f.dbFile(table);
    qint64 size = 0;
    {
        auto t = data::DbfTable::open(path);
        const qint64 records = (data::DbfTable::MaxFileBytes - t->headerLength() - 1) / t->recordSize();
        size = t->headerLength() + records * t->recordSize() + 1;
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(size));
        QVERIFY(file.seek(size - 1) && file.putChar('\x1A'));
        const quint32 count = quint32(records);
        QVERIFY(file.seek(4) && file.write(reinterpret_cast<const char *>(&count), 4) == 4); // little endian
    }
    ArrivalService service(*f.session);
    service.open();
    ArrivalService::Input in = arrival(sampleVisit(), QStringLiteral("1"));
    in.storeAsMaster = true;
    in.visit.photo = QStringLiteral("gast.bmp");
    const auto result = service.save(in);
    QCOMPARE(result.status, Status::Refused);
    QVERIFY2(result.message.contains(QStringLiteral("'%1' ist voll").arg(table)), qPrintable(result.message));
    QVERIFY2(result.message.contains(QStringLiteral("lobrix-admin purge")), qPrintable(result.message));
    QCOMPARE(QFileInfo(path).size(), size);
    QCOMPARE(f.badge(1).value("KOMMT"), QStringLiteral("25:00"));
    QCOMPARE(f.global("LastSatz"), QStringLiteral("0"));
    for (const QString &other : {QStringLiteral("Besucher.dbf"), QStringLiteral("Stamm.dbf"), QStringLiteral("Fotos.dbf")})
        if (other != table)
            QVERIFY(f.rows(other).isEmpty());
}

LOBRIX_TEST(ArrivalServiceTest)
#include "ArrivalServiceTest.moc"

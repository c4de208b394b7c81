// The visit form in arrival mode, driven through its controls on a fresh installation:
// what it shows when it opens, what the clerk can and cannot save, and what a save leaves
// in the tables, the event log and Global.ini.
#include "PaintedTexts.h"
#include "TestRegistry.h"
#include "VisitFormFixture.h"
#include "common/TextFile.h"
#include "data/DbfTable.h"
#include "shell/UsersFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>

#include <atomic>
#include <chrono>
#include <thread>

using namespace lobrix;
using namespace lobrix::registration;
using lobrix::test::Row;
using lobrix::test::VisitFormFixture;
namespace s = lobrix::shell::keys::settings;

namespace {

QColor ground(const QWidget *w)
{
    return w->palette().color(QPalette::Window);
}

QColor ink(const QWidget *w)
{
    return w->palette().color(QPalette::WindowText);
}

void writePicture(const QString &path, int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(200, 120, 40));
    QVERIFY(picture.save(path));
}

// The clerk fills in a visitor who needs every field.
void typeVisitor(const VisitFormFixture &f)
{
    const QList<std::pair<const char *, QString>> typing = {{"edName", "Brückner"},
                                                            {"edVorname", "Anna"},
                                                            {"edFirma", "Bau-Union KG"},
                                                            {"edStrasse", "Hafenstraße 3"},
                                                            {"edPLZ", "20457"},
                                                            {"edOrt", "Hamburg"},
                                                            {"edTel", "040 112"},
                                                            {"edPANr", "PA-9"},
                                                            {"edKFZ", "HH-AB 1"},
                                                            {"cbxLand", "Irland"},
                                                            {"edBemerk", "bringt Werkzeug"},
                                                            {"meBis", "12.12.2026"},
                                                            {"edZiel", "Werkstatt"}};
    for (const auto &[field, text] : typing)
        f.type(field, text);
}

} // namespace

class TBesucherArrivalTest : public QObject {
    Q_OBJECT
private slots:
    void arrivalIsStoredInOrder();
    void openingFollowsTheSettings();
    void cancelledArrivalUsesNoNumber_data();
    void cancelledArrivalUsesNoNumber();
    void noFreeBadge_data();
    void noFreeBadge();
    void mandatoryFields_data();
    void mandatoryFields();
    void autoStammAddsARecordEachTime();
    void countryList_data();
    void countryList();
    void acrossMidnightKeepsTheOpening();
    void confirmationAndAutomaticSheet_data();
    void confirmationAndAutomaticSheet();
    void printButtonsGetTheFormValues();
    void preRegistrationAndInformationFields();
    void progressWhileThePoolIsRead();
    void badgeTakenMeanwhile();
    void saveWaitsForAPack();
    void destinationFromTheListOnly();
    void validityMustBeRealDatesInOrder_data();
    void validityMustBeRealDatesInOrder();
    void disabledButtonsMnemonicTypesNothing();
};

void TBesucherArrivalTest::arrivalIsStoredInOrder()
{
    VisitFormFixture f(10);
    f.desk.setOption(s::Quittung, true);
    IniFile(f.desk.dbFile("Global.ini")).writeInt("Global", "LastSatz", 41);
    f.desk.occupy(1, "07:00", "10.12.2026");
    f.desk.append("Ziele.dbf", {{"Name", "Werkstatt"}});
    TextFile::writeLines(f.desk.dbFile("Laender.ini"), {"Deutschland"});
    writePicture(QDir(f.desk.startFolder()).filePath("anna.bmp"), 60, 90);
    QString chooserFolder;
    f.create().setPhotoChooser([&](QWidget *, const QString &folder) {
        chooserFolder = folder;
        return QDir(folder).filePath(QStringLiteral("anna.bmp"));
    });
    f.openArrival();

    QCOMPARE(f.text("lbVorgang"), QStringLiteral("42"));
    QCOMPARE(f.text("lbKommt"), QStringLiteral("08:15"));
    QCOMPARE(f.text("lbTag"), QStringLiteral("10.12.2026"));
    QCOMPARE(f.text("meVon"), QStringLiteral("10.12.2026"));
    QCOMPARE(f.text("meBis"), QString());
    QCOMPARE(f.text("lbGeht"), QStringLiteral("----"));
    QCOMPARE(f.text("lbAnwesend"), QStringLiteral("----"));
    QCOMPARE(f.items("cbxAusweis"), (QStringList{"2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    QCOMPARE(f.text("cbxAusweis"), QStringLiteral("2"));
    QCOMPARE(f.items("cbxLand"), QStringList{"Deutschland"});
    QCOMPARE(f.text("cbxLand"), QString());
    QCOMPARE(f.items("edZiel"), QStringList{"Werkstatt"});
    QCOMPARE(f.desk.global("Locked"), QStringLiteral("1"));
    QVERIFY(!f.enabled("btnSpeichern"));
    QVERIFY(!f.shown("pnHinweis"));
    QCOMPARE(f.focused(), QStringLiteral("edName"));

    typeVisitor(f);
    QTest::keyClick(f.w("cbxAusweis"), Qt::Key_Down); // the clerk hands out badge 3
    QCOMPARE(f.text("cbxAusweis"), QStringLiteral("3"));
    f.click("chkUebernahme");
    f.click("btnFoto");
    QCOMPARE(chooserFolder, f.desk.startFolder()); // the images folder
    QCOMPARE(f.text("lbBildpfad"), QStringLiteral("anna.bmp"));
    QVERIFY(f.shown("imgFoto"));
    QVERIFY(f.enabled("btnSpeichern"));

    f.desk.clock.advance(180); // the visitor signs in for three minutes
    const qsizetype logBefore = f.desk.logLines().size();
    f.click("btnSpeichern");
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.form->result(), int(QDialog::Accepted));
    QVERIFY(f.messages.isEmpty());

    const QList<Row> visits = f.desk.rows("Besucher.dbf");
    QCOMPARE(visits.size(), 1);
    const Row expected{{"VORGANG", "42"},
                       {"AUSWEIS", "3"},
                       {"NAME", "Brückner"},
                       {"VORNAME", "Anna"},
                       {"FIRMA", "Bau-Union KG"},
                       {"STRASSE", "Hafenstraße 3"},
                       {"PLZ", "20457"},
                       {"ORT", "Hamburg"},
                       {"TELEFON", "040 112"},
                       {"PANR", "PA-9"},
                       {"KFZ", "HH-AB 1"},
                       {"LAND", "Irland"},
                       {"BEMERKUNG", "bringt Werkzeug"},
                       {"ZIEL", "Werkstatt"},
                       {"INFO1", "nein"},
                       {"INFO2", "nein"},
                       {"INFO3", "nein"},
                       {"INFO4", "nein"},
                       {"QUITTUNG", "ja"},
                       {"QUITTIERT", ""},
                       {"KOMMT", "08:15"},
                       {"GEHT", ""},
                       {"TAG", "10.12.2026"},
                       {"ANWESEND", ""},
                       {"NUTZER", "Systemanmeldung"},
                       {"GUELTIGVON", "10.12.2026"},
                       {"GUELTIGBIS", "12.12.2026"},
                       {"STAMMNR", ""}};
    QCOMPARE(visits[0], expected);

    QCOMPARE(f.desk.rows("Fotos.dbf"),
             (QList<Row>{{{"NUMMER", "42"}, {"PFAD", "anna.bmp"}, {"TYP", "3"}}}));
    const QList<Row> stamm = f.desk.rows("Stamm.dbf");
    QCOMPARE(stamm.size(), 1);
    QCOMPARE(stamm[0].value("NAME"), QStringLiteral("Brückner"));
    QCOMPARE(stamm[0].value("QUITTUNG"), QStringLiteral("ja"));
    QCOMPARE(stamm[0].value("FOTO"), QStringLiteral("anna.bmp"));
    QCOMPARE(stamm[0].value("AUSWEIS"), QString());

    QCOMPARE(f.desk.badge(3).value("KOMMT"), QStringLiteral("08:15"));
    QCOMPARE(f.desk.badge(3).value("TAG"), QStringLiteral("10.12.2026"));
    QCOMPARE(f.desk.badge(2).value("KOMMT"), QStringLiteral("25:00"));
    QCOMPARE(f.desk.global("LastSatz"), QStringLiteral("42"));
    QCOMPARE(f.desk.global("Locked"), QStringLiteral("0"));
    QCOMPARE(
        f.newLogTexts(logBefore),
        (QStringList{
            "Besucher KOMMT -> Ausweis 3 in Besuchertabelle gespeichert: Kommt 08:15\tVorgang: 42",
            "Besucher KOMMT -> Ausweis 3 in Ausweistabelle belegt: Kommt 08:15\tVorgang: 42"}));
    QCOMPARE(f.desk.countries(), (QStringList{"Deutschland", "Irland"}));
    QVERIFY(f.prints.isEmpty()); // nothing is printed without AutoQuittung
}

void TBesucherArrivalTest::openingFollowsTheSettings()
{
    VisitFormFixture f(5);
    f.desk.setText(s::BezeichnungInfo2, QStringLiteral("Schutzbrille"));
    f.desk.setText(s::lbZiel, QStringLiteral("Ansprechpartner"));
    f.desk.setText(s::lbBemerk, QStringLiteral("Notiz"));
    f.desk.setOption(s::Voranmeldung, false);
    for (const char *file : {"Ausweis Gast.ini", "Ausweis Standard.ini"})
        QFile(QDir(f.desk.db()).filePath(QString::fromLatin1(file))).open(QIODevice::WriteOnly);
    f.openArrival();
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Besucher"));
    QCOMPARE(f.text("lbModus"), QStringLiteral("Besuchsbeginn erfassen"));
    QCOMPARE(ground(f.w("pnModus")), QColor(0, 128, 0));
    QCOMPARE(ink(f.w("lbModus")), QColor(Qt::white));
    QCOMPARE(f.text("lbBesuchsbeginn"), QStringLiteral("Besuchsbeginn"));
    QCOMPARE(f.text("lbZiel"), QStringLiteral("Ansprechpartner"));
    QCOMPARE(f.text("lbBemerk"), QStringLiteral("Notiz"));
    QCOMPARE(f.text("lbRessourcen"), QStringLiteral("Ressourcen"));
    QCOMPARE(f.text("lbInfo2"), QStringLiteral("Schutzbrille"));
    QCOMPARE(ink(f.w("lbInfo2")), QColor(0, 0, 255));
    for (const char *name :
         {"lbInfo1", "lbInfo2", "chkInfo1", "chkInfo4", "btnStammAuswahl", "btnNeu", "btnLoeschen",
          "pnInfo", "lbDrucker", "btnVoranmeldung", "pnAWNManuell"})
        QVERIFY2(!f.shown(name), name);
    for (const char *name :
         {"btnStamm", "cbxAusweis", "edZiel", "chkUebernahme", "chkQuittungErbracht"})
        QVERIFY2(f.shown(name), name);
    QVERIFY(!f.enabled("chkQuittungErbracht"));
    QVERIFY(!f.w<QCheckBox>("chkUebernahme")->isChecked());
    QCOMPARE(f.items("cbxAusweisTyp"), (QStringList{"Ausweis Gast", "Ausweis Standard"}));
    QCOMPARE(f.text("cbxAusweisTyp"), QStringLiteral("Ausweis Gast"));
    QCOMPARE(f.text("pnFoto"), QStringLiteral("[kein Foto]"));
    const int shortHeight = f.form->height();
    f.click("btnAbbrechen");

    // With the information panel the form is taller by the panel.
    f.desk.setOption(s::ShowInfoStamm, true);
    f.openArrival();
    QVERIFY(f.shown("pnInfo"));
    QCOMPARE(f.w<QGroupBox>("pnInfo")->title(), QStringLiteral("Hinweise:"));
    QVERIFY(f.form->height() >= shortHeight + f.w("pnInfo")->height());
    QVERIFY(f.w("btnSpeichern")->mapTo(f.form.get(), QPoint()).y() >
            f.w("pnInfo")->geometry().bottom());
    f.click("btnAbbrechen");

    // A user without "Besucherstamm einsehen" is not offered the master data.
    f.desk.session->setUser(
        shell::LoginUser::fromSlot(0, {"pforte", "", shell::UserRights{shell::Right::Erfassen}}));
    f.openArrival();
    QVERIFY(!f.shown("btnStamm"));
}

void TBesucherArrivalTest::cancelledArrivalUsesNoNumber_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Abbrechen") << "button";
    QTest::newRow("close box") << "close";
}

void TBesucherArrivalTest::cancelledArrivalUsesNoNumber()
{
    QFETCH(QString, how);
    VisitFormFixture f(5);
    f.openArrival();
    QCOMPARE(f.text("lbVorgang"), QStringLiteral("1"));
    f.type("edName", QStringLiteral("Abbruch"));
    const auto before = f.desk.snapshot();
    if (how == u"button")
        f.click("btnAbbrechen");
    else
        f.form->close();
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.desk.global("Locked"), QStringLiteral("0"));
    auto after = f.desk.snapshot();
    after.remove(QStringLiteral("Global.ini"));
    auto unchanged = before;
    unchanged.remove(QStringLiteral("Global.ini"));
    QCOMPARE(after, unchanged);
    QVERIFY(f.desk.rows("Besucher.dbf").isEmpty());

    // The next arrivals get 1 and 2, and the form starts empty each time.
    for (const char *number : {"1", "2"}) {
        f.openArrival();
        QCOMPARE(f.text("edName"), QString());
        QCOMPARE(f.text("lbVorgang"), QString::fromLatin1(number));
        f.type("edName", QStringLiteral("Gast ") + QString::fromLatin1(number));
        f.click("btnSpeichern");
        QVERIFY(!f.form->isVisible());
    }
    const QList<Row> visits = f.desk.rows("Besucher.dbf");
    QCOMPARE(visits.size(), 2);
    QCOMPARE(visits[0].value("VORGANG"), QStringLiteral("1"));
    QCOMPARE(visits[1].value("VORGANG"), QStringLiteral("2"));
    QCOMPARE(visits[1].value("AUSWEIS"), QStringLiteral("2")); // badge 1 went to the first
    QCOMPARE(f.desk.global("LastSatz"), QStringLiteral("2"));
}

void TBesucherArrivalTest::noFreeBadge_data()
{
    QTest::addColumn<int>("badges");
    QTest::newRow("all badges out") << 3;
    QTest::newRow("empty pool") << 0;
}

void TBesucherArrivalTest::noFreeBadge()
{
    QFETCH(int, badges);
    VisitFormFixture f(badges);
    for (int n = 1; n <= badges; ++n)
        f.desk.occupy(n, "07:00", "10.12.2026");
    f.openArrival();
    const QString message = QStringLiteral("Es sind keine weiteren Nummern mehr frei.");
    QCOMPARE(f.messageTexts(), QStringList{message});
    QVERIFY(f.shown("pnHinweis"));
    QCOMPARE(f.text("pnHinweis"), message);
    QVERIFY(!f.shown("btnSpeichern"));
    f.type("edName", QStringLiteral("Gast"));
    QVERIFY(!f.shown("btnSpeichern")); // typing does not bring it back
    f.click("btnAbbrechen");
    QCOMPARE(f.desk.global("Locked"), QStringLiteral("0"));
    QVERIFY(f.desk.rows("Besucher.dbf").isEmpty());
}

void TBesucherArrivalTest::mandatoryFields_data()
{
    QTest::addColumn<QStringList>("mandatory"); // settings keys
    QTest::addColumn<QStringList>("typing");    // field=text, typed in this order
    QTest::addColumn<bool>("enabled");
    QTest::newRow("nothing typed") << QStringList{} << QStringList{} << false;
    QTest::newRow("none mandatory, any watched field")
        << QStringList{} << QStringList{"edKFZ=x"} << true;
    QTest::newRow("none mandatory, the remark is not watched")
        << QStringList{} << QStringList{"edBemerk=x"} << false;
    QTest::newRow("name mandatory, other field")
        << QStringList{"Name"} << QStringList{"edVorname=Anna"} << false;
    // Blanks would be stored as an empty name.
    QTest::newRow("name mandatory, a space does not fill it")
        << QStringList{"Name"} << QStringList{"edName= "} << false;
    QTest::newRow("name mandatory, blanks around a name fill it")
        << QStringList{"Name"} << QStringList{"edName= Meier "} << true;
    QTest::newRow("destination mandatory and empty")
        << QStringList{"Ziel"} << QStringList{"edName=Meier"} << false;
    QTest::newRow("destination typed freely")
        << QStringList{"Ziel"} << QStringList{"edName=Meier", "edZiel=Pforte 2"} << true;
    QTest::newRow("country and phone, one missing")
        << QStringList{"Land", "Telefon"} << QStringList{"cbxLand=Irland"} << false;
    QTest::newRow("country and phone")
        << QStringList{"Land", "Telefon"} << QStringList{"cbxLand=Irland", "edTel=1"} << true;
}

void TBesucherArrivalTest::mandatoryFields()
{
    QFETCH(QStringList, mandatory);
    QFETCH(QStringList, typing);
    QFETCH(bool, enabled);
    VisitFormFixture f(5);
    for (const QString &key : mandatory)
        IniFile(QDir(f.desk.startFolder()).filePath("settings.ini"))
            .writeBool("Options", key, true);
    f.openArrival();
    const QStringList marks = {"Name", "Vorname", "PANr", "Firma", "Strasse", "PLZ",
                               "Ort",  "Land",    "KFZ",  "Tel",   "Ziel"};
    for (const QString &mark : marks) {
        const QString key = mark == u"Tel" ? QStringLiteral("Telefon") : mark;
        const QByteArray name = ("lb" + mark + "Soll").toLatin1();
        QCOMPARE(f.shown(name.constData()), mandatory.contains(key));
    }
    for (const QString &t : typing) {
        const qsizetype eq = t.indexOf(u'=');
        f.type(t.left(eq).toLatin1().constData(), t.mid(eq + 1));
    }
    QCOMPARE(f.enabled("btnSpeichern"), enabled);
    QCOMPARE(f.enabled("btnAusweis"), enabled);
    QCOMPARE(f.enabled("cbxAusweisTyp"), enabled);
    if (!enabled)
        return;
    f.click("btnSpeichern");
    QCOMPARE(f.desk.rows("Besucher.dbf").size(), 1);
}

void TBesucherArrivalTest::autoStammAddsARecordEachTime()
{
    VisitFormFixture f(5);
    f.desk.setOption(s::AutoStamm, true);
    for (int i = 0; i < 2; ++i) {
        f.openArrival();
        QVERIFY(f.w<QCheckBox>("chkUebernahme")->isChecked());
        f.type("edName", QStringLiteral("Stammgast"));
        f.click("btnSpeichern");
    }
    const QList<Row> stamm = f.desk.rows("Stamm.dbf");
    QCOMPARE(stamm.size(), 2); // also for a visitor already on record
    QCOMPARE(stamm[1].value("NAME"), QStringLiteral("Stammgast"));

    // Unticked by the clerk: no record.
    f.openArrival();
    f.click("chkUebernahme");
    f.type("edName", QStringLiteral("Einmalig"));
    f.click("btnSpeichern");
    QCOMPARE(f.desk.rows("Stamm.dbf").size(), 2);
    QCOMPARE(f.desk.rows("Besucher.dbf").size(), 3);
}

void TBesucherArrivalTest::countryList_data()
{
    QTest::addColumn<QString>("country");
    QTest::addColumn<bool>("added");
    QTest::newRow("Polen matches POLEN") << "Polen" << false;
    QTest::newRow("österreich is not Österreich") << "österreich" << true;
    QTest::newRow("new country") << "Irland" << true;
    QTest::newRow("one space") << " " << false;
    QTest::newRow("two spaces") << "  " << false;
    QTest::newRow("empty") << "" << false;
}

void TBesucherArrivalTest::countryList()
{
    QFETCH(QString, country);
    QFETCH(bool, added);
    VisitFormFixture f(3);
    const QStringList list{"POLEN", "Österreich"};
    TextFile::writeLines(f.desk.dbFile("Laender.ini"), list);
    f.openArrival();
    QCOMPARE(f.items("cbxLand"), list);
    f.type("edName", QStringLiteral("Gast"));
    f.type("cbxLand", country);
    QCOMPARE(f.text("cbxLand"), country);
    f.click("btnSpeichern");
    QVERIFY(!f.form->isVisible());
    const QStringList expected = added ? list + QStringList{country} : list;
    QCOMPARE(f.desk.countries(), expected);
    f.openArrival();
    QCOMPARE(f.items("cbxLand"), expected); // the next opening offers it
}

void TBesucherArrivalTest::acrossMidnightKeepsTheOpening()
{
    VisitFormFixture f(3, QDateTime(QDate(2026, 12, 10), QTime(23, 58, 40)));
    f.openArrival();
    f.type("edName", QStringLiteral("Nachtschicht"));
    f.desk.clock.advance(5 * 60);
    f.click("btnSpeichern");
    const Row visit = f.desk.rows("Besucher.dbf").value(0);
    QCOMPARE(visit.value("KOMMT"), QStringLiteral("23:58"));
    QCOMPARE(visit.value("TAG"), QStringLiteral("10.12.2026"));
    QCOMPARE(f.desk.badge(1).value("TAG"), QStringLiteral("10.12.2026"));
}

void TBesucherArrivalTest::confirmationAndAutomaticSheet_data()
{
    QTest::addColumn<bool>("quittung");
    QTest::addColumn<bool>("autoQuittung");
    QTest::addColumn<QString>("printer"); // "prints", "cancelled", "fails"
    QTest::newRow("no confirmation") << false << false << "prints";
    QTest::newRow("confirmation at the destination") << true << false << "prints";
    QTest::newRow("confirmation printed at the save") << true << true << "prints";
    QTest::newRow("sheet printed without confirmation") << false << true << "prints";
    QTest::newRow("print dialog cancelled") << true << true << "cancelled";
    QTest::newRow("printer fails") << false << true << "fails";
}

void TBesucherArrivalTest::confirmationAndAutomaticSheet()
{
    QFETCH(bool, quittung);
    QFETCH(bool, autoQuittung);
    QFETCH(QString, printer);
    VisitFormFixture f(3);
    f.desk.setOption(s::Quittung, quittung);
    f.desk.setOption(s::AutoQuittung, autoQuittung);
    f.printResult = printer != u"cancelled";
    f.printFails = printer == u"fails";
    f.openArrival();
    QCOMPARE(f.shown("lbBestaetigungNotwendig"), quittung);
    QCOMPARE(f.shown("lbAusrufezeichen"), quittung);
    QCOMPARE(f.shown("lbQuittung"), quittung);
    if (quittung) {
        QCOMPARE(f.text("lbQuittung"),
                 autoQuittung ? QStringLiteral("Ausdruck automatisch beim Speichern")
                              : QStringLiteral("Ausstellung erfolgt beim Besuchsziel"));
        QCOMPARE(ink(f.w("lbQuittung")), QColor(Qt::black));
    }
    QCOMPARE(f.shown("btnBestaetigung"), quittung && !autoQuittung);

    f.type("edName", QStringLiteral("Gast"));
    f.type("edFirma", QStringLiteral("Firma"));
    f.click("btnSpeichern");
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.prints.size(), autoQuittung ? 1 : 0);
    if (autoQuittung) {
        const VisitPrintRequest &r = f.prints[0];
        QCOMPARE(r.kind, PrintKind::VisitorSheet);
        QVERIFY(r.automatic);
        QCOMPARE(r.visit.name, QStringLiteral("Gast"));
        QCOMPARE(r.visitNumber, QStringLiteral("1"));
        QCOMPARE(r.badge, QStringLiteral("1"));
        QCOMPARE(r.quittung, quittung);
    }
    QCOMPARE(f.messageTexts(),
             printer == u"fails" ? QStringList{"Drucker nicht bereit."} : QStringList{});
    // Whatever the printer did, the visit, its badge and the counter are stored.
    QCOMPARE(f.desk.rows("Besucher.dbf").value(0).value("QUITTUNG"),
             quittung ? QStringLiteral("ja") : QStringLiteral("nein"));
    QCOMPARE(f.desk.badge(1).value("KOMMT"), QStringLiteral("08:15"));
    QCOMPARE(f.desk.global("LastSatz"), QStringLiteral("1"));
    QCOMPARE(f.desk.global("Locked"), QStringLiteral("0"));
}

void TBesucherArrivalTest::printButtonsGetTheFormValues()
{
    VisitFormFixture f(5);
    f.desk.setOption(s::Quittung, true);
    f.desk.setText(s::BezeichnungInfo3, QStringLiteral("Helm"));
    QFile(QDir(f.desk.db()).filePath("Ausweis Gast.ini")).open(QIODevice::WriteOnly);
    writePicture(QDir(f.desk.startFolder()).filePath("breit.png"), 200, 100);
    f.create().setPhotoChooser(
        [](QWidget *, const QString &folder) { return QDir(folder).filePath("breit.png"); });
    QString statusWhilePrinting;
    bool statusShown = false;
    f.form->setPrintAction([&](const VisitPrintRequest &r) {
        f.prints << r;
        r.showStatus(QStringLiteral("Drucke Ausweis auf PDF"));
        statusShown = f.shown("lbDrucker");
        statusWhilePrinting = f.text("lbDrucker");
        r.showStatus(QString());
        return true;
    });
    f.openArrival();
    QVERIFY(!f.enabled("btnAusweis")); // nothing to print before the check allows saving
    f.type("edName", QStringLiteral("Meier"));
    f.type("edRessourcen", QStringLiteral("x")); // read-only: nothing typed
    QTest::keyClick(f.w("cbxAusweis"), Qt::Key_Down);
    f.click("btnFoto");
    f.click("btnAusweis");
    f.click("btnBestaetigung");
    QCOMPARE(f.prints.size(), 2);
    const VisitPrintRequest &badge = f.prints[0];
    QCOMPARE(badge.kind, PrintKind::Badge);
    QVERIFY(!badge.automatic);
    QCOMPARE(badge.visit.name, QStringLiteral("Meier"));
    QCOMPARE(badge.badge, QStringLiteral("2"));
    QCOMPARE(badge.visitNumber, QStringLiteral("1"));
    QCOMPARE(badge.kommt, QStringLiteral("08:15"));
    QCOMPARE(badge.tag, QStringLiteral("10.12.2026"));
    QCOMPARE(badge.formDate, QStringLiteral("10.12.2026"));
    QCOMPARE(badge.user, QStringLiteral("Systemanmeldung"));
    QVERIFY(badge.quittung);
    QCOMPARE(badge.infoCaptions[2], QStringLiteral("Helm"));
    QCOMPARE(badge.ressourcen, QString());
    QCOMPARE(badge.badgeLayout, QStringLiteral("Ausweis Gast"));
    QCOMPARE(badge.photo.size(), QSize(106, 53)); // as the form shows it
    QCOMPARE(f.prints[1].kind, PrintKind::VisitorSheet);
    QVERIFY(statusShown);
    QCOMPARE(statusWhilePrinting, QStringLiteral("Drucke Ausweis auf PDF"));
    QVERIFY(!f.shown("lbDrucker"));
    // Printing stores nothing and keeps the form open.
    QVERIFY(f.form->isVisible());
    QVERIFY(f.desk.rows("Besucher.dbf").isEmpty());
}

void TBesucherArrivalTest::preRegistrationAndInformationFields()
{
    VisitFormFixture f(5);
    f.desk.setOption(s::ShowInfoStamm, true);
    for (int i = 0; i < 4; ++i)
        f.desk.setText(s::BezeichnungInfo[i], QStringLiteral("Hinweis %1").arg(i + 1));
    f.desk.append("Voranmel.dbf",
                  {{"NR", "7"}, {"Name", "Vorab"}, {"Vorgang", ""}, {"Anwesend", "F"}});
    TBesucher::PreRegistration row;
    row.visit.name = QStringLiteral("Vorab");
    row.visit.firma = QStringLiteral("Lieferant AG");
    row.visit.ziel = QStringLiteral("Lager");
    row.visit.gueltigBis = QStringLiteral("11.12.2026");
    row.visit.info = {true, false, true, false};
    row.nr = QStringLiteral("7");
    row.ressourcen = QStringLiteral("Beamer");
    VisitData seen;
    f.create().setPreRegistrationPicker([&](const VisitData &current) {
        seen = current;
        return std::optional<TBesucher::PreRegistration>(row);
    });
    f.openArrival();
    f.type("edName", QStringLiteral("Vor"));
    f.click("btnVoranmeldung");
    QCOMPARE(seen.name, QStringLiteral("Vor")); // for the list's quick search
    QCOMPARE(f.text("edName"), QStringLiteral("Vorab"));
    QCOMPARE(f.text("edZiel"), QStringLiteral("Lager"));
    QCOMPARE(f.text("edRessourcen"), QStringLiteral("Beamer"));
    QCOMPARE(f.text("meBis"), QStringLiteral("11.12.2026"));
    QVERIFY(f.enabled("btnSpeichern"));
    // Shown: the labels holding "ja", blue; the boxes stay hidden in arrival mode.
    QVERIFY(f.shown("lbInfo1") && !f.shown("lbInfo2") && f.shown("lbInfo3") && !f.shown("lbInfo4"));
    QVERIFY(!f.shown("chkInfo1"));
    QCOMPARE(ink(f.w("lbInfo1")), QColor(0, 0, 255));
    // A click on a label toggles its box and its colour.
    f.click("lbInfo1");
    QVERIFY(!f.w<QCheckBox>("chkInfo1")->isChecked());
    QCOMPARE(ink(f.w("lbInfo1")), QColor(Qt::black));
    f.click("lbInfo1");
    QVERIFY(f.w<QCheckBox>("chkInfo1")->isChecked());
    QCOMPARE(ink(f.w("lbInfo1")), QColor(0, 0, 255));

    f.click("btnSpeichern");
    const Row visit = f.desk.rows("Besucher.dbf").value(0);
    QCOMPARE(visit.value("INFO1"), QStringLiteral("ja"));
    QCOMPARE(visit.value("INFO2"), QStringLiteral("nein"));
    QCOMPARE(visit.value("INFO3"), QStringLiteral("ja"));
    QCOMPARE(visit.value("ZIEL"), QStringLiteral("Lager"));
    const Row pre = f.desk.rows("Voranmel.dbf").value(0);
    QCOMPARE(pre.value("VORGANG"), QStringLiteral("1"));
    QCOMPARE(pre.value("ANWESEND"), QStringLiteral("T"));

    // The next opening forgets the pre-registration and its resources.
    f.openArrival();
    QCOMPARE(f.text("edRessourcen"), QString());
    f.type("edName", QStringLiteral("Ohne"));
    f.click("btnSpeichern");
    QCOMPARE(f.desk.rows("Voranmel.dbf").value(0).value("VORGANG"), QStringLiteral("1"));
}

void TBesucherArrivalTest::progressWhileThePoolIsRead()
{
    VisitFormFixture f(250);
    f.create();
    QStringList labels;
    int maximum = 0;
    QObject::connect(&f.bar, &QProgressBar::valueChanged, [&] {
        labels << f.progressLabel.text();
        maximum = f.bar.maximum();
    });
    f.openArrival();
    QCOMPARE(maximum, 250);
    QVERIFY(labels.contains(QStringLiteral(" 42%  Moment bitte ...")));
    QCOMPARE(labels.last(), QStringLiteral(" 100%  Moment bitte ..."));
    QVERIFY(f.bar.isHidden());
    QVERIFY(f.progressLabel.isHidden());
}

void TBesucherArrivalTest::badgeTakenMeanwhile()
{
    VisitFormFixture f(3);
    f.openArrival();
    f.type("edName", QStringLiteral("Zweiter"));
    f.desk.occupy(1, "08:14", "10.12.2026"); // another workstation hands out badge 1
    f.click("btnSpeichern");
    QCOMPARE(f.messageTexts(),
             QStringList{"Der Ausweis Nr. '1' wurde inzwischen an einem anderen Arbeitsplatz "
                         "ausgegeben. Bitte wählen Sie einen anderen Ausweis aus."});
    QVERIFY(f.form->isVisible());
    QVERIFY(f.desk.rows("Besucher.dbf").isEmpty());
    QCOMPARE(f.items("cbxAusweis"), (QStringList{"2", "3"}));
    QVERIFY(f.enabled("btnSpeichern"));
    f.click("btnSpeichern");
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.desk.rows("Besucher.dbf").value(0).value("AUSWEIS"), QStringLiteral("2"));
    QCOMPARE(f.desk.badge(1).value("KOMMT"), QStringLiteral("08:14"));
}

// Another workstation packs the visit table while the clerk saves: the form says
// "Moment bitte ..." and the save goes through once the pack is done, instead of failing.
void TBesucherArrivalTest::saveWaitsForAPack()
{
    VisitFormFixture f(3);
    f.openArrival();
    f.type("edName", QStringLiteral("Wartet"));
    auto *hint = f.form->findChild<QLabel *>(QStringLiteral("pnHinweis"));
    QVERIFY(hint);
    const test::PaintedTexts painted(hint);
    std::atomic<bool> holding{false};
    std::thread packer([&] {
        auto exclusive = data::DbfTable::open(f.desk.dbFile(QStringLiteral("Besucher.dbf")), data::DbfTable::Mode::Exclusive);
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    });
    while (!holding)
        std::this_thread::yield();
    f.click("btnSpeichern");
    packer.join();
    QVERIFY2(painted.texts.contains(QStringLiteral("Moment bitte ...")), qPrintable(painted.texts.join(u'|')));
    QVERIFY(f.messageTexts().isEmpty());
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.desk.rows("Besucher.dbf").value(0).value("NAME"), QStringLiteral("Wartet"));
}

void TBesucherArrivalTest::validityMustBeRealDatesInOrder_data()
{
    QTest::addColumn<QString>("von");
    QTest::addColumn<QString>("bis");
    QTest::addColumn<QString>("focus"); // empty: stored
    QTest::addColumn<QString>("message");
    QTest::newRow("no such day") << "31.02.2026" << "" << "meVon" << "'31.02.2026' bei \"Ausweis gültig von\" ist kein gültiges Datum";
    QTest::newRow("not a date") << "10.12.2026" << "morgen" << "meBis" << "'morgen' bei \"bis\" ist kein gültiges Datum";
    QTest::newRow("bis before von") << "10.12.2026" << "09.12.2026" << "meBis"
                                    << "nicht bis 09.12.2026 gültig sein, wenn er erst ab 10.12.2026 gilt";
    QTest::newRow("leap day") << "29.02.2028" << "29.02.2028" << "" << "";
    QTest::newRow("both empty") << "" << "" << "" << "";
}

void TBesucherArrivalTest::validityMustBeRealDatesInOrder()
{
    QFETCH(QString, von);
    QFETCH(QString, bis);
    QFETCH(QString, focus);
    QFETCH(QString, message);
    VisitFormFixture f(3);
    f.openArrival();
    f.type("edName", QStringLiteral("Datum"));
    f.w<QLineEdit>("meVon")->setText(von);
    f.w<QLineEdit>("meBis")->setText(bis);
    f.click("btnSpeichern");
    if (focus.isEmpty()) {
        QVERIFY(f.messageTexts().isEmpty());
        QCOMPARE(f.desk.rows("Besucher.dbf").value(0).value("GUELTIGVON"), von);
        return;
    }
    QCOMPARE(f.messageTexts().size(), 1);
    QVERIFY2(f.messageTexts().first().contains(message), qPrintable(f.messageTexts().first()));
    QVERIFY(f.form->isVisible());
    QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focus);
    QVERIFY(f.desk.rows("Besucher.dbf").isEmpty());
    QCOMPARE(f.desk.badge(1).value("KOMMT"), QStringLiteral("25:00"));
}

// "&Speichern" is disabled until the mandatory name is there: Alt+S must not type an "s".
void TBesucherArrivalTest::disabledButtonsMnemonicTypesNothing()
{
    VisitFormFixture f(3);
    IniFile(QDir(f.desk.startFolder()).filePath("settings.ini")).writeBool("Options", "Name", true);
    f.openArrival();
    QVERIFY(!f.enabled("btnSpeichern"));
    auto *name = f.w<QLineEdit>("edName");
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Vogel"));
    QTest::keyClick(name, Qt::Key_S, Qt::AltModifier);
    QCOMPARE(name->text(), QStringLiteral("Vogel"));
    QTest::keyClick(name, Qt::Key_S);
    QCOMPARE(name->text(), QStringLiteral("Vogels")); // plain letters still type
}

void TBesucherArrivalTest::destinationFromTheListOnly()
{
    VisitFormFixture f(3);
    f.desk.setOption(s::ZielBearbeiten, false);
    f.desk.setOption(s::Ziel, true);
    f.restartSession();
    for (const char *name : {"Werkstatt", "Einkauf"})
        f.desk.append("Ziele.dbf", {{"Name", name}});
    f.openArrival();
    QVERIFY(!f.w<QComboBox>("edZiel")->isEditable());
    QCOMPARE(f.items("edZiel"), (QStringList{"Einkauf", "Werkstatt"}));
    QCOMPARE(f.text("edZiel"), QString());
    f.type("edName", QStringLiteral("Gast"));
    QVERIFY(!f.enabled("btnSpeichern")); // the destination is still missing
    QTest::keyClick(f.w("edZiel"), Qt::Key_Down);
    QCOMPARE(f.text("edZiel"), QStringLiteral("Einkauf"));
    QVERIFY(f.enabled("btnSpeichern"));
    f.click("btnSpeichern");
    QCOMPARE(f.desk.rows("Besucher.dbf").value(0).value("ZIEL"), QStringLiteral("Einkauf"));
}

LOBRIX_TEST(TBesucherArrivalTest)
#include "TBesucherArrivalTest.moc"

// The visit form in departure mode, driven through its controls: the list of the badges
// that are out, loading a visit, the confirmation question and what a save stores.
#include "TestRegistry.h"
#include "VisitFormFixture.h"
#include <QCheckBox>
#include <QDir>
#include <QImage>

using namespace lobrix;
using namespace lobrix::registration;
using lobrix::test::DeskFixture;
using lobrix::test::Row;
using lobrix::test::VisitFormFixture;
namespace s = lobrix::shell::keys::settings;

namespace {

// A present visit holding an out badge, as an arrival leaves it: the columns given, on
// top of a visitor who arrived at 07:45 today.
void presentVisit(const DeskFixture &f, const Row &columns)
{
    Row visit{{"Land", "Irland"},    {"Ziel", "Werkstatt"},        {"Info2", "ja"},
              {"Quittung", "ja"},    {"Nutzer", "pfoertner"},      {"Kommt", "07:45"},
              {"Tag", "10.12.2026"}, {"GUELTIGVON", "10.12.2026"}, {"GUELTIGBIS", "11.12.2026"}};
    visit.insert(columns);
    f.append(QStringLiteral("Besucher.dbf"), visit);
    f.occupy(visit.value("Ausweis").toInt(), visit.value("Kommt"), visit.value("Tag"));
}

QColor ground(const QWidget *w)
{
    return w->palette().color(QPalette::Window);
}

QColor ink(const QWidget *w)
{
    return w->palette().color(QPalette::WindowText);
}

} // namespace

class TBesucherDepartureTest : public QObject {
    Q_OBJECT
private slots:
    void departureThroughTheWindow();
    void oneVisitorIsLoadedAtOnce();
    void noVisitorPresent();
    void confirmation_data();
    void confirmation();
    void duration_data();
    void duration();
    void badgeOutWithoutVisit();
    void longEntriesAreCut();
    void visitEndedElsewhere();
};

void TBesucherDepartureTest::departureThroughTheWindow()
{
    VisitFormFixture f(10, QDateTime(QDate(2026, 12, 10), QTime(17, 45, 10)));
    f.desk.setOption(s::Quittung, true);
    f.desk.append("Ziele.dbf", {{"Name", "Werkstatt"}});
    presentVisit(f.desk, {{"Vorgang", "7"},
                          {"Ausweis", "3"},
                          {"Firma", "Bau-Union KG"},
                          {"Name", "Brückner"},
                          {"Vorname", "Anna"},
                          {"Kommt", "07:45"}});
    presentVisit(f.desk, {{"Vorgang", "8"},
                          {"Ausweis", "5"},
                          {"Firma", "Lieferant AG"},
                          {"Name", "Meier"},
                          {"Vorname", "Jo"},
                          {"Kommt", "09:10"}});
    f.desk.append("Voranmel.dbf",
                  {{"NR", "4"}, {"Name", "Meier"}, {"Vorgang", "8"}, {"Anwesend", "T"}});
    f.openDeparture();

    QCOMPARE(f.text("lbModus"), QStringLiteral("Besuchsende erfassen"));
    QCOMPARE(ground(f.w("pnModus")), QColor(128, 0, 0));
    QCOMPARE(f.text("lbBesuchsbeginn"), QStringLiteral("anwesend seit"));
    QCOMPARE(f.text("lbGeht"), QStringLiteral("17:45"));
    QCOMPARE(f.text("lbAnwesend"), QStringLiteral("----"));
    QCOMPARE(f.text("lbKommt"), QString());
    QCOMPARE(f.items("cbxAusweis"),
             (QStringList{"3 | Bau-Union KG, Brückner, Anna", "5 | Lieferant AG, Meier, Jo"}));
    QCOMPARE(f.w<QComboBox>("cbxAusweis")->currentIndex(), -1);
    QVERIFY(f.shown("pnHinweis"));
    QCOMPARE(f.text("pnHinweis"),
             QStringLiteral("Wählen Sie die Ausweis-Nummer des Besuchers aus."));
    for (const char *name : {"btnSpeichern", "btnAusweis", "cbxAusweisTyp"})
        QVERIFY2(!f.enabled(name), name);
    for (const char *name : {"btnStamm", "btnVoranmeldung", "btnBestaetigung", "pnAWNManuell"})
        QVERIFY2(!f.shown(name), name);
    QVERIFY(f.enabled("chkQuittungErbracht"));
    QVERIFY(!f.enabled("chkUebernahme"));
    QCOMPARE(f.text("lbQuittung"), QStringLiteral("Ausstellung erfolgt beim Besuchsziel"));
    QCOMPARE(ink(f.w("lbQuittung")), QColor(128, 128, 128));
    QCOMPARE(f.desk.global("Locked"), QStringLiteral("1"));

    // Typing before a visitor is chosen does not make the save possible.
    f.type("edName", QStringLiteral("x"));
    QVERIFY(!f.enabled("btnSpeichern"));

    QTest::keyClick(f.w("cbxAusweis"), Qt::Key_Down);
    QTest::keyClick(f.w("cbxAusweis"), Qt::Key_Down); // the clerk picks Meier
    const QMap<QString, QString> loaded{{"edName", "Meier"},     {"edFirma", "Lieferant AG"},
                                        {"cbxLand", "Irland"},   {"edZiel", "Werkstatt"},
                                        {"lbVorgang", "8"},      {"lbKommt", "09:10"},
                                        {"lbTag", "10.12.2026"}, {"meVon", "10.12.2026"},
                                        {"meBis", "11.12.2026"}, {"lbAnwesend", "8:35"}};
    QCOMPARE(f.texts(loaded), loaded);
    QVERIFY(!f.shown("lbInfo1") && f.shown("lbInfo2"));
    QVERIFY(!f.shown("pnHinweis"));
    QVERIFY(f.enabled("btnSpeichern") && f.enabled("btnAusweis") && f.enabled("cbxAusweisTyp"));

    // A correction and the host's confirmation.
    QLineEdit *firma = f.w<QLineEdit>("edFirma");
    firma->selectAll();
    f.type("edFirma", QStringLiteral("Lieferant GmbH"));
    f.type("cbxLand", QStringLiteral("x"));
    f.click("chkQuittungErbracht");
    f.desk.clock.advance(600); // the clock moves on; the departure time does not
    const qsizetype logBefore = f.desk.logLines().size();
    f.click("btnSpeichern");
    QVERIFY(!f.form->isVisible());
    QVERIFY(f.questions.isEmpty());

    const QList<Row> visits = f.desk.rows("Besucher.dbf");
    QCOMPARE(visits[0].value("GEHT"), QString()); // Brückner is still here
    const Row stored{{"GEHT", "17:45"},           {"ANWESEND", "8:35"}, {"QUITTIERT", "ja"},
                     {"FIRMA", "Lieferant GmbH"}, {"LAND", "Irlandx"},  {"INFO2", "ja"},
                     {"NUTZER", "pfoertner"},     {"KOMMT", "09:10"},   {"VORGANG", "8"}};
    QCOMPARE(VisitFormFixture::columns(visits[1], stored), stored);
    QCOMPARE(f.desk.badge(5).value("KOMMT"), QStringLiteral("25:00"));
    QCOMPARE(f.desk.badge(5).value("TAG"), QString());
    QCOMPARE(f.desk.badge(3).value("KOMMT"), QStringLiteral("07:45"));
    QCOMPARE(f.desk.rows("Voranmel.dbf").value(0).value("ANWESEND"), QStringLiteral("F"));
    QCOMPARE(
        f.newLogTexts(logBefore),
        (QStringList{
            "Besucher GEHT -> Ausweis 5 in Besuchertabelle gespeichert: Kommt 09:10\tVorgang: 8",
            "Besucher GEHT -> Ausweis 5 in Ausweistabelle frei gegeben: Kommt 25:00\tVorgang: 8"}));
    QCOMPARE(f.desk.global("Locked"), QStringLiteral("0"));
    QVERIFY(f.desk.countries().contains(QStringLiteral("Irlandx")));
}

void TBesucherDepartureTest::oneVisitorIsLoadedAtOnce()
{
    VisitFormFixture f(5, QDateTime(QDate(2026, 12, 10), QTime(8, 15)));
    presentVisit(f.desk, {{"Vorgang", "12"},
                          {"Ausweis", "4"},
                          {"Firma", "Bau-Union KG"},
                          {"Name", "O'Brien"},
                          {"Vorname", "Anna"},
                          {"Kommt", "06:30"}});
    QImage(80, 40, QImage::Format_RGB32).save(QDir(f.desk.startFolder()).filePath("obrien.bmp"));
    f.desk.append("Fotos.dbf", {{"Nummer", "12"}, {"Pfad", "obrien.bmp"}, {"TYP", "3"}});
    f.openDeparture();
    QCOMPARE(f.text("cbxAusweis"), QStringLiteral("4 | Bau-Union KG, O'Brien, Anna"));
    QCOMPARE(f.text("edName"), QStringLiteral("O'Brien"));
    QCOMPARE(f.text("lbAnwesend"), QStringLiteral("1:45"));
    QVERIFY(!f.shown("pnHinweis"));
    QVERIFY(f.enabled("btnSpeichern"));
    QVERIFY(f.shown("imgFoto"));
    QCOMPARE(f.text("lbBildpfad"), QStringLiteral("obrien.bmp"));
    f.click("btnSpeichern");
    QCOMPARE(f.desk.rows("Besucher.dbf").value(0).value("QUITTIERT"), QStringLiteral("nein"));
    QCOMPARE(f.desk.rows("Fotos.dbf").size(), 1); // no second photo row
}

void TBesucherDepartureTest::noVisitorPresent()
{
    VisitFormFixture f(5);
    f.desk.append("Besucher.dbf", {{"Vorgang", "1"}, {"Ausweis", "1"}, {"Geht", "08:00"}});
    f.openDeparture();
    QVERIFY(f.items("cbxAusweis").isEmpty());
    QCOMPARE(f.text("pnHinweis"), QStringLiteral("Es sind keine Besucher mehr anwesend."));
    QVERIFY(!f.shown("btnSpeichern"));
    f.click("btnAbbrechen");
    QCOMPARE(f.desk.global("Locked"), QStringLiteral("0"));
}

void TBesucherDepartureTest::confirmation_data()
{
    QTest::addColumn<bool>("quittung");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("stored"); // Quittiert; empty: nothing stored
    QTest::newRow("confirmed") << true << true << false << false << "ja";
    QTest::newRow("not confirmed, Nein") << true << false << false << true << "";
    QTest::newRow("not confirmed, Ja") << true << false << true << true << "nein";
    QTest::newRow("no confirmation needed") << false << false << false << false << "nein";
}

void TBesucherDepartureTest::confirmation()
{
    QFETCH(bool, quittung);
    QFETCH(bool, tick);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(QString, stored);
    VisitFormFixture f(5);
    f.desk.setOption(s::Quittung, quittung);
    presentVisit(f.desk, {{"Vorgang", "3"},
                          {"Ausweis", "2"},
                          {"Firma", "Firma"},
                          {"Name", "Gast"},
                          {"Vorname", "G"}});
    f.answer = answer;
    f.openDeparture();
    QCOMPARE(f.enabled("chkQuittungErbracht"), quittung);
    QCOMPARE(f.shown("lbBestaetigungNotwendig"), quittung);
    if (tick)
        f.click("chkQuittungErbracht");
    const auto before = f.desk.snapshot();
    f.click("btnSpeichern");
    QCOMPARE(f.questions.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(f.questions[0].caption, QStringLiteral("Achtung"));
        QCOMPARE(f.questions[0].icon, QMessageBox::Warning);
        QCOMPARE(f.questions[0].text,
                 QStringLiteral(
                     "Es wurde keine Bestätigung des Besuches eingetragen, obwohl eine "
                     "Besuchsbestätigung angefordert wurde.\nWollen Sie die Eingaben trotzdem "
                     "speichern ?"));
    }
    if (stored.isEmpty()) {
        // "Nein": nothing written, the form stays open and the save can be repeated.
        QCOMPARE(f.desk.snapshot(), before);
        QVERIFY(f.form->isVisible());
        QVERIFY(f.enabled("btnSpeichern"));
        f.click("chkQuittungErbracht");
        f.click("btnSpeichern");
        QCOMPARE(f.desk.rows("Besucher.dbf").value(0).value("QUITTIERT"), QStringLiteral("ja"));
        return;
    }
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.desk.rows("Besucher.dbf").value(0).value("QUITTIERT"), stored);
}

void TBesucherDepartureTest::duration_data()
{
    QTest::addColumn<QString>("kommt");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QDateTime>("opened");
    QTest::addColumn<QString>("anwesend");
    QTest::newRow("two nights") << "22:30"
                                << "08.12.2026" << QDateTime(QDate(2026, 12, 10), QTime(6, 15))
                                << "31:45";
    QTest::newRow("arrival stored after the departure")
        << "10:00"
        << "11.12.2026" << QDateTime(QDate(2026, 12, 10), QTime(8, 15)) << "-25:45";
    QTest::newRow("same minute") << "08:15"
                                 << "10.12.2026" << QDateTime(QDate(2026, 12, 10), QTime(8, 15, 59))
                                 << "0:00";
}

void TBesucherDepartureTest::duration()
{
    QFETCH(QString, kommt);
    QFETCH(QString, tag);
    QFETCH(QDateTime, opened);
    QFETCH(QString, anwesend);
    VisitFormFixture f(5, opened);
    presentVisit(f.desk, {{"Vorgang", "9"},
                          {"Ausweis", "1"},
                          {"Firma", "Firma"},
                          {"Name", "Gast"},
                          {"Vorname", "G"},
                          {"Kommt", kommt},
                          {"Tag", tag}});
    f.openDeparture();
    QCOMPARE(f.text("lbAnwesend"), anwesend);
    // Left open across midnight, the form keeps the time of its opening.
    f.desk.clock.advance(24 * 3600);
    f.click("btnSpeichern");
    const Row visit = f.desk.rows("Besucher.dbf").value(0);
    QCOMPARE(visit.value("ANWESEND"), anwesend);
    QCOMPARE(visit.value("GEHT"), opened.time().toString(QStringLiteral("HH:mm")));
}

void TBesucherDepartureTest::badgeOutWithoutVisit()
{
    VisitFormFixture f(5);
    presentVisit(f.desk, {{"Vorgang", "3"},
                          {"Ausweis", "2"},
                          {"Firma", "Firma"},
                          {"Name", "Gast"},
                          {"Vorname", "G"}});
    f.desk.occupy(4, "06:00", "10.12.2026"); // out, but no present visit holds it
    f.openDeparture();
    QCOMPARE(f.items("cbxAusweis"), (QStringList{"2 | Firma, Gast, G", "4 | "}));
    QTest::keyClick(f.w("cbxAusweis"), Qt::Key_Down);
    QTest::keyClick(f.w("cbxAusweis"), Qt::Key_Down);
    QCOMPARE(f.text("edName"), QString());
    QVERIFY(f.shown("pnHinweis"));
    QVERIFY(f.text("pnHinweis").startsWith(QStringLiteral("Der Ausweis Nr. '4'")));
    const QList<Row> visitsBefore = f.desk.rows("Besucher.dbf");
    f.click("btnSpeichern");
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.desk.badge(4).value("KOMMT"), QStringLiteral("25:00"));
    QCOMPARE(f.desk.rows("Besucher.dbf"), visitsBefore); // no visit changed or created
}

void TBesucherDepartureTest::longEntriesAreCut()
{
    VisitFormFixture f(5);
    presentVisit(f.desk, {{"Vorgang", "3"},
                          {"Ausweis", "2"},
                          {"Firma", QStringLiteral("Internationale Schwermaschinenbau")},
                          {"Name", QStringLiteral("Müller-Lüdenscheidt")},
                          {"Vorname", QStringLiteral("Maximiliane")}});
    presentVisit(
        f.desk,
        {{"Vorgang", "4"}, {"Ausweis", "3"}, {"Firma", "AB"}, {"Name", "Kurz"}, {"Vorname", "K"}});
    f.openDeparture();
    auto *box = f.w<QComboBox>("cbxAusweis");
    const QString cut = box->itemText(0);
    QVERIFY(cut.startsWith(QStringLiteral("2 | Internationale")));
    QVERIFY(cut.endsWith(QStringLiteral("...")));
    QVERIFY(box->fontMetrics().horizontalAdvance(cut.chopped(3)) <= box->width() - 25);
    QCOMPARE(box->itemText(1), QStringLiteral("3 | AB, Kurz, K"));
    // The cut entry still loads its visitor.
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(f.text("edName"), QStringLiteral("Müller-Lüdenscheidt"));
}

void TBesucherDepartureTest::visitEndedElsewhere()
{
    VisitFormFixture f(5);
    f.desk.setOption(s::ZielBearbeiten, false);
    f.restartSession();
    f.desk.append("Ziele.dbf", {{"Name", "Werkstatt"}});
    presentVisit(f.desk, {{"Vorgang", "3"}, {"Ausweis", "2"}, {"Name", "Gast"}});
    f.openDeparture();
    QCOMPARE(f.text("edZiel"), QStringLiteral("Werkstatt")); // the list entry is selected
    f.desk.update("Besucher.dbf", 0, {{"Geht", "08:10"}});   // another workstation ends it
    f.click("btnSpeichern");
    QCOMPARE(
        f.messageTexts(),
        QStringList{"Der Besuch Nr. '3' wurde inzwischen an einem anderen Arbeitsplatz beendet."});
    QVERIFY(f.form->isVisible());
    QVERIFY(!f.enabled("btnSpeichern"));
    QCOMPARE(f.desk.rows("Besucher.dbf").value(0).value("GEHT"), QStringLiteral("08:10"));
    QCOMPARE(f.desk.badge(2).value("KOMMT"), QStringLiteral("07:45"));
}

LOBRIX_TEST(TBesucherDepartureTest)
#include "TBesucherDepartureTest.moc"

// The visit form's own controls: the manual badge entry, Enter as Tab, the calendar
// buttons and the photo.
#include "TestRegistry.h"
#include "VisitFormFixture.h"
#include "registration/ui/TKalender.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTimer>

using namespace lobrix;
using namespace lobrix::registration;
using lobrix::test::Row;
using lobrix::test::VisitFormFixture;
namespace s = lobrix::shell::keys::settings;

namespace {

const QColor LightYellow(255, 255, 128);

QColor base(const QWidget *w)
{
    return w->palette().color(QPalette::Base);
}

QColor text(const QWidget *w)
{
    return w->palette().color(QPalette::Text);
}

// A form with manual badge entry: badge 12 is out; master records carry the personal
// numbers 5 (with a photo) and 12.
void prepareManualEntry(VisitFormFixture &f)
{
    f.desk.setOption(s::AWNManuell, true);
    f.desk.setOption(s::AutoStamm, true);
    f.restartSession();
    f.desk.occupy(12, "07:00", "10.12.2026");
    QImage(30, 40, QImage::Format_RGB32).save(QDir(f.desk.startFolder()).filePath("sina.bmp"));
    f.desk.append("Stamm.dbf", {{"Ausweis", "5"},
                                {"Name", "Stammgast"},
                                {"Vorname", "Sina"},
                                {"Firma", "Stamm AG"},
                                {"Land", "Irland"},
                                {"GUELTIGBIS", "31.12.2026"},
                                {"Info1", "ja"},
                                {"FOTO", "sina.bmp"}});
    f.desk.append("Stamm.dbf", {{"Ausweis", "12"}, {"Name", "Schon da"}});
    f.openArrival();
}

// The clerk clicks into the entry (which selects its digits) and types over them.
void typeBadge(const VisitFormFixture &f, const QString &digits)
{
    auto *field = f.w<QLineEdit>("meAWN");
    QTest::mouseClick(field, Qt::LeftButton);
    QCoreApplication::processEvents();
    if (digits.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, digits);
}

QLabel *dayCell(const TKalender &kal, int day)
{
    for (int i = 0; i < 42; ++i) {
        auto *cell = kal.findChild<QLabel *>(QStringLiteral("lbTag%1").arg(i));
        if (cell && !cell->isHidden() && cell->text() == QString::number(day))
            return cell;
    }
    return nullptr;
}

} // namespace

class TBesucherFormTest : public QObject {
    Q_OBJECT
private slots:
    void manualBadgeEntry_data();
    void manualBadgeEntry();
    void manualEntryNeedsANumberToSave();
    void personalNumberArrivalAddsNoMasterRecord();
    void enterMovesLikeTab();
    void calendarButtons_data();
    void calendarButtons();
    void photo_data();
    void photo();
};

void TBesucherFormTest::manualBadgeEntry_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("leave"); // "enter" or "tab"
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("accepted"); // yellow, focus to the name; otherwise red, focus kept
    QTest::addColumn<QString>("badge"); // the drop-down entry selected afterwards
    QTest::addColumn<QString>("name");
    const QString invalid =
        QStringLiteral("Ausweisnummer ungültig. Bitte geben Sie eine neue Ausweisnummer ein.");
    QTest::newRow("0000") << "0000"
                          << "enter" << invalid << false << "1"
                          << "";
    QTest::newRow("no digits") << ""
                               << "enter" << invalid << false << "1"
                               << "";
    QTest::newRow("0000, leaving by Tab") << "0000"
                                          << "tab" << invalid << false << "1"
                                          << "";
    QTest::newRow("0012 while 12 is out")
        << "0012"
        << "enter"
        << "Ausweis-Nr. '12' ist ungültig oder ist bereits anwesend." << false << "1"
        << "Schon da";
    QTest::newRow("a number the pool does not hold")
        << "0099"
        << "enter"
        << "Ausweis-Nr. '99' ist ungültig oder ist bereits anwesend." << false << "1"
        << "";
    QTest::newRow("free badge without master record") << "0007"
                                                      << "enter"
                                                      << "" << false << "7"
                                                      << "";
    QTest::newRow("personal number") << "0005"
                                     << "enter"
                                     << "" << true << "5"
                                     << "Stammgast";
    QTest::newRow("personal number, leaving by Tab") << "5"
                                                     << "tab"
                                                     << "" << true << "5"
                                                     << "Stammgast";
}

void TBesucherFormTest::manualBadgeEntry()
{
    QFETCH(QString, digits);
    QFETCH(QString, leave);
    QFETCH(QString, message);
    QFETCH(bool, accepted);
    QFETCH(QString, badge);
    QFETCH(QString, name);
    VisitFormFixture f(20);
    prepareManualEntry(f);
    auto *field = f.w<QLineEdit>("meAWN");
    f.type("edFirma", QStringLiteral("vorher")); // typed before the number: the number decides
    field->setFocus();
    typeBadge(f, digits);
    if (leave == u"enter")
        f.pressEnter("meAWN");
    else
        QTest::keyClick(field, Qt::Key_Tab);
    QCoreApplication::processEvents();

    QCOMPARE(f.messageTexts(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(base(field), accepted ? LightYellow : QColor(Qt::red));
    QCOMPARE(text(field), accepted ? QColor(Qt::black) : QColor(Qt::white));
    QCOMPARE(f.focused(), accepted ? QStringLiteral("edName") : QStringLiteral("meAWN"));
    QCOMPARE(f.text("cbxAusweis"), badge);
    QCOMPARE(f.text("edName"), name);
    if (message ==
        QStringLiteral("Ausweisnummer ungültig. Bitte geben Sie eine neue Ausweisnummer ein."))
        QCOMPARE(f.text("edFirma"), QStringLiteral("vorher")); // an invalid entry changes nothing
    else
        QVERIFY(f.text("edFirma") != QStringLiteral("vorher"));
    if (message.startsWith(QStringLiteral("Ausweis-Nr.")))
        QVERIFY(!f.enabled("btnSpeichern"));
    if (accepted) {
        // Filled as by the master-data selection, without the information fields.
        QCOMPARE(f.text("edVorname"), QStringLiteral("Sina"));
        QCOMPARE(f.text("cbxLand"), QStringLiteral("Irland"));
        QCOMPARE(f.text("meBis"), QStringLiteral("31.12.2026"));
        QCOMPARE(f.text("meVon"), QString());
        QVERIFY(!f.shown("lbInfo1"));
        QVERIFY(f.shown("imgFoto"));
        QCOMPARE(f.text("lbBildpfad"), QString()); // shown, but not the visit's own photo
        QVERIFY(!f.w<QCheckBox>("chkUebernahme")->isChecked());
        QVERIFY(!f.enabled("chkUebernahme"));
        QVERIFY(f.enabled("btnSpeichern"));
    }
}

void TBesucherFormTest::manualEntryNeedsANumberToSave()
{
    VisitFormFixture f(20);
    prepareManualEntry(f);
    QVERIFY(f.shown("pnAWNManuell"));
    QVERIFY(!f.shown("cbxAusweis"));
    QCOMPARE(f.text("meAWN"), QStringLiteral("0000"));
    QCOMPARE(f.focused(), QStringLiteral("meAWN"));
    // Clicking into the entry selects its four digits.
    QTest::mouseClick(f.w("meAWN"), Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(f.w<QLineEdit>("meAWN")->selectedText(), QStringLiteral("0000"));

    // Leaving for "&Abbrechen" needs no number.
    QTest::mouseClick(f.w("btnAbbrechen"), Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(f.messages.isEmpty());

    // Typing a name enables the save, but the badge was never given: nothing is stored
    // under a number the clerk did not hand out.
    f.openArrival();
    f.type("edName", QStringLiteral("Ohne Ausweis"));
    QVERIFY(f.enabled("btnSpeichern"));
    f.messages.clear();
    f.click("btnSpeichern");
    QCoreApplication::processEvents();
    QVERIFY(f.form->isVisible());
    QVERIFY(f.messageTexts().contains(
        QStringLiteral("Ausweisnummer ungültig. Bitte geben Sie eine neue Ausweisnummer ein.")));
    QVERIFY(f.desk.rows("Besucher.dbf").isEmpty());
    QCOMPARE(f.focused(), QStringLiteral("meAWN"));
}

void TBesucherFormTest::personalNumberArrivalAddsNoMasterRecord()
{
    VisitFormFixture f(20);
    prepareManualEntry(f);
    typeBadge(f, QStringLiteral("0005"));
    f.pressEnter("meAWN");
    f.type("edZiel", QStringLiteral("Labor"));
    f.click("btnSpeichern");
    QVERIFY(!f.form->isVisible());
    const Row visit = f.desk.rows("Besucher.dbf").value(0);
    QCOMPARE(visit.value("AUSWEIS"), QStringLiteral("5"));
    QCOMPARE(visit.value("NAME"), QStringLiteral("Stammgast"));
    QCOMPARE(visit.value("INFO1"), QStringLiteral("nein"));
    QCOMPARE(f.desk.rows("Stamm.dbf").size(), 2); // AutoStamm adds no duplicate
    QVERIFY(f.desk.rows("Fotos.dbf").isEmpty());  // the master record's photo is not the visit's
    QCOMPARE(f.desk.badge(5).value("KOMMT"), QStringLiteral("08:15"));
}

void TBesucherFormTest::enterMovesLikeTab()
{
    VisitFormFixture f(5);
    f.openArrival();
    f.type("edName", QStringLiteral("Meier"));
    const QStringList order = {"edName",       "edVorname",       "edFirma",       "edStrasse",
                               "edPLZ",        "edOrt",           "edTel",         "edPANr",
                               "edKFZ",        "cbxLand",         "edBemerk",      "meVon",
                               "meBis",        "btnKalender1",    "btnKalender2",  "btnAusweis",
                               "btnStamm",     "btnVoranmeldung", "chkUebernahme", "cbxAusweisTyp",
                               "btnFoto",      "edRessourcen",    "edZiel",        "btnSpeichern",
                               "btnAbbrechen", "cbxAusweis",      "edName"};
    QCOMPARE(f.focused(), order.first());
    QStringList visited{f.focused()};
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        visited << f.focused();
    }
    QCOMPARE(visited, order);
    // Enter changed no field, pressed no button and kept the form open.
    QCOMPARE(f.text("edName"), QStringLiteral("Meier"));
    QVERIFY(f.form->isVisible());
    QVERIFY(f.desk.rows("Besucher.dbf").isEmpty());
    QVERIFY(f.prints.isEmpty());
    // The keypad's Enter does the same.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(f.focused(), QStringLiteral("edVorname"));
}

void TBesucherFormTest::calendarButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("pick");
    QTest::addColumn<QString>("von");
    QTest::addColumn<QString>("bis");
    QTest::newRow("valid from, picked") << "btnKalender1" << true << "24.12.2026"
                                        << "";
    QTest::newRow("valid to, picked") << "btnKalender2" << true << "10.12.2026"
                                      << "24.12.2026";
    QTest::newRow("valid to, cancelled") << "btnKalender2" << false << "10.12.2026"
                                         << "";
}

void TBesucherFormTest::calendarButtons()
{
    QFETCH(QString, button);
    QFETCH(bool, pick);
    QFETCH(QString, von);
    QFETCH(QString, bis);
    VisitFormFixture f(5);
    TKalender kal(f.desk.clock);
    f.create().setCalendar(&kal);
    f.openArrival();
    QCOMPARE(f.w(button.toLatin1().constData())->toolTip(),
             QStringLiteral("Datum aus Kalender auswählen"));
    bool opened = false;
    QTimer::singleShot(0, &kal, [&] {
        opened = kal.isVisible();
        if (pick) {
            QLabel *cell = dayCell(kal, 24);
            QVERIFY(cell);
            QTest::mouseClick(cell, Qt::LeftButton);
            QTest::mouseDClick(cell, Qt::LeftButton);
        }
        if (kal.isVisible())
            kal.reject();
    });
    f.click(button.toLatin1().constData());
    QVERIFY(opened);
    QCOMPARE(f.text("meVon"), von);
    QCOMPARE(f.text("meBis"), bis);
    f.type("edName", QStringLiteral("Gast"));
    f.click("btnSpeichern");
    const Row visit = f.desk.rows("Besucher.dbf").value(0);
    QCOMPARE(visit.value("GUELTIGVON"), von);
    QCOMPARE(visit.value("GUELTIGBIS"), bis);
}

void TBesucherFormTest::photo_data()
{
    QTest::addColumn<QString>("chosen"); // relative to the images folder
    QTest::addColumn<QSize>("size");     // of the picture written there; empty: not a picture
    QTest::addColumn<QRect>("shownAt");  // empty: no photo shown
    QTest::addColumn<QString>("stored"); // Pfad of the photo row; empty: no row
    QTest::newRow("upright bitmap")
        << "hoch.bmp" << QSize(100, 200) << QRect(28, 2, 53, 106) << "hoch.bmp";
    QTest::newRow("wide png") << "breit.png" << QSize(200, 100) << QRect(2, 28, 106, 53)
                              << "breit.png";
    QTest::newRow("square jpg") << "quadrat.jpg" << QSize(50, 50) << QRect(2, 2, 106, 106)
                                << "quadrat.jpg";
    QTest::newRow("from another folder")
        << "Archiv/alt.bmp" << QSize(120, 90) << QRect(2, 15, 106, 79) << "alt.bmp";
    QTest::newRow("not a picture") << "kaputt.bmp" << QSize() << QRect() << "";
}

void TBesucherFormTest::photo()
{
    QFETCH(QString, chosen);
    QFETCH(QSize, size);
    QFETCH(QRect, shownAt);
    QFETCH(QString, stored);
    VisitFormFixture f(5);
    const QDir images(f.desk.startFolder());
    const QString path = images.filePath(chosen);
    QDir().mkpath(QFileInfo(path).path());
    if (size.isValid()) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QVERIFY(picture.save(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kein Bild");
    }
    QString answer = path;
    f.create().setPhotoChooser([&](QWidget *, const QString &) { return answer; });
    f.openArrival();
    QCOMPARE(f.w("btnFoto")->toolTip(), QStringLiteral("Foto auswählen ..."));
    f.click("btnFoto");
    QCOMPARE(f.shown("imgFoto"), shownAt.isValid());
    if (shownAt.isValid())
        QCOMPARE(f.w("imgFoto")->geometry(), shownAt);
    else
        QCOMPARE(f.text("pnFoto"), QStringLiteral("[kein Foto]"));
    QCOMPARE(f.text("lbBildpfad"), stored);

    // A cancelled choice keeps what is there.
    answer.clear();
    f.click("btnFoto");
    QCOMPARE(f.shown("imgFoto"), shownAt.isValid());
    QCOMPARE(f.text("lbBildpfad"), stored);

    f.type("edName", QStringLiteral("Gast"));
    f.click("btnSpeichern");
    const QList<Row> photos = f.desk.rows("Fotos.dbf");
    if (stored.isEmpty()) {
        QVERIFY(photos.isEmpty());
    } else {
        QCOMPARE(photos, (QList<Row>{{{"NUMMER", "1"}, {"PFAD", stored}, {"TYP", "3"}}}));
    }
}

LOBRIX_TEST(TBesucherFormTest)
#include "TBesucherFormTest.moc"

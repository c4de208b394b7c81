// Master data through the real windows: the picker, taking a record over at arrival, and
// the visit form's master-data mode (select, save, new, delete, personal badge numbers).
#include "TestRegistry.h"
#include "VisitFormFixture.h"

#include "registration/MasterDataService.h"
#include "registration/ui/TStammBrowse.h"
#include "shell/SettingsKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTimer>

using namespace lobrix;
using namespace lobrix::registration;
using namespace lobrix::test;

namespace {

Row stamm(const QString &name, const QString &vorname, const QString &firma = QStringLiteral("Acme"))
{
    return {{QStringLiteral("Name"), name},
            {QStringLiteral("Vorname"), vorname},
            {QStringLiteral("Firma"), firma},
            {QStringLiteral("Land"), QStringLiteral("Deutschland")}};
}

QStringList stammNames(const DeskFixture &desk)
{
    QStringList out;
    for (const Row &row : desk.rows(QStringLiteral("Stamm.dbf")))
        out << row.value(QStringLiteral("NAME"));
    return out;
}

QString worker()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_worker"));
}

} // namespace

class TStammBrowseTest : public QObject {
    Q_OBJECT

    // The visit form with the real picker; `inPicker` runs inside the picker's modal loop.
    struct Desk {
        VisitFormFixture f;
        std::unique_ptr<TStammBrowse> picker;
        std::function<void(TStammBrowse &)> inPicker;
        explicit Desk(bool manualBadge = false)
        {
            if (manualBadge) {
                // Read once at program start, so the session starts anew.
                f.desk.setOption(shell::keys::settings::AWNManuell, true);
                f.restartSession();
            }
            f.create();
            picker = std::make_unique<TStammBrowse>(f.desk.db());
            f.form->setMasterPicker([this](const VisitData &current, const QString &badge) {
                QTimer::singleShot(0, picker.get(), [this] {
                    if (inPicker)
                        inPicker(*picker);
                    else
                        picker->btnSpeichernClick();
                });
                return picker->pick(current, badge);
            });
        }
        template <typename W = QWidget> W *p(const char *name) const
        {
            return picker->findChild<W *>(QString::fromLatin1(name));
        }
        QString currentName() const
        {
            auto *grid = p<QTableView>("grdStamm");
            return grid->model()->index(grid->currentIndex().row(), grid->model()->columnCount() > 1 ? 1 : 0)
                .data()
                .toString();
        }
        void openMasterData()
        {
            f.form->prepareMasterData();
            f.showForm();
        }
        // Picks the first record whose name begins with `name`.
        void pick(const QString &name)
        {
            inPicker = [name](TStammBrowse &b) {
                b.findChild<QComboBox *>(QStringLiteral("cbxSortierung"))->setCurrentText(QStringLiteral("Name"));
                b.findChild<QLineEdit *>(QStringLiteral("edSuche"))->setText(name);
                b.btnSpeichernClick();
            };
            f.click(f.form->mode() == VisitMode::MasterData ? "btnStammAuswahl" : "btnStamm");
        }
    };

private slots:
    void pickerSearchesAndSorts()
    {
        Desk d;
        for (const auto &[n, v] : std::initializer_list<std::pair<const char *, const char *>>{
                 {"Zander", "Anna"}, {"MEIER", "Bert"}, {"meister", "Carl"}, {"Adler", "Dora"}})
            d.f.desk.append(QStringLiteral("Stamm.dbf"), stamm(QString::fromLatin1(n), QString::fromLatin1(v)));
        d.picker->show();
        QCOMPARE(d.picker->windowTitle(), QStringLiteral("Besucherstamm"));
        auto *grid = d.p<QTableView>("grdStamm");
        QCOMPARE(grid->model()->rowCount(), 4);
        QVERIFY(grid->model()->columnCount() >= 20); // every column of Stamm.dbf
        d.p<QLineEdit>("edSuche")->setText(QStringLiteral("mei"));
        QCOMPARE(d.picker->currentRecord()->name, QStringLiteral("MEIER"));
        d.p<QLineEdit>("edSuche")->setText(QStringLiteral("meis"));
        QCOMPARE(d.picker->currentRecord()->name, QStringLiteral("meister"));
        d.p<QComboBox>("cbxSortierung")->setCurrentText(QStringLiteral("Vorname"));
        QVERIFY(d.picker->statement().endsWith(QStringLiteral("Order by Vorname")));
        d.p<QLineEdit>("edSuche")->setText(QStringLiteral("d"));
        QCOMPARE(d.picker->currentRecord()->name, QStringLiteral("Adler"));
        d.picker->btnAbbrechenClick();
        QVERIFY(!d.picker->takenRecord());
        // The next showing reads the table as it is now and keeps the sort choice.
        d.f.desk.append(QStringLiteral("Stamm.dbf"), stamm(QStringLiteral("Neu"), QStringLiteral("Emil")));
        d.picker->show();
        QCOMPARE(d.p<QTableView>("grdStamm")->model()->rowCount(), 5);
        QCOMPARE(d.picker->sortColumn(), QStringLiteral("Vorname"));
        d.picker->btnSpeichernClick();
        QVERIFY(d.picker->takenRecord());
    }

    // At arrival a picked record fills the form; its photo is shown but not recorded.
    void arrivalTakesOverARecord()
    {
        Desk d;
        Row row = stamm(QStringLiteral("O'Brien"), QStringLiteral("Jürgen"));
        row.insert(QStringLiteral("Info2"), QStringLiteral("ja"));
        row.insert(QStringLiteral("GUELTIGVON"), QStringLiteral("01.12.2026"));
        row.insert(QStringLiteral("GUELTIGBIS"), QStringLiteral("31.12.2026"));
        row.insert(QStringLiteral("FOTO"), QStringLiteral("obrien.bmp"));
        d.f.desk.append(QStringLiteral("Stamm.dbf"), row);
        QImage photo(40, 50, QImage::Format_RGB32);
        photo.fill(Qt::blue);
        QVERIFY(photo.save(QDir(d.f.desk.session->folders().images).filePath(QStringLiteral("obrien.bmp"))));
        d.f.openArrival();
        d.pick(QStringLiteral("o'b"));
        QCOMPARE(d.f.text("edName"), QStringLiteral("O'Brien"));
        QCOMPARE(d.f.text("edVorname"), QStringLiteral("Jürgen"));
        QCOMPARE(d.f.text("meVon"), QStringLiteral("01.12.2026"));
        QVERIFY(d.f.w<QCheckBox>("chkInfo2")->isChecked());
        QVERIFY(d.f.shown("lbInfo2"));
        QVERIFY(!d.f.shown("lbInfo1"));
        QVERIFY(!d.f.w<QCheckBox>("chkUebernahme")->isChecked());
        QVERIFY(!d.f.enabled("chkUebernahme"));
        QCOMPARE(d.f.text("lbBildpfad"), QString()); // shown, not recorded
        QVERIFY(d.f.form->visitData().photo.isEmpty());
    }

    void masterDataModeOpens()
    {
        Desk d;
        d.openMasterData();
        QCOMPARE(d.f.text("lbModus"), QStringLiteral("Besucherstamm bearbeiten"));
        QCOMPARE(d.f.w("pnModus")->palette().color(QPalette::Window), QColor(0, 0, 255));
        QCOMPARE(d.f.text("pnHinweis"), QString(24, u' ') + QStringLiteral("Wählen Sie den Besucher aus der Liste aus."));
        for (const char *name : {"btnStammAuswahl", "btnNeu", "btnLoeschen", "pnHinweis"})
            QVERIFY2(d.f.shown(name), name);
        for (const char *name : {"cbxAusweis", "edZiel", "lbZiel", "chkUebernahme", "btnStamm",
                                 "btnVoranmeldung", "btnBestaetigung", "chkQuittungErbracht", "lbAusweis"})
            QVERIFY2(!d.f.shown(name), name);
        QVERIFY(d.f.enabled("btnNeu"));
        QVERIFY(!d.f.enabled("btnLoeschen"));
        QVERIFY(!d.f.enabled("btnSpeichern"));
        QVERIFY(!d.f.enabled("btnAusweis"));
        QVERIFY(d.f.desk.session->registrationLock().holdsRegistrationLock());
    }

    // Select, change and save (the form stays open), save again after changing a visitor
    // field (no longer matches: appended), "&Neu" with its placeholder.
    void selectSaveAndNew()
    {
        Desk d;
        d.f.desk.append(QStringLiteral("Stamm.dbf"), stamm(QStringLiteral("O'Brien"), QStringLiteral("Jürgen")));
        d.openMasterData();
        d.pick(QStringLiteral("o'"));
        QVERIFY(d.f.enabled("btnLoeschen"));
        QVERIFY(!d.f.shown("pnHinweis"));
        d.f.w<QLineEdit>("edTel")->setText(QStringLiteral("0421 77"));
        QVERIFY(d.f.enabled("btnSpeichern"));
        d.f.click("btnSpeichern");
        QVERIFY(d.f.form->isVisible());
        QCOMPARE(d.f.desk.rows(QStringLiteral("Stamm.dbf")).size(), 1);
        QCOMPARE(d.f.desk.rows(QStringLiteral("Stamm.dbf"))[0].value(QStringLiteral("TELEFON")), QStringLiteral("0421 77"));
        QVERIFY(!d.f.enabled("btnSpeichern"));
        d.f.w<QLineEdit>("edName")->setText(QStringLiteral("O'Brian"));
        d.f.click("btnSpeichern");
        QCOMPARE(stammNames(d.f.desk), (QStringList{QStringLiteral("O'Brien"), QStringLiteral("O'Brian")}));

        d.f.click("btnNeu");
        QCOMPARE(d.f.text("edName"), MasterDataService::newRecordName().left(30));
        QCOMPARE(d.f.text("edVorname"), QString());
        QVERIFY(!d.f.enabled("btnNeu"));
        QVERIFY(!d.f.enabled("btnLoeschen"));
        // The form's own focus (the closed picker may still be the active window offscreen).
        QCOMPARE(d.f.form->focusWidget(), d.f.w("edName"));
        d.f.click("btnSpeichern");
        QCOMPARE(stammNames(d.f.desk).size(), 3);
        QCOMPARE(stammNames(d.f.desk).last(), MasterDataService::newRecordName().left(30));
        QVERIFY(d.f.enabled("btnNeu"));
    }

    void identicalRecordsCannotBeDeleted()
    {
        Desk d;
        d.f.desk.append(QStringLiteral("Stamm.dbf"), stamm(QStringLiteral("Meier"), QStringLiteral("Bert")));
        d.f.desk.append(QStringLiteral("Stamm.dbf"), stamm(QStringLiteral("Meier"), QStringLiteral("Bert")));
        d.openMasterData();
        d.pick(QStringLiteral("mei"));
        QVERIFY(!d.f.enabled("btnLoeschen"));
    }

    // Deleting asks first, leaves no trace in the file; while another workstation holds
    // the table the record is gone from every list and the clerk is told.
    void deleteAskFirstAndLeaveNoTrace()
    {
        Desk d;
        d.f.desk.append(QStringLiteral("Stamm.dbf"), stamm(QStringLiteral("Geheim"), QStringLiteral("Gustav")));
        d.f.desk.append(QStringLiteral("Stamm.dbf"), stamm(QStringLiteral("Bleibt"), QStringLiteral("Berta")));
        d.openMasterData();
        d.pick(QStringLiteral("geh"));
        d.f.answer = false;
        d.f.click("btnLoeschen");
        QCOMPARE(d.f.questions.size(), 1);
        QCOMPARE(d.f.questions[0].caption, QStringLiteral("Achtung"));
        QCOMPARE(d.f.questions[0].text, QStringLiteral("Wollen Sie die ausgewählten Daten wirklich unwiderruflich löschen ?"));
        QCOMPARE(stammNames(d.f.desk).size(), 2);

        QVERIFY2(QFile::exists(worker()), "build the target desk_worker");
        QProcess other;
        other.start(worker(), {QStringLiteral("hold"), d.f.desk.startFolder(), QStringLiteral("Stamm.dbf")});
        QVERIFY(other.waitForReadyRead(10000));
        QCOMPARE(other.readLine().trimmed(), QByteArray("holding"));
        d.f.answer = true;
        d.f.click("btnLoeschen");
        QCOMPARE(stammNames(d.f.desk), QStringList{QStringLiteral("Bleibt")});
        QVERIFY(d.f.messageTexts().join(u' ').contains(QStringLiteral("nicht aufgeräumt")));
        QCOMPARE(d.f.text("edName"), QString());
        QVERIFY(d.f.enabled("btnNeu"));
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(10000));

        d.pick(QStringLiteral("ble"));
        d.f.click("btnLoeschen");
        QVERIFY(stammNames(d.f.desk).isEmpty());
        QFile file(d.f.desk.dbFile(QStringLiteral("Stamm.dbf")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.contains("Geheim"));
        QVERIFY(!bytes.contains("Bleibt"));
    }

    // With manual badge entry: a personal number fills the form; "&Neu" proposes the next
    // free number and stores it; when all 5,000 are taken it says so and nothing is saved.
    void personalBadgeNumbers()
    {
        Desk d(true);
        Row kept = stamm(QStringLiteral("Stammgast"), QStringLiteral("Sven"));
        kept.insert(QStringLiteral("Ausweis"), QStringLiteral("1"));
        d.f.desk.append(QStringLiteral("Stamm.dbf"), kept);
        d.openMasterData();
        QVERIFY(d.f.shown("pnAWNManuell"));
        QCOMPARE(d.f.text("meAWN"), QStringLiteral("0000"));
        d.f.w<QLineEdit>("meAWN")->setText(QStringLiteral("0001"));
        d.f.pressEnter("meAWN");
        QCOMPARE(d.f.text("edName"), QStringLiteral("Stammgast"));
        QCOMPARE(d.f.w("meAWN")->palette().color(QPalette::Base), QColor(255, 255, 128));
        QVERIFY(d.f.enabled("btnLoeschen"));
        d.f.w<QLineEdit>("meAWN")->setText(QStringLiteral("0002"));
        d.f.pressEnter("meAWN");
        QCOMPARE(d.f.w("meAWN")->palette().color(QPalette::Base), QColor(Qt::red));
        QCOMPARE(d.f.text("edName"), QString());

        d.f.click("btnNeu");
        QCOMPARE(d.f.text("meAWN"), QStringLiteral("0002"));
        d.f.w<QLineEdit>("edName")->setText(QStringLiteral("Neugast"));
        d.f.click("btnSpeichern");
        QCOMPARE(d.f.desk.rows(QStringLiteral("Stamm.dbf")).last().value(QStringLiteral("AUSWEIS")).toInt(), 2);

        {
            auto t = data::DbfTable::open(d.f.desk.dbFile(QStringLiteral("Stamm.dbf")));
            const int ausweis = t->fieldIndexOrThrow(QStringLiteral("Ausweis"));
            for (int n = 3; n <= 5000; ++n)
                t->append({{ausweis, QString::number(n)}});
        }
        d.f.click("btnNeu");
        QCOMPARE(d.f.text("meAWN"), QStringLiteral("0000"));
        QVERIFY(d.f.messageTexts().contains(
            QStringLiteral("Neuanlage nicht möglich. Es sind keine Ausweisnummern mehr frei.")));
        QVERIFY(!d.f.enabled("btnSpeichern"));
        QVERIFY(!d.f.enabled("btnNeu"));
    }
};

LOBRIX_TEST(TStammBrowseTest)
#include "TStammBrowseTest.moc"

// The settings dialog in settings mode, driven through its controls.
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/Clock.h"
#include "common/IniFile.h"
#include "common/ui/MessageBoxes.h"
#include "shell/Session.h"
#include "shell/ui/TEinstellungen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace lobrix;
using namespace lobrix::shell;

class TEinstellungenTest : public QObject {
    Q_OBJECT

    struct Dialog {
        test::TestInstallation inst;
        FixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(8, 30))};
        Session session{inst.startFolder(), clock};
        TEinstellungen dialog{session, {QStringLiteral("Empfang"), QStringLiteral("Pforte")}};
        QList<ui::MessageRecord> messages;
        Dialog()
        {
            ui::MessageBoxes::setHooks([this](const ui::MessageRecord &m) { messages << m; }, {});
            dialog.prepareSettings();
            dialog.show();
        }
        ~Dialog() { ui::MessageBoxes::setHooks({}, {}); }
        template <typename W = QWidget> W *w(const char *name) const
        {
            return dialog.findChild<W *>(QString::fromLatin1(name));
        }
    };

private slots:
    void opensInSettingsMode()
    {
        Dialog d;
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Einstellungen"));
        QCOMPARE(d.w<QTabWidget>("PageControl1")->currentIndex(), 0);
        QCOMPARE(d.w<QTabWidget>("PageControl1")->tabText(1), QStringLiteral("Besuchererfassung"));
        QCOMPARE(d.w<QPushButton>("btnSpeichern")->text(), QStringLiteral("&Speichern"));
        QCOMPARE(d.w<QLineEdit>("edBildpfad")->text(), d.session.folders().start);
        QCOMPARE(d.w<QComboBox>("cbxDrucker2")->count(), 2);
        QCOMPARE(d.w<QSpinBox>("edHoehe")->value(), 86); // the card a new installation sets
    }

    // External printing enables the document fields and disables the layout files, and
    // back; a picked file keeps only its name.
    void externalPrintAndFileButtons()
    {
        Dialog d;
        d.dialog.setFileChooser([](QWidget *, const QString &filter, const QString &) {
            return filter.contains(QStringLiteral("Word")) ? QStringLiteral("C:\\Vorlagen\\Schein.doc")
                                                           : QStringLiteral("/anderswo/Besucherschein2.ini");
        });
        QVERIFY(d.w("BitBtn1")->isEnabled());
        QVERIFY(!d.w("BitBtn3")->isEnabled());
        d.w<QCheckBox>("chkDruckExtern")->click();
        QVERIFY(!d.w("BitBtn1")->isEnabled());
        QVERIFY(!d.w("BitBtn2")->isEnabled());
        QVERIFY(d.w("BitBtn3")->isEnabled());
        d.w<QToolButton>("BitBtn3")->click();
        QCOMPARE(d.w<QLineEdit>("edBesucherscheinExtern")->text(), QStringLiteral("Schein.doc"));
        d.w<QCheckBox>("chkDruckExtern")->click();
        d.w<QToolButton>("BitBtn1")->click();
        QCOMPARE(d.w<QLineEdit>("edBesucherschein")->text(), QStringLiteral("Besucherschein2.ini"));
    }

    // The size arrows stay between 5 and 10000; saving writes what is shown and runs the
    // step after it (publishing, the clock).
    void saveWritesWhatIsShown()
    {
        Dialog d;
        auto *hoehe = d.w<QSpinBox>("edHoehe");
        hoehe->setValue(0); // as a missing value shows
        hoehe->stepUp();
        QCOMPARE(hoehe->value(), 5);
        hoehe->setValue(20000);
        QCOMPARE(hoehe->value(), 10000);
        d.w<QCheckBox>("chkUhr")->click();
        d.w<QCheckBox>("chkFirma")->click();
        d.w<QLineEdit>("edInfo2")->setText(QStringLiteral("Belehrung"));
        bool clock = false;
        d.dialog.setSaved([&](const WorkstationSettings &w) { clock = w.uhrzeitDatum; });
        d.dialog.save();
        QVERIFY(clock);
        const IniFile settings(QDir(d.inst.startFolder()).filePath(QStringLiteral("settings.ini")));
        QCOMPARE(settings.readInt(QStringLiteral("Options"), QStringLiteral("AusweisHoehe"), 0), 10000);
        QVERIFY(settings.readBool(QStringLiteral("Options"), QStringLiteral("Firma"), false));
        QCOMPARE(settings.readString(QStringLiteral("InfoFelder"), QStringLiteral("BezeichnungInfo2")),
                 QStringLiteral("Belehrung"));
        QVERIFY(d.messages.isEmpty()); // the database folder is a real one

        d.w<QLineEdit>("edDatenbank")->setText(QStringLiteral("/gibt/es/nicht"));
        d.dialog.save();
        QCOMPARE(d.messages.size(), 1);
        QVERIFY(d.messages[0].text.contains(QStringLiteral("existiert nicht")));
        QCOMPARE(IniFile(QDir(d.inst.startFolder()).filePath(QStringLiteral("settings.ini")))
                     .readString(QStringLiteral("Datenbank"), QStringLiteral("Pfad")),
                 QStringLiteral("/gibt/es/nicht")); // stored as typed
    }
};

LOBRIX_TEST(TEinstellungenTest)
#include "TEinstellungenTest.moc"

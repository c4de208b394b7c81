// The settings dialog in settings mode and in users mode, driven through its controls.
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/Clock.h"
#include "common/IniFile.h"
#include "common/ui/MessageBoxes.h"
#include "shell/Session.h"
#include "shell/PasswordHash.h"
#include "shell/UsersFile.h"
#include "shell/ui/TEinstellungen.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QStyle>
#include <QTableView>
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
using lobrix::test::fileBytes;

class TEinstellungenTest : public QObject {
    Q_OBJECT

    struct Dialog {
        test::TestInstallation inst;
        FixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(8, 30))};
        Session session{inst.startFolder(), clock};
        bool seeded = seedUsers(inst.startFolder());
        UsersFile users = UsersFile::read(UsersFile::pathIn(inst.startFolder()));
        TEinstellungen dialog{session, users, {QStringLiteral("Empfang"), QStringLiteral("Pforte")}};
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
        QString userDat() const { return UsersFile::pathIn(inst.startFolder()); }
        UserSlot onDisk(int slot) const { return UsersFile::read(userDat()).loadUserSlot(slot); }
        void clickSlot(int slot)
        {
            auto *grid = w<QTableView>("GridNutzer");
            const QModelIndex index = grid->model()->index(slot, 0);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
        }
        QString shownName(int slot) const
        {
            return w<QTableView>("GridNutzer")->model()->index(slot, 0).data().toString();
        }
        QStringList checkedRights() const
        {
            QStringList held;
            for (const RightCheckBox &box : RightCheckBoxes)
                if (w<QCheckBox>(box.objectName)->isChecked())
                    held << QString::fromLatin1(box.objectName);
            return held;
        }
    };

    static const UserSlot &anna()
    {
        static const UserSlot user{QStringLiteral("Anna"), QStringLiteral("geheim"),
                                   {Right::Erfassen, Right::BerichteLesen}};
        return user;
    }
    static const UserSlot &bernd()
    {
        static const UserSlot user{QStringLiteral("Bernd"), QStringLiteral("pw"), UserRights::all()};
        return user;
    }
    // Slot 0 Anna, slot 3 Bernd, the others empty.
    static bool seedUsers(const QString &startFolder)
    {
        const QString path = UsersFile::pathIn(startFolder);
        UsersFile users = UsersFile::read(path);
        users.storeUserSlot(0, anna());
        users.storeUserSlot(3, bernd());
        users.write(path);
        return true;
    }
    // The password as the file can tell it: by its hash, never readable.
    static void compareSlot(const UserSlot &actual, const UserSlot &expected)
    {
        QCOMPARE(actual.name, expected.name);
        QVERIFY(actual.rights == expected.rights);
        QCOMPARE(actual.password, QString());
        if (!expected.name.isEmpty())
            QVERIFY(lobrix::shell::PasswordHash::verify(actual.passwordHash, expected.password));
    }

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

    void usersModeShowsTheSlots()
    {
        Dialog d;
        d.dialog.prepareUsers();
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Nutzer"));
        QVERIFY(d.w("pnNutzer")->isVisible());
        QVERIFY(!d.w("PageControl1")->isVisible());
        QVERIFY(!d.w("btnAbbrechen")->isVisible());
        QCOMPARE(d.w<QPushButton>("btnSpeichern")->text(), QStringLiteral("&Schliessen"));
        QCOMPARE(d.w("btnSpeichern")->toolTip(), QStringLiteral("Fenster schliessen"));
        QCOMPARE(d.w<QTableView>("GridNutzer")->model()->rowCount(), UsersFile::SlotCount);
        QCOMPARE(d.shownName(0), QStringLiteral("Anna"));
        QCOMPARE(d.shownName(3), QStringLiteral("Bernd"));
        QCOMPARE(d.shownName(1), QString());
        // Slot 0 is selected and loaded; nothing is changed yet.
        QCOMPARE(d.w<QLineEdit>("edNutzer")->text(), QStringLiteral("Anna"));
        // The password is kept only as its hash: a fixed placeholder stands for it.
        QCOMPARE(d.w<QLineEdit>("edPasswort")->text(), QString::fromLatin1(TEinstellungen::UnchangedPassword));
        QCOMPARE(d.checkedRights(), (QStringList{"chkErfassen", "chkBerichteLesen"}));
        QVERIFY(!d.w("btnUebernehmen")->isEnabled());
        auto *password = d.w<QLineEdit>("edPasswort");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password), int('*'));
        QCOMPARE(password->maxLength(), 10);
        QCOMPARE(d.w<QLineEdit>("edNutzer")->maxLength(), 10);
        // The eight rights in the file's order, top to bottom.
        int lastY = -1;
        for (const RightCheckBox &box : RightCheckBoxes) {
            auto *check = d.w<QCheckBox>(box.objectName);
            QCOMPARE(check->text(), QString::fromUtf8(box.caption));
            QVERIFY2(check->y() > lastY, box.objectName);
            lastY = check->y();
        }

        // Back in settings mode the pages return.
        d.dialog.prepareSettings();
        QVERIFY(!d.w("pnNutzer")->isVisible());
        QVERIFY(d.w("PageControl1")->isVisible());
        QVERIFY(d.w("btnAbbrechen")->isVisible());
        QCOMPARE(d.w<QPushButton>("btnSpeichern")->text(), QStringLiteral("&Speichern"));
    }

    // Every kind of change enables the button; saving writes user.dat at once, owner-only,
    // and the other slots read back unchanged.
    void saveWritesTheSlotAtOnce_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("name") << "name";
        QTest::newRow("password") << "password";
        QTest::newRow("right") << "right";
    }
    void saveWritesTheSlotAtOnce()
    {
        QFETCH(QString, change);
        Dialog d;
        QVERIFY(QFile::setPermissions(d.userDat(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                       QFile::ReadOther));
        d.dialog.prepareUsers();
        d.clickSlot(3);
        QCOMPARE(d.w<QLineEdit>("edNutzer")->text(), QStringLiteral("Bernd"));
        UserSlot expected = bernd();
        if (change == QLatin1String("name")) {
            QTest::keyClicks(d.w("edNutzer"), QStringLiteral("ßÄ"));
            expected.name += QStringLiteral("ßÄ");
        } else if (change == QLatin1String("password")) {
            d.w<QLineEdit>("edPasswort")->clear();
            QTest::keyClicks(d.w("edPasswort"), QStringLiteral("neu 7"));
            expected.password = QStringLiteral("neu 7");
        } else {
            d.w<QCheckBox>("chkService")->click();
            expected.rights.set(Right::Service, false);
        }
        QVERIFY(d.w("btnUebernehmen")->isEnabled());
        QTest::mouseClick(d.w<QPushButton>("btnUebernehmen"), Qt::LeftButton);
        QVERIFY(!d.w("btnUebernehmen")->isEnabled());
        QVERIFY(d.messages.isEmpty());
        compareSlot(d.onDisk(3), expected);
        compareSlot(d.onDisk(0), anna());
        compareSlot(d.onDisk(1), UserSlot{});
        QCOMPARE(d.shownName(3), expected.name);
        QCOMPARE(QFileInfo(d.userDat()).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    void anotherSlotDropsChanges()
    {
        Dialog d;
        const QByteArray before = fileBytes(d.userDat());
        d.dialog.prepareUsers();
        QTest::keyClicks(d.w("edNutzer"), QStringLiteral("xyz"));
        d.w<QCheckBox>("chkRechte")->click();
        d.clickSlot(3);
        QVERIFY(!d.w("btnUebernehmen")->isEnabled());
        QCOMPARE(d.w<QLineEdit>("edNutzer")->text(), QStringLiteral("Bernd"));
        d.clickSlot(0);
        QCOMPARE(d.w<QLineEdit>("edNutzer")->text(), QStringLiteral("Anna"));
        QCOMPARE(d.checkedRights(), (QStringList{"chkErfassen", "chkBerichteLesen"}));
        // Keyboard: the arrow keys load the next slot the same way.
        QTest::keyClicks(d.w("edNutzer"), QStringLiteral("xyz"));
        QTest::keyClick(d.w("GridNutzer"), Qt::Key_Down);
        QCOMPARE(d.w<QLineEdit>("edNutzer")->text(), QString());
        QVERIFY(!d.w("btnUebernehmen")->isEnabled());
        QCOMPARE(fileBytes(d.userDat()), before); // only the save button writes
    }

    // A name the users file cannot hold, and a file that cannot be replaced: an error box,
    // the button stays on for another try, and neither the file nor the working copy
    // takes the change.
    void refusedSaveChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("blockFile");
        QTest::addColumn<QString>("messageStart");
        QTest::newRow("character outside the table") << QStringLiteral("An\\na") << false
                                                     << QStringLiteral("Der Benutzername enthält");
        QTest::newRow("file cannot be replaced") << QStringLiteral("Anne") << true
                                                 << QStringLiteral("Die Datei");
    }
    void refusedSaveChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(bool, blockFile);
        QFETCH(QString, messageStart);
        Dialog d;
        d.dialog.prepareUsers();
        if (blockFile) { // a folder where the file was: the rename onto it fails, also as root
            QVERIFY(QFile::remove(d.userDat()));
            QVERIFY(QDir().mkdir(d.userDat()));
        }
        const QByteArray before = blockFile ? QByteArray() : fileBytes(d.userDat());
        d.w<QLineEdit>("edNutzer")->setText(name);
        QTest::mouseClick(d.w<QPushButton>("btnUebernehmen"), Qt::LeftButton);
        QCOMPARE(d.messages.size(), 1);
        QVERIFY2(d.messages[0].text.startsWith(messageStart), qPrintable(d.messages[0].text));
        QVERIFY(d.w("btnUebernehmen")->isEnabled());
        if (!blockFile)
            QCOMPARE(fileBytes(d.userDat()), before);
        compareSlot(d.users.loadUserSlot(0), anna());
        QCOMPARE(d.shownName(0), QStringLiteral("Anna"));
    }
};

LOBRIX_TEST(TEinstellungenTest)
#include "TEinstellungenTest.moc"

// "neuen Bericht erstellen" driven through its controls: the control rules, the SQL text
// and state list they make, and the restore of a stored state.
#include "TestFiles.h"
#include "TestInstallation.h"
#include "TestRegistry.h"

#include "common/Clock.h"
#include "records/ReportFolder.h"
#include "records/ui/TBerichtErstellen.h"
#include "registration/ui/TKalender.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

using namespace lobrix;
using namespace lobrix::records;

class TBerichtErstellenTest : public QObject {
    Q_OBJECT

    struct Builder {
        FixedClock clock{QDateTime(QDate(2005, 10, 22), QTime(8, 30))};
        registration::TKalender calendar{clock};
        TBerichtErstellen dialog{&calendar};
        Builder()
        {
            dialog.prepareNew();
            dialog.show();
        }
        template <typename W = QWidget> W *w(const QString &name) const
        {
            W *found = dialog.findChild<W *>(name);
            if (!found)
                qFatal("no control %s", qPrintable(name));
            return found;
        }
        // As the user picks an entry: the box's own signal runs the rule.
        void choose(const QString &box, int index)
        {
            auto *b = w<QComboBox>(box);
            b->setCurrentIndex(index);
            emit b->activated(index);
        }
        QLineEdit *value(int row) const { return w<QLineEdit>(QStringLiteral("edWert%1").arg(row)); }
        QCheckBox *check(const char *name) const { return w<QCheckBox>(QString::fromLatin1(name)); }
    };

private slots:
    void newModeStartsCleared()
    {
        Builder b;
        QCOMPARE(b.dialog.windowTitle(), QStringLiteral("neuen Bericht erstellen"));
        QCOMPARE(b.w<QLineEdit>("edName")->text(), QStringLiteral("neuer Bericht"));
        QVERIFY(b.w<QLineEdit>("edName")->isEnabled());
        QVERIFY(b.w("btnSpeichern")->isEnabled());
        b.w<QLineEdit>("edName")->clear();
        QVERIFY(!b.w("btnSpeichern")->isEnabled());
        for (int n = 1; n <= 4; ++n) {
            QCOMPARE(b.w<QComboBox>(QStringLiteral("cbxFeld%1").arg(n))->currentIndex(), -1);
            QVERIFY(!b.w(QStringLiteral("cbxDatum%1").arg(n))->isVisible());
            QVERIFY(!b.w(QStringLiteral("btnKalender%1").arg(n))->isVisible());
            QCOMPARE(b.value(n)->width(), 123);
        }
        QCOMPARE(b.w<QComboBox>("cbxFeld1")->count(), 20);
        QCOMPARE(b.w<QComboBox>("cbxOperator1")->itemText(2), QStringLiteral("grösser gleich als"));
        QCOMPARE(b.dialog.findChildren<QCheckBox *>().size(), 19);
        QCOMPARE(b.dialog.sqlText(), (QStringList{"Select Vorgang", "From Besucher.dbf", "", ""}));
    }

    // A whole report built step by step, entered as a user does.
    void workedExample()
    {
        Builder b;
        b.check("chk2")->click();
        b.check("chk5")->click();
        b.choose(QStringLiteral("cbxFeld1"), 0); // Tag des Besuchs
        QVERIFY(b.w("cbxDatum1")->isVisible());
        QVERIFY(b.w("btnKalender1")->isVisible());
        QCOMPARE(b.value(1)->width(), 105);
        QCOMPARE(b.w<QComboBox>("cbxOperator1")->currentIndex(), 0); // chosen with the field
        QVERIFY(b.check("chk15")->isChecked());
        QVERIFY(!b.check("chk15")->isEnabled());
        b.choose(QStringLiteral("cbxDatum1"), 0); // heute
        QCOMPARE(b.value(1)->text(), QStringLiteral("heute"));
        QVERIFY(!b.value(1)->isEnabled());
        b.choose(QStringLiteral("cbxFeld2"), 6); // Firma
        b.choose(QStringLiteral("cbxOperator2"), 2);
        QTest::keyClicks(b.value(2), QStringLiteral("M"));
        b.choose(QStringLiteral("cbxSort1"), 4); // Name
        QVERIFY(b.w<QRadioButton>("rdSort1Auf")->isChecked());
        b.w<QRadioButton>("rdSort1Ab")->click();
        QCOMPARE(b.dialog.sqlText(), (QStringList{"Select Vorgang, Name||', '||Vorname AS Name, Firma, Tag",
                                                  "From Besucher.dbf", "WHERE Tag = 'heute' AND Firma >= 'M'",
                                                  "ORDER BY Name DESC"}));
    }

    void timeFieldsAndPresence()
    {
        Builder b;
        b.choose(QStringLiteral("cbxFeld2"), 1); // Beginn
        QVERIFY(b.check("chk16")->isChecked() && !b.check("chk16")->isEnabled());
        QVERIFY(!b.w("cbxDatum2")->isVisible()); // a time, not a date
        QCOMPARE(b.dialog.definition().conditions[1].value, QStringLiteral("  :  "));
        QCOMPARE(b.dialog.sqlText().at(2), QStringLiteral("WHERE Kommt = ''"));
        b.choose(QStringLiteral("cbxOperator2"), 5); // vorhanden
        QCOMPARE(b.value(2)->text(), QStringLiteral("vorhanden"));
        QVERIFY(!b.value(2)->isEnabled());
        QCOMPARE(b.dialog.sqlText().at(2), QStringLiteral("WHERE Kommt <> ''"));
        b.choose(QStringLiteral("cbxOperator2"), 3);
        QVERIFY(b.value(2)->isEnabled());
        QCOMPARE(b.dialog.definition().conditions[1].value, QStringLiteral("  :  "));
        QTest::keyClicks(b.value(2), QStringLiteral("0930"));
        QCOMPARE(b.dialog.sqlText().at(2), QStringLiteral("WHERE Kommt < '09:30'"));
        // A date field keeps a valid date and drops anything else.
        b.choose(QStringLiteral("cbxFeld2"), 0);
        QCOMPARE(b.dialog.definition().conditions[1].value, QStringLiteral("  .  .    "));
        QVERIFY(b.w("cbxDatum2")->isVisible());
    }

    // Delete in a field box clears its row; the lock stays until the next field change.
    void deleteKeyClearsTheRow()
    {
        Builder b;
        b.choose(QStringLiteral("cbxFeld2"), 1);
        QTest::keyClick(b.w("cbxFeld2"), Qt::Key_Delete);
        QCOMPARE(b.w<QComboBox>("cbxFeld2")->currentIndex(), -1);
        QCOMPARE(b.w<QComboBox>("cbxOperator2")->currentIndex(), -1);
        QVERIFY(b.value(2)->text().trimmed().isEmpty());
        QVERIFY(!b.check("chk16")->isEnabled()); // still locked
        b.choose(QStringLiteral("cbxSort1"), 6);
        QVERIFY(b.check("chk16")->isEnabled());
        QTest::keyClick(b.w("cbxSort1"), Qt::Key_Delete);
        QCOMPARE(b.w<QComboBox>("cbxSort1")->currentIndex(), -1);
        QVERIFY(!b.w<QRadioButton>("rdSort1Auf")->isChecked());
        QVERIFY(!b.w<QRadioButton>("rdSort1Ab")->isChecked());
        QCOMPARE(b.dialog.sqlText().at(2), QString());
    }

    // A stored state comes back as it was made, "heute" on the date choice; the name is
    // fixed.
    void restore()
    {
        Builder b;
        ReportDefinition d;
        for (const int code : {0, 1, 6}) // as the builder saves them: used fields are shown
            d.shown[size_t(displayIndexOf(code))] = true;
        d.conditions[0] = {0, 2, QStringLiteral("heute")};
        d.conditions[2] = {6, 6, QStringLiteral("nicht vorhanden")};
        d.sortKeys[1] = {1, false, true};
        b.dialog.prepareEdit(QStringLiteral("Alt"), d.stateLines());
        QVERIFY(b.dialog.isEditMode());
        QCOMPARE(b.w<QLineEdit>("edName")->text(), QStringLiteral("Alt"));
        QVERIFY(!b.w("edName")->isEnabled());
        QCOMPARE(b.w<QComboBox>("cbxDatum1")->currentText(), QStringLiteral("heute"));
        QVERIFY(b.w("cbxDatum1")->isVisible());
        QCOMPARE(b.value(1)->text(), QStringLiteral("heute"));
        QVERIFY(!b.value(1)->isEnabled());
        QVERIFY(!b.value(3)->isEnabled());
        QVERIFY(b.w<QRadioButton>("rdSort2Ab")->isChecked());
        QCOMPARE(b.dialog.sqlText(), d.sqlLines());
        QCOMPARE(b.dialog.stateList(), d.stateLines());
        // New mode afterwards starts cleared again.
        b.dialog.prepareNew();
        QVERIFY(b.w("edName")->isEnabled());
        QCOMPARE(b.dialog.sqlText().at(2), QString());
    }

    // The calendar button of a date condition puts the picked day into the value field.
    void calendarButton()
    {
        Builder b;
        b.choose(QStringLiteral("cbxFeld1"), 0);
        QTimer::singleShot(0, &b.calendar, [&b] {
            for (int i = 0; i < 42; ++i) {
                auto *cell = b.calendar.findChild<QLabel *>(QStringLiteral("lbTag%1").arg(i));
                if (cell && !cell->isHidden() && cell->text() == u"5") {
                    QTest::mouseDClick(cell, Qt::LeftButton);
                    return;
                }
            }
            b.calendar.reject();
        });
        QTest::mouseClick(b.w<QToolButton>("btnKalender1"), Qt::LeftButton);
        QCOMPARE(b.value(1)->text(), QStringLiteral("05.10.2005"));
        QCOMPARE(b.dialog.sqlText().at(2), QStringLiteral("WHERE Tag = '05.10.2005'"));
    }

    void standardReportsRestore()
    {
        test::TestInstallation inst(1);
        const ReportFolder folder(QDir(inst.databaseFolder()).filePath(QStringLiteral("Listen")));
        Builder b;
        for (const QString &name : folder.names()) {
            b.dialog.prepareEdit(name, folder.readState(name));
            QCOMPARE(b.dialog.sqlText(), folder.readQuery(name));
        }
    }

    void damagedStateChangesNothing()
    {
        Builder b;
        b.choose(QStringLiteral("cbxFeld1"), 6);
        const auto error = lobrix::test::errorOf([&] { b.dialog.prepareEdit(QStringLiteral("X"), {QStringLiteral("1")}); });
        QVERIFY(error && error->contains(QStringLiteral("unvollständig")));
        QVERIFY(!b.dialog.isEditMode());
        QCOMPARE(b.w<QComboBox>("cbxFeld1")->currentIndex(), 6);
        QVERIFY(b.w("edName")->isEnabled());
    }
};

LOBRIX_TEST(TBerichtErstellenTest)
#include "TBerichtErstellenTest.moc"

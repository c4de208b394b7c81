#include "TestRegistry.h"

#include "common/ui/Controls.h"
#include "common/ui/EnterAsTab.h"
#include "common/ui/MandatoryGroup.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace lobrix;

// The window kit: Enter as Tab, the mandatory-field group, captions for screen readers.
class UiKitTest : public QObject {
    Q_OBJECT

    struct Window {
        QDialog dialog;
        QLineEdit *first = ui::lineEdit(&dialog, "edFirst", 10, QRect(0, 0, 80, 20));
        QLineEdit *second = ui::lineEdit(&dialog, "edSecond", 10, QRect(0, 30, 80, 20));
        QComboBox *list = ui::comboBox(&dialog, "cbxList", QRect(0, 60, 80, 20));
        QPushButton *button = ui::button(&dialog, "btnGo", QStringLiteral("&Los"), QString(),
                                         QRect(0, 90, 80, 20));
        int clicks = 0;
        Window()
        {
            QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
            dialog.show();
            dialog.activateWindow();
        }
    };

private slots:
    void enterMovesOnAndNeverReachesTheField()
    {
        Window w;
        new ui::EnterAsTab(&w.dialog);
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        w.first->setFocus();
        QTest::keyClicks(w.first, QStringLiteral("ab"));
        QTest::keyClick(w.first, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.second);
        QTest::keyClick(w.second, Qt::Key_Enter); // the keypad's
        QCOMPARE(QApplication::focusWidget(), w.list);
        QTest::keyClick(w.list, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.button);
        QTest::keyClick(w.button, Qt::Key_Return); // a button is not pressed by Enter
        QCOMPARE(w.clicks, 0);
        QCOMPARE(w.first->text(), QStringLiteral("ab"));
    }

    void fieldMayTakeEnterForItself()
    {
        Window w;
        auto *enter = new ui::EnterAsTab(&w.dialog);
        int checks = 0;
        enter->setHandler(w.first, [&] { ++checks; });
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        w.first->setFocus();
        QTest::keyClick(w.first, Qt::Key_Return);
        QCOMPARE(checks, 1);
        QCOMPARE(QApplication::focusWidget(), w.first);
    }

    void mandatoryGroupMarksAndGuards()
    {
        Window w;
        ui::MandatoryGroup group;
        QLabel *mark = group.addMark(7, w.first, "lbFirstSoll");
        QCOMPARE(mark->objectName(), QStringLiteral("lbFirstSoll"));
        QCOMPARE(mark->parentWidget(), &w.dialog);
        QVERIFY(mark->x() > w.first->geometry().right());
        QVERIFY(mark->isHidden());
        group.setRequired(7, true);
        QVERIFY(!mark->isHidden());
        group.setRequired(3, true); // no such mark: nothing happens

        group.guard({w.button});
        group.setCheck([&] { return !w.first->text().isEmpty(); });
        group.watch(w.first);
        group.watch(w.list);
        group.refresh();
        QVERIFY(!w.button->isEnabled());
        w.first->setText(QStringLiteral("x"));
        QVERIFY(w.button->isEnabled());
        {
            const ui::MandatoryGroup::Filling filling(group);
            {
                const ui::MandatoryGroup::Filling nested(group);
            }
            QVERIFY(group.filling());
            w.first->clear(); // the program fills: no check
            QVERIFY(w.button->isEnabled());
        }
        QVERIFY(!group.filling());
        w.list->addItem(QStringLiteral("eins")); // a change of the list runs the check
        QVERIFY(!w.button->isEnabled());
    }

    void captionsNameTheirFields_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("colon") << "Benutzername:" << "Benutzername";
        QTest::newRow("mnemonic") << "&Passwort :" << "Passwort";
        QTest::newRow("plain") << "Ausweis gültig von" << "Ausweis gültig von";
    }
    void captionsNameTheirFields()
    {
        QFETCH(QString, caption);
        QFETCH(QString, spoken);
        Window w;
        QLabel *label = ui::label(&w.dialog, "lbFirst", caption, 0, 0);
        ui::setCaption(w.first, label);
        QCOMPARE(label->buddy(), w.first);
        QCOMPARE(w.first->accessibleName(), spoken);
        ui::setCaptionText(label, QStringLiteral("Neu:"));
        QCOMPARE(w.first->accessibleName(), QStringLiteral("Neu"));
        QVERIFY(!w.button->autoDefault());
    }
};

LOBRIX_TEST(UiKitTest)
#include "UiKitTest.moc"

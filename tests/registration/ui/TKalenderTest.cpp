#include "TestRegistry.h"
#include "common/Clock.h"
#include "registration/ui/TKalender.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace lobrix;
using namespace lobrix::registration;

namespace {

const QColor Teal(0, 128, 128);
const QColor Navy(0, 0, 128);

QDateTime at(int day, int month, int year)
{
    return QDateTime(QDate(year, month, day), QTime(10, 0));
}

QLabel *cellAt(const TKalender &kal, int index)
{
    return kal.findChild<QLabel *>(QStringLiteral("lbTag%1").arg(index));
}

QString titleOf(const TKalender &kal)
{
    return kal.findChild<QLabel *>(QStringLiteral("pnTitel"))->text();
}

// The shown cell carrying the given day number.
QLabel *dayCell(const TKalender &kal, int day)
{
    for (int i = 0; i < 42; ++i) {
        QLabel *cell = cellAt(kal, i);
        if (cell && !cell->isHidden() && cell->text() == QString::number(day))
            return cell;
    }
    return nullptr;
}

void clickButton(TKalender &kal, const QString &name)
{
    QTest::mouseClick(kal.findChild<QPushButton *>(name), Qt::LeftButton);
}

// A user's double click: the first press and release, then the double-click press.
void doubleClick(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
    QTest::mouseDClick(widget, Qt::LeftButton);
}

QColor ink(const QLabel *cell)
{
    return cell->palette().color(QPalette::WindowText);
}

QColor ground(const QLabel *cell)
{
    return cell->palette().color(QPalette::Window);
}

// Empty when the grid shows days 1..days from cell `first` on and nothing else.
QString gridMismatch(const TKalender &kal, int first, int days)
{
    for (int i = 0; i < 42; ++i) {
        const QLabel *cell = cellAt(kal, i);
        if (!cell)
            return QStringLiteral("lbTag%1 missing").arg(i);
        const bool used = i >= first && i < first + days;
        if (cell->isHidden() == used)
            return QStringLiteral("lbTag%1 %2").arg(i).arg(used ? "hidden" : "shown");
        if (used && cell->text() != QString::number(i - first + 1))
            return QStringLiteral("lbTag%1 shows %2").arg(i).arg(cell->text());
    }
    return QString();
}

// Runs the picker modally and acts on it once it is open; the picker is closed afterwards
// whatever the action did, so a failing check cannot leave the test hanging.
template <typename Open> auto whileOpen(TKalender &kal, const std::function<void()> &action, Open open)
{
    QTimer::singleShot(0, &kal, [&kal, action] {
        action();
        if (kal.isVisible())
            kal.reject();
    });
    return open();
}

} // namespace

class TKalenderTest : public QObject {
    Q_OBJECT
private slots:
    void monthGrid_data();
    void monthGrid();
    void navigation_data();
    void navigation();
    void cellLayout_data();
    void cellLayout();
    void weekdayHeadings();
    void todayHighlighted();
    void pressSelects();
    void doubleClickPicks_data();
    void doubleClickPicks();
    void callerPattern();
    void cancelLeavesField_data();
    void cancelLeavesField();
    void reopeningKeepsMonth();
    void earlyYearShownAsIs();
};

void TKalenderTest::monthGrid_data()
{
    QTest::addColumn<QDateTime>("today");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("days");

    QTest::newRow("Saturday start, 31 days: six rows") << at(15, 8, 2026) << "August 2026" << 6
                                                       << 31;
    QTest::newRow("leap February") << at(15, 2, 2004) << "Februar 2004" << 0 << 29;
    QTest::newRow("century February") << at(15, 2, 2100) << "Februar 2100" << 1 << 28;
    QTest::newRow("400-year February") << at(15, 2, 2000) << "Februar 2000" << 2 << 29;
    QTest::newRow("four rows only") << at(15, 2, 2015) << "Februar 2015" << 0 << 28;
    QTest::newRow("umlaut month") << at(1, 3, 2004) << "März 2004" << 1 << 31;
    QTest::newRow("30 days") << at(30, 4, 2004) << "April 2004" << 4 << 30;
}

void TKalenderTest::monthGrid()
{
    QFETCH(QDateTime, today);
    QFETCH(QString, title);
    QFETCH(int, first);
    QFETCH(int, days);
    const FixedClock clock(today);
    TKalender kal(clock);
    QCOMPARE(titleOf(kal), title);
    QCOMPARE(kal.displayedMonth(), today.date().month());
    QCOMPARE(kal.displayedYear(), today.date().year());
    const QString mismatch = gridMismatch(kal, first, days);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TKalenderTest::navigation_data()
{
    QTest::addColumn<QDateTime>("today");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("days");

    QTest::newRow("back from January") << at(15, 1, 2004) << QStringList{"btnMonthBack"}
                                       << "Dezember 2003" << 1 << 31;
    QTest::newRow("forward from December") << at(15, 12, 2003) << QStringList{"btnMonthForward"}
                                           << "Januar 2004" << 4 << 31;
    QTest::newRow("year forward") << at(15, 2, 2004) << QStringList{"btnYearForward"}
                                  << "Februar 2005" << 2 << 28;
    QTest::newRow("year back") << at(15, 2, 2004) << QStringList{"btnYearBack"} << "Februar 2003"
                               << 6 << 28;
    QTest::newRow("four years back, one month on")
        << at(15, 2, 2004)
        << QStringList{"btnYearBack", "btnYearBack", "btnYearBack", "btnYearBack",
                       "btnMonthForward"}
        << "März 2000" << 3 << 31;
    QTest::newRow("twelve months forward")
        << at(15, 3, 2004) << QStringList(12, QStringLiteral("btnMonthForward")) << "März 2005"
        << 2 << 31;
    QTest::newRow("there and back") << at(15, 3, 2004)
                                    << QStringList{"btnMonthBack", "btnYearForward",
                                                   "btnMonthForward", "btnYearBack"}
                                    << "März 2004" << 1 << 31;
    QTest::newRow("stops at the last four-digit year")
        << at(15, 12, 9999) << QStringList{"btnMonthForward", "btnYearForward"}
        << "Dezember 9999" << 3 << 31;
}

void TKalenderTest::navigation()
{
    QFETCH(QDateTime, today);
    QFETCH(QStringList, buttons);
    QFETCH(QString, title);
    QFETCH(int, first);
    QFETCH(int, days);
    const FixedClock clock(today);
    TKalender kal(clock);
    kal.show();
    QVERIFY(QTest::qWaitForWindowExposed(&kal));
    for (const QString &name : buttons)
        clickButton(kal, name);
    QCOMPARE(titleOf(kal), title);
    const QString mismatch = gridMismatch(kal, first, days);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void TKalenderTest::cellLayout_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("topLeft");

    QTest::newRow("first") << 0 << QPoint(10, 45);
    QTest::newRow("end of first row") << 6 << QPoint(172, 45);
    QTest::newRow("second row") << 7 << QPoint(10, 60);
    QTest::newRow("middle") << 24 << QPoint(91, 90);
    QTest::newRow("last row, second column") << 36 << QPoint(37, 120);
    QTest::newRow("last") << 41 << QPoint(172, 120);
}

void TKalenderTest::cellLayout()
{
    QFETCH(int, index);
    QFETCH(QPoint, topLeft);
    const FixedClock clock(at(15, 8, 2026));
    TKalender kal(clock);
    const QLabel *cell = cellAt(kal, index);
    QVERIFY(cell);
    QCOMPARE(cell->geometry(), QRect(topLeft, QSize(14, 13)));
    QCOMPARE(cell->alignment(), Qt::AlignCenter);
    QCOMPARE(cell->font().family(), QStringLiteral("Arial"));
    QCOMPARE(cell->font().pointSize(), 8);
    // The whole grid fits in the window and no button lies over it.
    QVERIFY(kal.rect().contains(cell->geometry()));
    for (const QPushButton *button : kal.findChildren<QPushButton *>())
        QVERIFY2(!button->geometry().intersects(cell->geometry()), qPrintable(button->objectName()));
}

void TKalenderTest::weekdayHeadings()
{
    const FixedClock clock(at(15, 8, 2026));
    TKalender kal(clock);
    const QStringList names{"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    for (int c = 0; c < names.size(); ++c) {
        const QLabel *heading = kal.findChild<QLabel *>(QStringLiteral("lb") + names[c]);
        QVERIFY2(heading, qPrintable(names[c]));
        QCOMPARE(heading->text(), names[c]);
        QCOMPARE(heading->geometry().topLeft(), QPoint(27 * c + 10, 29));
        QVERIFY(kal.rect().contains(heading->geometry()));
    }
    // Buttons carry their captions.
    const QList<QPair<QString, QString>> buttons{{"btnYearBack", "<<"},
                                                 {"btnMonthBack", "<"},
                                                 {"btnMonthForward", ">"},
                                                 {"btnYearForward", ">>"}};
    for (const auto &[name, caption] : buttons) {
        const QPushButton *button = kal.findChild<QPushButton *>(name);
        QVERIFY2(button, qPrintable(name));
        QCOMPARE(button->text(), caption);
        QVERIFY(kal.rect().contains(button->geometry()));
    }
}

void TKalenderTest::todayHighlighted()
{
    FixedClock clock(at(15, 3, 2004));
    TKalender kal(clock);
    kal.show();
    QVERIFY(QTest::qWaitForWindowExposed(&kal));

    const auto verifyOnlyToday = [&](int todayDay) {
        for (int day = 1; day <= 31; ++day) {
            const QLabel *cell = dayCell(kal, day);
            QVERIFY(cell);
            const bool today = day == todayDay;
            QCOMPARE(ink(cell), today ? Teal : QColor(Qt::black));
            QCOMPARE(cell->font().bold(), today);
        }
    };
    verifyOnlyToday(15);
    if (QTest::currentTestFailed())
        return;

    clickButton(kal, QStringLiteral("btnMonthForward")); // April: today is not shown
    for (int day = 1; day <= 30; ++day)
        QCOMPARE(ink(dayCell(kal, day)), QColor(Qt::black));

    // Today is looked up again whenever the grid is filled.
    clock.advanceDays(1);
    clickButton(kal, QStringLiteral("btnMonthBack"));
    verifyOnlyToday(16);
}

void TKalenderTest::pressSelects()
{
    const FixedClock clock(at(15, 3, 2004));
    TKalender kal(clock);
    kal.show();
    QVERIFY(QTest::qWaitForWindowExposed(&kal));

    QLabel *ten = dayCell(kal, 10);
    QLabel *today = dayCell(kal, 15);
    QTest::mousePress(ten, Qt::LeftButton);
    QCOMPARE(ground(ten), Navy);
    QCOMPARE(ink(ten), QColor(Qt::white));
    QVERIFY(!ten->font().bold());
    QCOMPARE(ground(today), QColor(Qt::white));
    QCOMPARE(ink(today), Teal);
    QVERIFY(today->font().bold());
    QVERIFY(kal.isVisible()); // a single press does not pick

    QTest::mousePress(today, Qt::LeftButton);
    QCOMPARE(ground(today), Navy);
    QCOMPARE(ink(today), Teal);
    QCOMPARE(ground(ten), QColor(Qt::white));
    QCOMPARE(ink(ten), QColor(Qt::black));

    QLabel *twenty = dayCell(kal, 20);
    QTest::mousePress(twenty, Qt::LeftButton);
    QCOMPARE(ground(today), QColor(Qt::white));
    QCOMPARE(ink(today), Teal);
    QVERIFY(today->font().bold());
    for (int day = 1; day <= 31; ++day) {
        if (QLabel *cell = dayCell(kal, day); cell != twenty)
            QCOMPARE(ground(cell), QColor(Qt::white));
    }

    // Browsing on leaves the selection ground on that cell; its text stays legible on it.
    clickButton(kal, QStringLiteral("btnMonthForward"));
    QVERIFY(!twenty->isHidden());
    QCOMPARE(ground(twenty), Navy);
    QCOMPARE(ink(twenty), QColor(Qt::white));
}

void TKalenderTest::doubleClickPicks_data()
{
    QTest::addColumn<QDateTime>("today");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("text");

    QTest::newRow("5 March 2004") << at(20, 3, 2004) << QStringList() << 5 << 3 << 2004
                                  << "05.03.2004";
    QTest::newRow("leap day after browsing back")
        << at(20, 3, 2004) << QStringList{"btnMonthBack"} << 29 << 2 << 2004 << "29.02.2004";
    QTest::newRow("last day of the previous year")
        << at(15, 1, 2004) << QStringList{"btnMonthBack"} << 31 << 12 << 2003 << "31.12.2003";
    QTest::newRow("today itself") << at(15, 1, 2004) << QStringList() << 15 << 1 << 2004
                                  << "15.01.2004";
}

void TKalenderTest::doubleClickPicks()
{
    QFETCH(QDateTime, today);
    QFETCH(QStringList, buttons);
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QString, text);
    const FixedClock clock(today);
    TKalender kal(clock);
    QPoint shownAt;
    const TKalender::PickedDate picked = whileOpen(
        kal,
        [&] {
            shownAt = kal.pos();
            for (const QString &name : buttons)
                clickButton(kal, name);
            QLabel *cell = dayCell(kal, day);
            QVERIFY(cell);
            doubleClick(cell);
            QVERIFY(!kal.isVisible()); // the double click itself closes the picker
        },
        [&] { return kal.PickDate(QPoint(120, 80)); });
    QCOMPARE(shownAt, QPoint(120, 80));
    QVERIFY(!kal.isVisible());
    QCOMPARE(picked.day, day);
    QCOMPARE(picked.month, month);
    QCOMPARE(picked.year, year);

    QLineEdit field(QStringLiteral("01.01.1999"));
    QVERIFY(TKalender::WritePickedDate(picked, &field));
    QCOMPARE(field.text(), text);
}

void TKalenderTest::callerPattern()
{
    // A calendar button beside a date field, in a window of its own.
    QWidget caller;
    caller.setGeometry(300, 200, 400, 300);
    auto *field = new QLineEdit(QStringLiteral("01.01.1999"), &caller);
    field->setGeometry(20, 40, 100, 20);
    auto *button = new QPushButton(QStringLiteral("..."), &caller);
    button->setGeometry(125, 40, 20, 20);
    caller.show();
    QVERIFY(QTest::qWaitForWindowExposed(&caller));

    const FixedClock clock(at(20, 3, 2004));
    TKalender kal(clock, &caller);
    QPoint shownAt;
    const bool written = whileOpen(
        kal,
        [&] {
            shownAt = kal.pos();
            QVERIFY(kal.isModal());
            doubleClick(dayCell(kal, 5));
            QVERIFY(!kal.isVisible());
        },
        [&] { return kal.PickDateInto(button, field); });
    QVERIFY(written);
    QCOMPARE(field->text(), QStringLiteral("05.03.2004"));
    QCOMPARE(shownAt, caller.pos() + button->pos());
}

void TKalenderTest::cancelLeavesField_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("Escape on the picker") << "escape";
    QTest::newRow("Escape on a button") << "escape on button";
    QTest::newRow("close box") << "close";
}

void TKalenderTest::cancelLeavesField()
{
    QFETCH(QString, how);
    QWidget caller;
    auto *field = new QLineEdit(QStringLiteral("12.12.2012"), &caller);
    auto *button = new QPushButton(QStringLiteral("..."), &caller);
    caller.show();

    const FixedClock clock(at(20, 3, 2004));
    TKalender kal(clock, &caller);
    // A day picked at an earlier opening must not come back.
    const auto earlier =
        whileOpen(kal, [&] { doubleClick(dayCell(kal, 5)); }, [&] { return kal.PickDate({}); });
    QCOMPARE(earlier.day, 5);

    const bool written = whileOpen(
        kal,
        [&] {
            QTest::mousePress(dayCell(kal, 7), Qt::LeftButton); // selected, but not picked
            if (how == QLatin1String("escape")) {
                QTest::keyClick(&kal, Qt::Key_Escape);
            } else if (how == QLatin1String("escape on button")) {
                auto *back = kal.findChild<QPushButton *>(QStringLiteral("btnMonthBack"));
                back->setFocus();
                QTest::keyClick(back, Qt::Key_Escape);
            } else {
                kal.close();
            }
            // The picker must have closed by itself, not by the safety net of whileOpen.
            QVERIFY(!kal.isVisible());
        },
        [&] { return kal.PickDateInto(button, field); });
    QVERIFY(!written);
    QCOMPARE(field->text(), QStringLiteral("12.12.2012"));
    QCOMPARE(kal.result(), int(QDialog::Rejected));
}

void TKalenderTest::reopeningKeepsMonth()
{
    FixedClock clock(at(20, 3, 2004));
    TKalender kal(clock);
    whileOpen(
        kal,
        [&] {
            clickButton(kal, QStringLiteral("btnMonthForward"));
            clickButton(kal, QStringLiteral("btnMonthForward"));
            QTest::keyClick(&kal, Qt::Key_Escape);
        },
        [&] { return kal.PickDate({}); });

    // Even a new day does not move the picker back to the current month.
    clock.set(at(1, 8, 2005));
    QString titleWhenReopened;
    const auto picked = whileOpen(
        kal,
        [&] {
            titleWhenReopened = titleOf(kal);
            doubleClick(dayCell(kal, 5));
        },
        [&] { return kal.PickDate({}); });
    QCOMPARE(titleWhenReopened, QStringLiteral("Mai 2004"));
    QCOMPARE(picked.day, 5);
    QCOMPARE(picked.month, 5);
    QCOMPARE(picked.year, 2004);

    // A picker created now starts at the current month.
    TKalender fresh(clock);
    QCOMPARE(titleOf(fresh), QStringLiteral("August 2005"));
}

void TKalenderTest::earlyYearShownAsIs()
{
    // A four-digit year before 2000 is a real year, not a two-digit one to be completed.
    const FixedClock clock(at(15, 6, 1999));
    TKalender kal(clock);
    QCOMPARE(titleOf(kal), QStringLiteral("Juni 1999"));
    QCOMPARE(kal.displayedYear(), 1999);
}

LOBRIX_TEST(TKalenderTest)
#include "TKalenderTest.moc"

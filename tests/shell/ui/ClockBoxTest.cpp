#include "shell/ui/ClockBox.h"

#include "../ClockTestImages.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "common/Clock.h"
#include "common/IniFile.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace lobrix;
using namespace lobrix::shell;
using namespace lobrix::test;

namespace
{

const QStringList HourItems{"Strich1", "Punkt1"};
const QStringList MinuteItems{"Strich2", "Punkt2"};
const QStringList SizeItems{"N11", "N21", "N31", "N41", "N51"};

// Runs `action` on the modal dialog as soon as it is up.
void whenModal(std::function<void(QWidget *)> action)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            action(dialog);
        }
    });
    poll->start();
}

} // namespace

class ClockBoxTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    std::unique_ptr<FixedClock> m_clock;
    std::unique_ptr<QWidget> m_window;
    ClockBox *m_box = nullptr;

    QString settingsPath() const { return m_dir->filePath(QStringLiteral("settings.ini")); }
    QAction *item(const QString &name) const { return m_box->findChild<QAction *>(name); }
    void choose(const QString &name) const { item(name)->trigger(); }
    QImage shown() const { return m_box->grab().toImage(); }
    ClockGeometry geometry() const { return ClockFace::geometry(m_box->size()); }
    void setTime(const QTime &time) { m_clock->set(QDateTime(QDate(2024, 5, 6), time)); }

    // The checked items of a group.
    QStringList checkedOf(const QStringList &group) const
    {
        QStringList checked;
        for (const QString &name : group) {
            if (item(name)->isChecked())
                checked << name;
        }
        return checked;
    }

    void loadSettings(const QByteArray &options)
    {
        QVERIFY(putFile(settingsPath(), "[Options]\r\n" + options));
        m_box->readSettings(IniFile(settingsPath()));
    }

private slots:
    // A main window stand-in: 800 px wide with the arrival button where the layout puts it.
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_clock = std::make_unique<FixedClock>();
        setTime(QTime(10, 10, 20));
        m_window = std::make_unique<QWidget>();
        m_window->resize(800, 560);
        QPalette palette = m_window->palette();
        palette.setColor(QPalette::Window, Ground);
        m_window->setPalette(palette);
        auto *arrival = new QPushButton(QStringLiteral("Besucher kommt"), m_window.get());
        arrival->setObjectName(QStringLiteral("btnBeginn"));
        arrival->setGeometry(234, 300, 166, 106);
        m_box = new ClockBox(*m_clock, m_window.get());
        m_box->setArrivalButton(arrival);
        ClockOptions options;
        options.colour = ClockOptions::valueOf(Ink);
        m_box->setOptions(options);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_clock.reset();
    }

    void paintBoxAsTheWindowCreatesIt()
    {
        QCOMPARE(m_box->objectName(), QStringLiteral("pbxUhr"));
        QCOMPARE(m_box->toolTip(), QStringLiteral("mit rechter Maustaste Eigenschaften verändern"));
        QCOMPARE(m_box->size(), QSize(150, 150));
        QCOMPARE(m_window->findChild<QMenu *>(QStringLiteral("popUhr")), m_box->popUhr());
    }

    void menuItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Stundenteilung1") << "Stundenteilung1"
                                         << "popUhr"
                                         << "Stundenteilung";
        QTest::newRow("Minutenteilung1") << "Minutenteilung1"
                                         << "popUhr"
                                         << "Minutenteilung";
        QTest::newRow("Grsse1") << "Grsse1"
                                << "popUhr"
                                << "Grösse";
        QTest::newRow("Farbe1") << "Farbe1"
                                << "popUhr"
                                << "Farbe";
        QTest::newRow("Strich1") << "Strich1"
                                 << "Stundenteilung1"
                                 << "Strich";
        QTest::newRow("Punkt1") << "Punkt1"
                                << "Stundenteilung1"
                                << "Punkt";
        QTest::newRow("Strich2") << "Strich2"
                                 << "Minutenteilung1"
                                 << "Strich";
        QTest::newRow("Punkt2") << "Punkt2"
                                << "Minutenteilung1"
                                << "Punkt";
        for (int step = 1; step <= 5; ++step) {
            const QString name = QStringLiteral("N%1").arg(step) + u'1';
            QTest::newRow(qPrintable(name)) << name << "Grsse1" << QString::number(step);
        }
    }
    void menuItems()
    {
        QFETCH(QString, name);
        QFETCH(QString, menu);
        QFETCH(QString, caption);
        QAction *action = item(name);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        const QMenu *owner = m_box->findChild<QMenu *>(menu);
        QVERIFY(owner);
        QVERIFY(owner->actions().contains(action));
        if (action->menu()) // a submenu carries the item's name too
            QCOMPARE(action->menu()->objectName(), name);
    }

    void menuOrder()
    {
        QStringList names;
        for (const QAction *action : m_box->popUhr()->actions())
            names << action->objectName();
        QCOMPARE(names, QStringList({"Stundenteilung1", "Minutenteilung1", "Grsse1", "Farbe1"}));
    }

    void rightClickOpensTheMenu()
    {
        // Through the window, where a right click turns into a context menu request.
        QTest::mouseClick(m_window->windowHandle(), Qt::RightButton, {},
                          m_box->mapTo(m_window.get(), QPoint(20, 20)));
        QTRY_VERIFY(m_box->popUhr()->isVisible());
        m_box->popUhr()->close();
    }

    void checkMarksFromSettings_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<QStringList>("checked");
        QTest::newRow("no keys") << QByteArray() << QStringList{"Punkt1", "Punkt2", "N31"};
        QTest::newRow("hour strokes, size 1") << QByteArray("UhrStundeStrich=1\r\nUhrSize=1\r\n")
                                              << QStringList{"Strich1", "Punkt2", "N11"};
        QTest::newRow("minute strokes as any number but 0, size 5")
            << QByteArray("UhrMinuteStrich=5\r\nUhrSize=5\r\n")
            << QStringList{"Punkt1", "Strich2", "N51"};
        QTest::newRow("size 4") << QByteArray("UhrSize=4\r\n")
                                << QStringList{"Punkt1", "Punkt2", "N41"};
        QTest::newRow("size 0") << QByteArray("UhrSize=0\r\n")
                                << QStringList{"Punkt1", "Punkt2", "N21"};
        QTest::newRow("size 7") << QByteArray("UhrSize=7\r\n")
                                << QStringList{"Punkt1", "Punkt2", "N21"};
    }
    void checkMarksFromSettings()
    {
        QFETCH(QByteArray, options);
        QFETCH(QStringList, checked);
        // Start from the opposite choices so that every check mark has to move.
        for (const char *name : {"Strich1", "Strich2", "N51"})
            choose(name);
        loadSettings(options);
        QCOMPARE(checkedOf(HourItems) + checkedOf(MinuteItems) + checkedOf(SizeItems), checked);
    }

    void choosingMovesTheCheckMark_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("checked");
        QTest::newRow("hour strokes")
            << QStringList{"Strich1"} << QStringList{"Strich1", "Punkt2", "N31"};
        QTest::newRow("hour strokes, then dots")
            << QStringList{"Strich1", "Punkt1"} << QStringList{"Punkt1", "Punkt2", "N31"};
        QTest::newRow("minute strokes")
            << QStringList{"Strich2"} << QStringList{"Punkt1", "Strich2", "N31"};
        QTest::newRow("checked item again")
            << QStringList{"Punkt2"} << QStringList{"Punkt1", "Punkt2", "N31"};
        QTest::newRow("sizes") << QStringList{"N11", "N51", "N21"}
                               << QStringList{"Punkt1", "Punkt2", "N21"};
    }
    void choosingMovesTheCheckMark()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, checked);
        for (const QString &name : chosen)
            choose(name);
        QCOMPARE(checkedOf(HourItems) + checkedOf(MinuteItems) + checkedOf(SizeItems), checked);
    }

    // The box becomes square, centred above the buttons, and is drawn at once.
    void sizeStepResizesAndPlacesTheBox_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("box");
        QTest::newRow("N11") << "N11" << QRect(325, 112, 150, 150);
        QTest::newRow("N21") << "N21" << QRect(313, 100, 175, 175);
        QTest::newRow("N31") << "N31" << QRect(288, 75, 225, 225);
        QTest::newRow("N41") << "N41" << QRect(275, 62, 250, 250);
        QTest::newRow("N51") << "N51" << QRect(250, 37, 300, 300);
    }
    void sizeStepResizesAndPlacesTheBox()
    {
        QFETCH(QString, name);
        QFETCH(QRect, box);
        setTime(QTime(3, 0, 0));
        QSignalSpy resized(m_box, &ClockBox::boxResized);
        choose(name);
        QCOMPARE(m_box->geometry(), box);
        QCOMPARE(resized.count(), box.width() == 150 ? 0 : 1); // it started at 150 px
        if (resized.count())
            QCOMPARE(resized.first().first().toInt(), box.width());
        // Drawn without waiting for a tick: the hour hand at three o'clock.
        const ClockGeometry g = geometry();
        QVERIFY(colourNear(shown(), dialPoint(g, 90, g.hourHandLength() - 2), Ink, 0));
    }

    void widerWindowKeepsTheBoxCentred()
    {
        m_window->resize(1000, 560);
        m_box->PaintClock();
        QCOMPARE(m_box->geometry(), QRect(388, 75, 225, 225));
    }

    void marksChangeRedrawsAtOnce_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("outerPartAfter");
        QTest::newRow("dots to strokes") << "Punkt2"
                                         << "Strich2" << true;
        QTest::newRow("strokes to dots") << "Strich2"
                                         << "Punkt2" << false;
    }
    void marksChangeRedrawsAtOnce()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, outerPartAfter);
        choose(from);
        m_box->PaintClock();
        const ClockGeometry g = geometry();
        // The minute mark at one minute past: its outer part exists only as a stroke.
        const QPoint outer = dialPoint(g, 6, g.radius + 4);
        QCOMPARE(colourNear(shown(), outer, Ink), !outerPartAfter);
        choose(to);
        const QImage after = shown();
        QCOMPARE(colourNear(after, outer, Ink), outerPartAfter); // the old marks are gone
        QVERIFY(colourNear(after, dialPoint(g, 6, g.radius), Ink));
    }

    void tickShowsTheClocksTimeOnTheWindowColour()
    {
        setTime(QTime(9, 0, 0));
        m_box->PaintClock();
        const QImage image = shown();
        const ClockGeometry g = geometry();
        QVERIFY(colourNear(image, dialPoint(g, 270, g.hourHandLength() - 2), Ink, 0));
        QVERIFY(!colourNear(image, dialPoint(g, 90, g.hourHandLength() - 2), Ink, 2));
        QCOMPARE(image.pixelColor(0, 0), Ground);
        QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), Ground);

        m_box->tick(QTime(3, 0, 1)); // an explicit time wins over the clock
        QVERIFY(colourNear(shown(), dialPoint(g, 90, g.hourHandLength() - 2), Ink, 0));
    }

    void colourDialog_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void colourDialog()
    {
        QFETCH(bool, ok);
        setTime(QTime(3, 0, 0));
        m_box->PaintClock();
        const QColor blue(0, 0, 255);
        QColor preset;
        whenModal([&](QWidget *dialog) {
            auto *colours = qobject_cast<QColorDialog *>(dialog);
            if (!colours) {
                dialog->close();
                return;
            }
            preset = colours->currentColor();
            colours->setCurrentColor(blue);
            const auto button = ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel;
            QTest::mouseClick(colours->findChild<QDialogButtonBox *>()->button(button),
                              Qt::LeftButton);
        });
        choose(QStringLiteral("Farbe1"));
        QCOMPARE(preset, Ink);
        QCOMPARE(m_box->options().color(), ok ? blue : Ink);

        const ClockGeometry g = geometry();
        const QPoint hourHand = dialPoint(g, 90, g.hourHandLength() - 2);
        QVERIFY(colourNear(shown(), hourHand, Ink, 0)); // the next tick draws with it
        m_box->PaintClock();
        QVERIFY(colourNear(shown(), hourHand, ok ? blue : Ink, 0));
    }

    // Written only by the close handler, also while the clock is hidden.
    void settingsWrittenAtClose_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("size 7 comes back as 2")
            << QByteArray("UhrSize=7\r\nUhrFarbe=0x0000FF\r\n") << QStringList()
            << QByteArray(
                   "UhrSize=2\r\nUhrFarbe=255\r\nUhrStundeStrich=0\r\nUhrMinuteStrich=0\r\n");
        QTest::newRow("choices")
            << QByteArray("UhrStundeStrich=0\r\nUhrMinuteStrich=1\r\nUhrSize=3\r\nUhrFarbe=0\r\n")
            << QStringList{"Strich1", "Punkt2", "N51"}
            << QByteArray("UhrStundeStrich=1\r\nUhrMinuteStrich=0\r\nUhrSize=5\r\nUhrFarbe=0\r\n");
    }
    void settingsWrittenAtClose()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, chosen);
        QFETCH(QByteArray, written);
        loadSettings(stored);
        m_box->hide();
        for (const QString &name : chosen)
            choose(name);
        m_box->PaintClock();
        QCOMPARE(fileBytes(settingsPath()), "[Options]\r\n" + stored);

        IniFile settings(settingsPath());
        m_box->writeSettings(settings);
        QCOMPARE(fileBytes(settingsPath()), "[Options]\r\n" + written);
    }
};

LOBRIX_TEST(ClockBoxTest)
#include "ClockBoxTest.moc"

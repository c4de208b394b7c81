// The visit form as the program wires it: opened by the main window's two large buttons,
// shown modally, and printing through the layouts' print actions.
#include "TestRegistry.h"
#include "VisitFormFixture.h"

#include "data/DbfTable.h"
#include "app/AppWindows.h"
#include "common/ui/Desktop.h"
#include "shell/ui/TMain.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

using namespace lobrix;
using namespace lobrix::registration;
using lobrix::test::DeskFixture;
using lobrix::test::VisitFormFixture;

namespace {

// Runs `action` while the modal form is open and closes it afterwards if the action
// did not, so that a failing check cannot leave the test waiting.
void whileOpen(QWidget *owner, const std::function<void(TBesucher *)> &action)
{
    QTimer::singleShot(0, owner, [owner, action] {
        auto *form = owner->findChild<TBesucher *>();
        QVERIFY(form && form->isVisible());
        action(form);
        if (form->isVisible())
            form->reject();
    });
}

template <typename W> W *child(const QWidget *form, const char *name)
{
    return form->findChild<W *>(QString::fromLatin1(name));
}

} // namespace

class TBesucherMainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        ui::MessageBoxes::setHooks({}, {});
        ui::Desktop::setOpener({});
    }
    void buttonsOpenBothModes();
    void printButtonReachesThePrinters();
};

void TBesucherMainWindowTest::buttonsOpenBothModes()
{
    DeskFixture desk(5);
    QList<ui::MessageRecord> messages;
    ui::MessageBoxes::setHooks([&](const ui::MessageRecord &m) { messages << m; }, {});
    app::AppWindows windows(desk.startFolder(), desk.clock);
    auto *arrival = child<QToolButton>(windows.main, "btnBeginn");
    auto *departure = child<QToolButton>(windows.main, "btnEnde");

    QString modeCaption;
    bool lockShownForOwnForm = true;
    whileOpen(windows.main, [&](TBesucher *form) {
        modeCaption = child<QLabel>(form, "lbModus")->text();
        // The own open form is no other workstation's lock.
        windows.main->TimerTimer();
        lockShownForOwnForm = child<QWidget>(windows.main, "pnSperre")->isVisible();
        VisitFormFixture::typeInto(child<QLineEdit>(form, "edName"), QStringLiteral("Über"));
        QTest::mouseClick(child<QPushButton>(form, "btnSpeichern"), Qt::LeftButton);
    });
    arrival->click();
    QCOMPARE(modeCaption, QStringLiteral("Besuchsbeginn erfassen"));
    QVERIFY(!lockShownForOwnForm);
    QVERIFY(arrival->isEnabled()); // at once, not at the next tick
    QCOMPARE(desk.rows("Besucher.dbf").value(0).value("NAME"), QStringLiteral("Über"));
    QCOMPARE(desk.badge(1).value("KOMMT"), QStringLiteral("08:15"));

    whileOpen(windows.main, [&](TBesucher *form) {
        modeCaption = child<QLabel>(form, "lbModus")->text();
        QTest::mouseClick(child<QPushButton>(form, "btnSpeichern"), Qt::LeftButton);
    });
    departure->click();
    QCOMPARE(modeCaption, QStringLiteral("Besuchsende erfassen"));
    QCOMPARE(desk.rows("Besucher.dbf").value(0).value("GEHT"), QStringLiteral("08:15"));
    QCOMPARE(desk.badge(1).value("KOMMT"), QStringLiteral("25:00"));
    QVERIFY(messages.isEmpty());
    QCOMPARE(desk.global("Locked"), QStringLiteral("0"));
}

void TBesucherMainWindowTest::printButtonReachesThePrinters()
{
    DeskFixture desk(5);
    const QString document = QDir(desk.startFolder()).filePath(QStringLiteral("Ausweis.odt"));
    QFile(document).open(QIODevice::WriteOnly);
    desk.setText(shell::keys::settings::AusweisdruckExternPfad, document);
    shell::keys::write(desk.session->settings(), shell::keys::settings::DruckExtern, 1);
    QList<QUrl> opened;
    ui::Desktop::setOpener([&](const QUrl &url) {
        opened << url;
        return true;
    });
    QList<ui::MessageRecord> messages;
    ui::MessageBoxes::setHooks([&](const ui::MessageRecord &m) { messages << m; }, {});
    app::AppWindows windows(desk.startFolder(), desk.clock);

    whileOpen(windows.main, [&](TBesucher *form) {
        VisitFormFixture::typeInto(child<QLineEdit>(form, "edName"), QStringLiteral("Druck"));
        QTest::mouseClick(child<QPushButton>(form, "btnAusweis"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(form, "btnAbbrechen"), Qt::LeftButton);
    });
    child<QToolButton>(windows.main, "btnBeginn")->click();
    QVERIFY(messages.isEmpty());
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(document)});
    const auto table = data::DbfTable::open(
        data::DbfTable::resolve(desk.startFolder(), QStringLiteral("BesucherDruck.dbf")),
        data::DbfTable::Mode::ReadOnly);
    QCOMPARE(table->recordCount(), 1);
    const data::DbfRecord row = table->read(0);
    QCOMPARE(table->text(row.constData(), table->fieldIndexOrThrow(QStringLiteral("Name"))),
             QStringLiteral("Druck"));
    QCOMPARE(table->text(row.constData(), table->fieldIndexOrThrow(QStringLiteral("Ausweis"))),
             QStringLiteral("1"));
    // Printing stored no visit; the cancelled arrival used no number.
    QVERIFY(desk.rows("Besucher.dbf").isEmpty());
    QCOMPARE(desk.global("LastSatz"), QStringLiteral("0"));
}

LOBRIX_TEST(TBesucherMainWindowTest)
#include "TBesucherMainWindowTest.moc"

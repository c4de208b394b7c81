#include "../PrintFixtures.h"
#include "PdfProbe.h"
#include "TestInstallation.h"
#include "TestRegistry.h"
#include "app/AppWindows.h"
#include "common/Clock.h"
#include "layouts/LayoutLocations.h"
#include "layouts/PrintPlan.h"
#include "shell/ui/TEinstellungen.h"
#include "layouts/ui/PrintConfirmation.h"
#include "layouts/ui/VisitPrinter.h"
#include "common/ui/MessageBoxes.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTest>
#include <optional>

using namespace lobrix;
using namespace lobrix::layouts;
using namespace lobrix::test;

namespace {

// The queue scripts/cups-test-queue sets up: every job lands in one PDF file.
const QString kQueue = QStringLiteral("PDFFILE");
const QString kOutput = QStringLiteral("/tmp/cupsout/out.pdf");

// No job of the queue is waiting or printing.
bool spoolerIdle()
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), kQueue});
    return lpstat.waitForFinished(10000) && lpstat.exitCode() == 0 &&
           lpstat.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

// Printing through a real CUPS scheduler: the system's printer list and a job that goes
// through the spooler into the queue's file.
class CupsPrintTest : public QObject
{
    Q_OBJECT

    std::optional<TestInstallation> m_install;
    QStringList m_dialogPrinters; // the printer each print dialog was shown for
    QList<ui::MessageRecord> m_messages;

    int queuePosition() const { return QPrinterInfo::availablePrinterNames().indexOf(kQueue); }

    // Waits for earlier jobs, then clears the queue's file.
    void clearOutput()
    {
        QTRY_VERIFY_WITH_TIMEOUT(spoolerIdle(), 60000);
        if (QFile::exists(kOutput))
            QVERIFY2(QFile::remove(kOutput), qPrintable(kOutput));
    }

    // The queue's file once the job has gone through.
    void waitForOutput()
    {
        QTRY_VERIFY_WITH_TIMEOUT(spoolerIdle() && QFileInfo(kOutput).size() > 0, 60000);
    }

private slots:
    // Skipped per test, not in initTestCase: a class skipped there keeps the classes
    // after it in the same executable from running.
    void init()
    {
        if (!QPrinterInfo::availablePrinterNames().contains(kQueue))
            QSKIP("Keine CUPS-Warteschlange PDFFILE: scripts/cups-test-queue richtet sie als "
                  "root ein (CI=true oder --force); ohne laufenden cupsd entfällt dieser Test.");
        if (!QFileInfo(QFileInfo(kOutput).path()).isWritable())
            QSKIP("/tmp/cupsout ist nicht beschreibbar");
        m_install.emplace(1);
        m_dialogPrinters.clear();
        m_messages.clear();
        PrintConfirmation::setHook([this](QPrinter &printer, QWidget *) {
            m_dialogPrinters << printer.printerName();
            return true;
        });
        ui::MessageBoxes::setHooks([this](const ui::MessageRecord &m) { m_messages << m; },
                                      [](const ui::MessageRecord &) { return false; });
    }
    void cleanup()
    {
        PrintConfirmation::setHook({});
        ui::MessageBoxes::setHooks({}, {});
        m_install.reset();
    }

    void printerListShowsTheQueue()
    {
        const PrinterList list = VisitPrinter::systemPrinters();
        QCOMPARE(list.names(), QPrinterInfo::availablePrinterNames());
        QCOMPARE(list.at(queuePosition()), kQueue);
        QCOMPARE(list.defaultName(), QPrinterInfo::defaultPrinterName());
    }

    // The settings dialog offers the system's printers in the order printing counts them:
    // the queue picked there is the one the next visitor sheet goes to.
    void settingsDialogListsTheQueue()
    {
        FixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(8, 30)));
        app::AppWindows windows(m_install->startFolder(), clock);
        shell::TEinstellungen &dialog = *windows.einstellungen;
        dialog.prepareSettings();
        for (const char *name : {"cbxDrucker1", "cbxDrucker2"}) {
            auto *box = dialog.findChild<QComboBox *>(QString::fromLatin1(name));
            QStringList offered;
            for (int i = 0; i < box->count(); ++i)
                offered << box->itemText(i);
            QCOMPARE(offered, QPrinterInfo::availablePrinterNames());
        }
        auto *box = dialog.findChild<QComboBox *>(QStringLiteral("cbxDrucker1"));
        box->setCurrentIndex(box->findText(kQueue));
        dialog.save();
        const PrintPlan plan = PrintPlan::visitorSheet(m_install->startFolder());
        QCOMPARE(VisitPrinter::systemPrinters().at(plan.printerPosition), kQueue);
    }

    void visitorSheetGoesThroughTheSpooler()
    {
        writePrintSettings(m_install->startFolder(), {{QStringLiteral("Options/Printer1"),
                                                       QString::number(queuePosition())}});
        writePrintLayout(LayoutLocations::visitorSheet(m_install->startFolder()),
                         LayoutFamily::VisitorSheet, true,
                         {printLabel(1, 50, 50, QStringLiteral("Besuchsbestätigung")),
                          printLabel(2, 50, 120, QString(), fields::Name),
                          printLabel(3, 50, 160, QString(), fields::Firma),
                          printLabel(4, 50, 200, QString(), fields::VORGANG)});
        clearOutput();
        QStringList status;
        VisitPrinter printer(m_install->startFolder(), m_install->databaseFolder());
        printer.setStatusLine([&](const QString &text) { status << text; });

        QCOMPARE(printer.requestVisitorSheet(nullptr, printedVisit()),
                 VisitPrinter::Result::Printed);

        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0).text));
        QCOMPARE(m_dialogPrinters, QStringList(kQueue));
        QCOMPARE(status.value(0), QStringLiteral("Drucke Bestätigung auf PDFFILE"));
        waitForOutput();
        const QString text = pdfText(kOutput);
        for (const QString &expected :
             {QStringLiteral("Besuchsbestätigung"), QStringLiteral("Müller"),
              QStringLiteral("Straßenbau Öhringen"), QStringLiteral("4711")})
            QVERIFY2(text.contains(expected),
                     qPrintable(expected + QStringLiteral(" in: ") + text));
    }

    // Printer2 = -1: the system's default printer.
    void badgeOnTheDefaultPrinter()
    {
        if (QPrinterInfo::defaultPrinterName() != kQueue)
            QSKIP("PDFFILE ist nicht der Standarddrucker");
        writePrintSettings(m_install->startFolder(),
                           {{QStringLiteral("Options/Printer2"), QStringLiteral("-1")},
                            {QStringLiteral("Options/AusweisBreite"), QStringLiteral("54")},
                            {QStringLiteral("Options/AusweisHoehe"), QStringLiteral("86")}});
        writePrintLayout(LayoutLocations::standardBadge(m_install->startFolder()),
                         LayoutFamily::Badge, false,
                         {printLabel(1, 20, 20, QStringLiteral("BESUCHER")),
                          printLabel(2, 20, 120, QString(), fields::Name)});
        clearOutput();

        VisitPrinter printer(m_install->startFolder(), m_install->databaseFolder());
        QCOMPARE(printer.requestBadge(nullptr, printedVisit()), VisitPrinter::Result::Printed);

        QCOMPARE(m_dialogPrinters, QStringList(kQueue));
        waitForOutput();
        const QString text = pdfText(kOutput);
        QVERIFY2(text.contains(QStringLiteral("BESUCHER")) &&
                     text.contains(QStringLiteral("Müller, Jürgen")),
                 qPrintable(text));
        // The paper is the queue's business: the generic PDF driver knows no card sizes
        // and fits the job onto its default paper. The card size itself is checked on PDF.
    }
};

LOBRIX_TEST(CupsPrintTest)
#include "CupsPrintTest.moc"

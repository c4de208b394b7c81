#include "layouts/ui/VisitPrinter.h"

#include "../PrintFixtures.h"
#include "PdfProbe.h"
#include "PrintHooks.h"
#include "TestInstallation.h"
#include "TestRegistry.h"
#include "data/DbfCursor.h"
#include "data/DefaultStructure.h"
#include "layouts/LayoutLocations.h"
#include "layouts/ui/PrintConfirmation.h"
#include "common/ui/Desktop.h"
#include "common/ui/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <optional>

using namespace lobrix;
using namespace lobrix::layouts;
using namespace lobrix::test;

using Result = VisitPrinter::Result;
using Settings = PrintSettings;
Q_DECLARE_METATYPE(LayoutFamily)

namespace {

// 86 x 54 mm in points.
const QSizeF kCardLandscape(243.78, 153.07);

LayoutLabel boundLabel(int slot, int left, int top, const char *feld)
{
    return printLabel(slot, left, top, QString(), feld);
}

LayoutLabel captionLabel(int slot, int left, int top, const QString &caption)
{
    return printLabel(slot, left, top, caption);
}

bool sameSize(QSizeF a, QSizeF b)
{
    return qAbs(a.width() - b.width()) < 1 && qAbs(a.height() - b.height()) < 1;
}

} // namespace

// Printing a visit's visitor sheet and badge from the visit form: printers by position,
// the print dialog as confirmation, page set-up, status line, and external printing.
class VisitPrinterTest : public QObject
{
    Q_OBJECT

    std::optional<TestInstallation> m_install;
    QWidget *m_form = nullptr;
    QStringList m_status; // the texts the status line got

    std::optional<PrintHooks> m_hooks;

    void writeSettings(const Settings &settings)
    {
        writePrintSettings(m_install->startFolder(), settings);
    }
    static void writeLayout(const QString &path, LayoutFamily family, bool portrait,
                            const QList<LayoutLabel> &labels)
    {
        writePrintLayout(path, family, portrait, labels);
    }

    VisitPrinter printer()
    {
        VisitPrinter p(m_install->startFolder(), m_install->databaseFolder());
        p.setStatusLine([this](const QString &text) { m_status << text; });
        return p;
    }

    Result request(LayoutFamily family, const PrintedVisit &visit = printedVisit())
    {
        VisitPrinter p = printer();
        return family == LayoutFamily::Badge ? p.requestBadge(m_form, visit)
                                             : p.requestVisitorSheet(m_form, visit);
    }

    QString printTableName() const
    {
        data::DbfCursor cursor(m_install->startFolder(),
                               QString::fromLatin1(data::DefaultStructure::kPrintTable));
        return cursor.first() ? cursor.value(QStringLiteral("Name")) : QString();
    }

private slots:
    void init()
    {
        m_install.emplace(1);
        m_hooks.emplace(m_install->root());
        m_status.clear();

        m_form = new QWidget;
        m_form->show();

        writeSettings({{QStringLiteral("Options/Printer1"), QStringLiteral("0")},
                       {QStringLiteral("Options/Printer2"), QStringLiteral("1")},
                       {QStringLiteral("Options/AusweisBreite"), QStringLiteral("54")},
                       {QStringLiteral("Options/AusweisHoehe"), QStringLiteral("86")},
                       {QStringLiteral("Options/HochQuer"), QStringLiteral("0")}});
        writeLayout(LayoutLocations::visitorSheet(m_install->startFolder()),
                    LayoutFamily::VisitorSheet, true,
                    {captionLabel(1, 50, 20, QStringLiteral("Besuchsbestätigung")),
                     boundLabel(2, 50, 100, fields::Name), boundLabel(3, 50, 140, fields::Firma),
                     boundLabel(4, 50, 180, fields::VORGANG)});
        writeLayout(
            LayoutLocations::standardBadge(m_install->startFolder()), LayoutFamily::Badge, false,
            {captionLabel(1, 20, 20, QStringLiteral("STANDARD")),
             boundLabel(2, 20, 120, fields::Name), boundLabel(3, 20, 220, fields::Ausweis)});
    }

    void cleanup()
    {
        m_hooks.reset();
        delete m_form;
        m_form = nullptr;
        m_install.reset();
    }

    void visitorSheetPrintsTheVisit()
    {
        m_hooks->printers.prepend(QStringLiteral("Büro"));
        writeSettings({{QStringLiteral("Options/Printer1"), QStringLiteral("1")}});

        QCOMPARE(request(LayoutFamily::VisitorSheet), Result::Printed);

        QVERIFY2(m_hooks->messages.isEmpty(), qPrintable(m_hooks->messages.value(0).text));
        // The dialog printer and the sheet's own printer, both the Printer1 printer.
        QCOMPARE(m_hooks->attached,
                 QStringList({QStringLiteral("Empfang"), QStringLiteral("Empfang")}));
        QCOMPARE(m_hooks->dialogs.size(), 1);
        QCOMPARE(m_hooks->dialogs.first().docName, QStringLiteral("Besucherschein"));
        QCOMPARE(m_hooks->dialogs.first().orientation, QPageLayout::Portrait);
        QCOMPARE(m_hooks->dialogs.first().copies, 1);
        QCOMPARE(m_hooks->printedFiles(), QStringList(QFileInfo(m_hooks->outputOf(1)).fileName()));

        const QString text = pdfText(m_hooks->outputOf(1));
        for (const QString &expected :
             {QStringLiteral("Besuchsbestätigung"), QStringLiteral("Müller"),
              QStringLiteral("Straßenbau Öhringen"), QStringLiteral("4711")})
            QVERIFY2(text.contains(expected),
                     qPrintable(expected + QStringLiteral(" in: ") + text));
        QVERIFY2(!text.contains(QStringLiteral("Jürgen")), qPrintable(text)); // sheet: surname only
        const auto info = pdfInfo(m_hooks->outputOf(1));
        QCOMPARE(info.value(QStringLiteral("Title")), QStringLiteral("Besucherschein"));
        QCOMPARE(info.value(QStringLiteral("Pages")), QStringLiteral("1"));
        const QSizeF page = pdfPageSize(m_hooks->outputOf(1));
        QVERIFY2(page.height() > page.width(), qPrintable(info.value(QStringLiteral("Page size"))));

        // Shown with the printer's name while printing, hidden afterwards.
        QCOMPARE(m_status,
                 QStringList({QStringLiteral("Drucke Bestätigung auf Empfang"), QString()}));
    }

    // The dialog only confirms the visitor sheet, which keeps to the Printer1 printer; the
    // badge goes where the dialog sends it.
    void whereTheDialogSendsThePrint_data()
    {
        QTest::addColumn<LayoutFamily>("family");
        QTest::addColumn<bool>("followsDialog");
        QTest::newRow("visitor sheet") << LayoutFamily::VisitorSheet << false;
        QTest::newRow("badge") << LayoutFamily::Badge << true;
    }
    void whereTheDialogSendsThePrint()
    {
        QFETCH(LayoutFamily, family);
        QFETCH(bool, followsDialog);
        const QString chosen = QDir(m_install->root()).filePath(QStringLiteral("gewaehlt.pdf"));
        m_hooks->clerkChanges = [&](QPrinter &p) { p.setOutputFileName(chosen); };

        QCOMPARE(request(family), Result::Printed);

        QCOMPARE(m_hooks->printedFiles().size(), 1);
        QCOMPARE(QFile::exists(chosen), followsDialog);
        const QString printed =
            followsDialog ? chosen : m_hooks->outputOf(m_hooks->attached.size() - 1);
        QVERIFY(pdfText(printed).contains(QStringLiteral("Müller")));
    }

    // The card is the paper; HochQuer turns the printer, never the card's content.
    void badgePage_data()
    {
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<QString>("hochQuer");
        QTest::addColumn<QSizeF>("page");
        QTest::newRow("landscape card") << false << "0" << kCardLandscape;
        QTest::newRow("portrait card") << true << "0" << kCardLandscape.transposed();
        QTest::newRow("landscape card, HochQuer") << false << "1" << kCardLandscape.transposed();
        QTest::newRow("portrait card, HochQuer") << true << "1" << kCardLandscape;
    }
    void badgePage()
    {
        QFETCH(bool, portrait);
        QFETCH(QString, hochQuer);
        QFETCH(QSizeF, page);
        writeSettings({{QStringLiteral("Options/HochQuer"), hochQuer}});
        writeLayout(LayoutLocations::standardBadge(m_install->startFolder()), LayoutFamily::Badge,
                    portrait, {boundLabel(1, 5, 5, fields::Name)});

        QCOMPARE(request(LayoutFamily::Badge), Result::Printed);

        QCOMPARE(m_hooks->attached, QStringList(QStringLiteral("Karten")));
        QCOMPARE(m_hooks->dialogs.size(), 1);
        QCOMPARE(m_hooks->dialogs.first().docName, QStringLiteral("Besucherausweis"));
        QCOMPARE(m_hooks->dialogs.first().orientation,
                 page.width() > page.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
        const QString pdf = m_hooks->outputOf(0);
        QVERIFY2(sameSize(pdfPageSize(pdf), page), qPrintable(pdfInfo(pdf).value("Page size")));
        QCOMPARE(pdfInfo(pdf).value(QStringLiteral("Title")), QStringLiteral("Besucherausweis"));
        QVERIFY2(pdfText(pdf).contains(QStringLiteral("Müller, Jürgen")), qPrintable(pdfText(pdf)));
        QCOMPARE(m_status, QStringList({QStringLiteral("Drucke Ausweis auf Karten"), QString()}));
    }

    void printerPositions_data()
    {
        QTest::addColumn<LayoutFamily>("family");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("printer");
        QTest::newRow("sheet on the second printer") << LayoutFamily::VisitorSheet << "1"
                                                     << "Karten";
        QTest::newRow("sheet on the default printer") << LayoutFamily::VisitorSheet << "-1"
                                                      << "Karten";
        QTest::newRow("badge on the first printer") << LayoutFamily::Badge << "0"
                                                    << "Empfang";
        QTest::newRow("badge on the default printer") << LayoutFamily::Badge << "-1"
                                                      << "Karten";
    }
    void printerPositions()
    {
        QFETCH(LayoutFamily, family);
        QFETCH(QString, position);
        QFETCH(QString, printer);
        const bool badge = family == LayoutFamily::Badge;
        writeSettings(
            {{badge ? QStringLiteral("Options/Printer2") : QStringLiteral("Options/Printer1"),
              position}});
        QCOMPARE(request(family), Result::Printed);
        QVERIFY(!m_hooks->attached.isEmpty());
        QCOMPARE(QSet<QString>(m_hooks->attached.begin(), m_hooks->attached.end()),
                 QSet<QString>({printer}));
        QCOMPARE(m_status.size(), 2);
        QVERIFY2(m_status.first().endsWith(QStringLiteral(" auf ") + printer),
                 qPrintable(m_status.first()));
    }

    // A position that names no printer is refused with a message; nothing is printed and
    // no dialog asks first.
    void refusedPrinterPosition_data()
    {
        QTest::addColumn<LayoutFamily>("family");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QStringList>("printers");
        QTest::addColumn<QString>("defaultPrinter");
        const QStringList two{QStringLiteral("Empfang"), QStringLiteral("Karten")};
        QTest::newRow("sheet beyond the list")
            << LayoutFamily::VisitorSheet << "2" << two << "Karten";
        QTest::newRow("badge beyond the list") << LayoutFamily::Badge << "5" << two << "Karten";
        QTest::newRow("below -1") << LayoutFamily::Badge << "-2" << two << "Karten";
        QTest::newRow("no default printer") << LayoutFamily::VisitorSheet << "-1" << two << "";
        QTest::newRow("no printer installed")
            << LayoutFamily::VisitorSheet << "0" << QStringList() << "";
    }
    void refusedPrinterPosition()
    {
        QFETCH(LayoutFamily, family);
        QFETCH(QString, position);
        QFETCH(QStringList, printers);
        QFETCH(QString, defaultPrinter);
        m_hooks->printers = printers;
        m_hooks->defaultPrinter = defaultPrinter;
        writeSettings({{family == LayoutFamily::Badge ? QStringLiteral("Options/Printer2")
                                                      : QStringLiteral("Options/Printer1"),
                        position}});

        QCOMPARE(request(family), Result::Failed);

        QCOMPARE(m_hooks->messages.size(), 1);
        QVERIFY2(
            m_hooks->messages.first().text.endsWith(QStringLiteral("Es wurde nichts gedruckt.")),
            qPrintable(m_hooks->messages.first().text));
        QVERIFY(m_hooks->dialogs.isEmpty());
        QVERIFY(m_hooks->attached.isEmpty());
        QVERIFY(m_hooks->printedFiles().isEmpty());
        QVERIFY(m_status.isEmpty());
    }

    void cancelledDialogPrintsNothing_data()
    {
        QTest::addColumn<LayoutFamily>("family");
        QTest::newRow("visitor sheet") << LayoutFamily::VisitorSheet;
        QTest::newRow("badge") << LayoutFamily::Badge;
    }
    void cancelledDialogPrintsNothing()
    {
        QFETCH(LayoutFamily, family);
        m_hooks->accept = false;
        QCOMPARE(request(family), Result::Cancelled);
        QCOMPARE(m_hooks->dialogs.size(), 1);
        QVERIFY(m_hooks->printedFiles().isEmpty());
        QVERIFY(m_hooks->messages.isEmpty());
        QVERIFY(m_status.isEmpty());
    }

    // The badge type chosen in the form picks the layout; without one the standard badge
    // of the start folder prints.
    void badgeTypeChoosesTheLayout_data()
    {
        QTest::addColumn<QString>("badgeType");
        QTest::addColumn<QString>("printed");
        QTest::newRow("badge type") << "Ausweis Gast"
                                    << "GAST";
        QTest::newRow("no badge type") << ""
                                       << "STANDARD";
    }
    void badgeTypeChoosesTheLayout()
    {
        QFETCH(QString, badgeType);
        QFETCH(QString, printed);
        writeLayout(QDir(m_install->databaseFolder()).filePath(QStringLiteral("Ausweis Gast.ini")),
                    LayoutFamily::Badge, false, {captionLabel(1, 20, 20, QStringLiteral("GAST"))});
        PrintedVisit visit = printedVisit();
        visit.badgeType = badgeType;

        QCOMPARE(request(LayoutFamily::Badge, visit), Result::Printed);

        const QString text = pdfText(m_hooks->outputOf(0));
        QVERIFY2(text.contains(printed), qPrintable(text));
        QCOMPARE(text.contains(QStringLiteral("GAST")), printed == QStringLiteral("GAST"));
        QCOMPARE(text.contains(QStringLiteral("STANDARD")), printed == QStringLiteral("STANDARD"));
    }

    // A missing layout still makes its (empty) page.
    void missingLayoutPrintsAnEmptyPage()
    {
        QVERIFY(QFile::remove(LayoutLocations::visitorSheet(m_install->startFolder())));
        QCOMPARE(request(LayoutFamily::VisitorSheet), Result::Printed);
        const QString pdf = m_hooks->outputOf(m_hooks->attached.size() - 1);
        QCOMPARE(pdfInfo(pdf).value(QStringLiteral("Pages")), QStringLiteral("1"));
        QVERIFY(pdfText(pdf).trimmed().isEmpty());
    }

    // [Druck] Extern: the print table gets the visit, then the desktop opens the document;
    // no printer and no dialog are involved.
    void externalPrint_data()
    {
        QTest::addColumn<LayoutFamily>("family");
        QTest::addColumn<QString>("pfad");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<bool>("openSucceeds");
        QTest::addColumn<bool>("opened");
        QTest::newRow("sheet document")
            << LayoutFamily::VisitorSheet << "Schein.odt" << true << true << true;
        QTest::newRow("badge document")
            << LayoutFamily::Badge << "Karte.odt" << true << true << true;
        QTest::newRow("no document set")
            << LayoutFamily::VisitorSheet << "" << false << true << false;
        QTest::newRow("document missing")
            << LayoutFamily::Badge << "Fehlt.odt" << false << true << false;
        QTest::newRow("desktop cannot open it")
            << LayoutFamily::VisitorSheet << "Schein.odt" << true << false << false;
    }
    void externalPrint()
    {
        QFETCH(LayoutFamily, family);
        QFETCH(QString, pfad);
        QFETCH(bool, fileExists);
        QFETCH(bool, openSucceeds);
        QFETCH(bool, opened);
        const bool badge = family == LayoutFamily::Badge;
        // The other document's key is set too, so a mix-up shows.
        writeSettings({{QStringLiteral("Druck/Extern"), QStringLiteral("1")},
                       {badge ? QStringLiteral("AusweisdruckExtern/Pfad")
                              : QStringLiteral("BesucherscheinExtern/Pfad"),
                        pfad},
                       {badge ? QStringLiteral("BesucherscheinExtern/Pfad")
                              : QStringLiteral("AusweisdruckExtern/Pfad"),
                        QStringLiteral("Falsch.odt")}});
        const QString document = QDir(m_install->startFolder()).filePath(pfad);
        QFile::remove(QDir(m_install->startFolder()).filePath(QStringLiteral("Falsch.odt")));
        if (fileExists) {
            QFile file(document);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        m_hooks->openSucceeds = openSucceeds;

        QCOMPARE(request(family), opened ? Result::Opened : Result::Failed);

        QCOMPARE(printTableName(), QStringLiteral("Müller"));
        QVERIFY(m_hooks->dialogs.isEmpty());
        QVERIFY(m_hooks->attached.isEmpty());
        QVERIFY(m_status.isEmpty());
        if (opened) {
            QCOMPARE(m_hooks->opened, QList<QUrl>({QUrl::fromLocalFile(document)}));
            QVERIFY(m_hooks->messages.isEmpty());
        } else {
            QCOMPARE(m_hooks->opened.size(), fileExists ? 1 : 0);
            QCOMPARE(m_hooks->messages.size(), 1);
            QCOMPARE(m_hooks->messages.first().text,
                     QStringLiteral("Datei '") + pfad +
                         QStringLiteral("' konnte nicht geöffnet werden."));
        }
    }

    // A visit the print table cannot take is not handed to the document, which would
    // otherwise print the previous visitor.
    void externalPrintStopsWhenTheTableRefuses()
    {
        writeSettings(
            {{QStringLiteral("Druck/Extern"), QStringLiteral("1")},
             {QStringLiteral("BesucherscheinExtern/Pfad"), QStringLiteral("Schein.odt")}});
        QFile file(QDir(m_install->startFolder()).filePath(QStringLiteral("Schein.odt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        PrintedVisit visit = printedVisit();
        visit.values.set(QString::fromLatin1(fields::Name), QStringLiteral("Kőfaragó"));

        QCOMPARE(request(LayoutFamily::VisitorSheet, visit), Result::Failed);

        QVERIFY(m_hooks->opened.isEmpty());
        QCOMPARE(m_hooks->messages.size(), 1);
        QVERIFY2(m_hooks->messages.first().text.contains(QStringLiteral("'ő'")),
                 qPrintable(m_hooks->messages.first().text));
        QCOMPARE(printTableName(), QString());
    }

    // The real print dialog: its "Vorschau" shows the page as it will print, and
    // cancelling afterwards still prints nothing.
    void dialogPreviewShowsThePage()
    {
        PrintConfirmation::setHook({});
        bool previewSeen = false;
        int pages = 0;
        QPageLayout::Orientation shownOrientation = QPageLayout::Portrait;
        int darkPixels = 0;
        QString failure;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            auto *btnVorschau =
                dialog ? dialog->findChild<QPushButton *>(QStringLiteral("btnVorschau")) : nullptr;
            if (!btnVorschau) {
                failure = QStringLiteral("no print dialog with btnVorschau");
                if (dialog)
                    dialog->reject();
                return;
            }
            QTimer::singleShot(0, this, [&] {
                auto *preview =
                    qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
                auto *widget = preview ? preview->findChild<QPrintPreviewWidget *>() : nullptr;
                if (widget) {
                    previewSeen = true;
                    widget->setZoomMode(QPrintPreviewWidget::FitToWidth);
                    pages = widget->pageCount();
                    shownOrientation = widget->orientation();
                    // Dark pixels on the white page, not in its shadow.
                    const QImage shot = widget->grab().toImage();
                    QRect pageBox;
                    for (int y = 0; y < shot.height(); ++y)
                        for (int x = 0; x < shot.width(); ++x)
                            if (shot.pixel(x, y) == qRgb(255, 255, 255))
                                pageBox |= QRect(x, y, 1, 1);
                    for (int y = pageBox.top(); y <= pageBox.bottom(); ++y)
                        for (int x = pageBox.left(); x <= pageBox.right(); ++x)
                            darkPixels += qGray(shot.pixel(x, y)) < 100;
                }
                if (preview)
                    preview->reject();
                QTimer::singleShot(0, dialog, &QDialog::reject);
            });
            btnVorschau->click();
        });
        writeLayout(LayoutLocations::standardBadge(m_install->startFolder()), LayoutFamily::Badge,
                    false, {captionLabel(1, 10, 10, QStringLiteral("MMMMMMMMMM"))});

        QCOMPARE(request(LayoutFamily::Badge), Result::Cancelled);

        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(previewSeen);
        QCOMPARE(pages, 1);
        QCOMPARE(shownOrientation, QPageLayout::Landscape);
        QVERIFY2(darkPixels > 20, qPrintable(QString::number(darkPixels)));
        QVERIFY(m_hooks->printedFiles().isEmpty());
    }
};

LOBRIX_TEST(VisitPrinterTest)
#include "VisitPrinterTest.moc"

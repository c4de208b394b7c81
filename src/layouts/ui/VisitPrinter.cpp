#include "layouts/ui/VisitPrinter.h"

#include "common/FileModes.h"
#include "common/Error.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutRenderer.h"
#include "layouts/PrintPlan.h"
#include "layouts/PrintTable.h"
#include "layouts/PrintedVisit.h"
#include "layouts/ui/PrintConfirmation.h"
#include "common/ui/Desktop.h"
#include "common/ui/MessageBoxes.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QUrl>

namespace lobrix::layouts {
namespace {

VisitPrinter::Hooks &hooks()
{
    static VisitPrinter::Hooks h;
    return h;
}

Layout readLayout(const PrintPlan &plan)
{
    return LayoutFile(plan.layoutPath, plan.family).read();
}

// Title, orientation and, for a badge, the card as the paper. Margins as small as the
// printer allows, so layout coordinates start at the corner of the printable area.
void setUp(QPrinter &printer, const PrintPlan &plan, const Layout &layout)
{
    printer.setDocName(plan.documentTitle());
    if (const QPageSize card = plan.pageSize(); card.isValid())
        printer.setPageSize(card);
    printer.setPageOrientation(plan.orientation(layout));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

PrintConfirmation::Paint painterFor(const PrintPlan &plan, const Layout &layout,
                                    const PrintedVisit &visit)
{
    return [&plan, &layout, &visit](QPainter &painter) {
        LayoutRenderer::render(painter, layout, &visit.values, plan.options);
    };
}

// Runs a print; an error of the tables or files is told to the clerk instead of thrown.
template <typename Print> VisitPrinter::Result reported(QWidget *parent, Print print)
{
    try {
        return print();
    } catch (const Error &e) {
        ui::MessageBoxes::error(parent, e.message());
        return VisitPrinter::Result::Failed;
    }
}

} // namespace

VisitPrinter::VisitPrinter(QString startFolder, QString databaseFolder)
    : m_startFolder(std::move(startFolder)), m_databaseFolder(std::move(databaseFolder))
{
}

PrinterList VisitPrinter::systemPrinters()
{
    if (hooks().printers)
        return hooks().printers();
    return PrinterList(QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName());
}

void VisitPrinter::setHooks(Hooks h)
{
    hooks() = std::move(h);
}

VisitPrinter::Result VisitPrinter::requestVisitorSheet(QWidget *parent, const PrintedVisit &visit)
{
    return reported(parent,
                    [&] { return request(parent, PrintPlan::visitorSheet(m_startFolder), visit); });
}

VisitPrinter::Result VisitPrinter::requestBadge(QWidget *parent, const PrintedVisit &visit)
{
    return reported(parent, [&] {
        return request(parent, PrintPlan::badge(m_startFolder, m_databaseFolder, visit.badgeType),
                       visit);
    });
}

VisitPrinter::Result VisitPrinter::PrintVisitorSheet(QWidget *parent, const PrintedVisit &visit)
{
    return reported(parent, [&] {
        const PrintPlan plan = PrintPlan::visitorSheet(m_startFolder);
        QPrinter printer(QPrinter::HighResolution);
        QString printerName;
        if (!attachPrinter(parent, plan, printer, printerName))
            return Result::Failed;
        return printPage(parent, plan, readLayout(plan), printer, printerName, visit);
    });
}

VisitPrinter::Result VisitPrinter::PrintBadge(QWidget *parent, QPrinter &printer,
                                              const QString &printerName, const PrintedVisit &visit)
{
    return reported(parent, [&] {
        const PrintPlan plan = PrintPlan::badge(m_startFolder, m_databaseFolder, visit.badgeType);
        return printPage(parent, plan, readLayout(plan), printer, printerName, visit);
    });
}

VisitPrinter::Result VisitPrinter::request(QWidget *parent, const PrintPlan &plan,
                                           const PrintedVisit &visit)
{
    if (plan.external)
        return printExternally(parent, plan, visit);
    const Layout layout = readLayout(plan);
    QPrinter printer(QPrinter::HighResolution);
    QString printerName;
    if (!attachPrinter(parent, plan, printer, printerName))
        return Result::Failed;
    setUp(printer, plan, layout);
    if (!PrintConfirmation::confirm(parent, printer, painterFor(plan, layout, visit)))
        return Result::Cancelled;
    // The dialog only confirms the visitor sheet, which prints on a printer of its own.
    if (plan.family == LayoutFamily::VisitorSheet)
        return PrintVisitorSheet(parent, visit);
    return printPage(parent, plan, layout, printer, printerName, visit);
}

VisitPrinter::Result VisitPrinter::printExternally(QWidget *parent, const PrintPlan &plan,
                                                   const PrintedVisit &visit)
{
    // Without the row the document would print the previous visitor's values.
    PrintTable::FillPrintTable(m_startFolder, visit);
    const QString file = plan.externalDocumentFile();
    // An empty or missing name fails as the desktop would; opening the start folder
    // instead would help nobody.
    if (file.isEmpty() || !QFileInfo::exists(file) ||
        !ui::Desktop::open(QUrl::fromLocalFile(file))) {
        ui::MessageBoxes::show(parent, QStringLiteral("Datei '") + plan.externalDocument +
                                              QStringLiteral("' konnte nicht geöffnet werden."));
        return Result::Failed;
    }
    return Result::Opened;
}

bool VisitPrinter::attachPrinter(QWidget *parent, const PrintPlan &plan, QPrinter &printer,
                                 QString &printerName) const
{
    try {
        printerName = systemPrinters().at(plan.printerPosition);
    } catch (const Error &e) {
        ui::MessageBoxes::error(parent, e.message());
        return false;
    }
    if (hooks().attach)
        hooks().attach(printer, printerName);
    else
        printer.setPrinterName(printerName);
    return true;
}

VisitPrinter::Result VisitPrinter::printPage(QWidget *parent, const PrintPlan &plan,
                                             const Layout &layout, QPrinter &printer,
                                             const QString &printerName, const PrintedVisit &visit)
{
    setUp(printer, plan, layout);
    const bool named =
        printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
    const QString shownName = named ? printer.printerName() : printerName;
    showStatus(plan.statusText(shownName));

    QPainter painter;
    const bool begun = painter.begin(&printer);
    if (begun)
        LayoutRenderer::render(painter, layout, &visit.values, plan.options);
    const bool done = begun && painter.end();
    FileModes::settlePrinted(printer.outputFileName());
    showStatus(QString());
    if (!done) {
        ui::MessageBoxes::error(
            parent, begun ? QStringLiteral("Der Druck auf '%1' ist fehlgeschlagen.").arg(shownName)
                          : QStringLiteral("Der Drucker '%1' kann nicht drucken. Es wurde "
                                           "nichts gedruckt.")
                                .arg(shownName));
        return Result::Failed;
    }
    return Result::Printed;
}

void VisitPrinter::showStatus(const QString &text) const
{
    if (m_statusLine)
        m_statusLine(text);
}

} // namespace lobrix::layouts

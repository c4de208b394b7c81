#pragma once
// Prints the visitor sheet and the badge of the visit the visit form shows, as its
// buttons "&Besuchsbestätigung" (btnBestaetigungClick) and "&Ausweis drucken"
// (btnAusweisClick) and the automatic sheet after an arrival is saved ask for it.
//
// Either externally ([Druck] Extern): the visit goes into BesucherDruck.dbf and the
// desktop opens the customer's document; or from the layout files on the printers that
// settings.ini names by position, after the print dialog confirmed. Nothing here throws:
// every problem is told to the clerk and the result says what happened, so a caller that
// has just saved a visit never loses the save to a print problem.
#include "layouts/PrinterList.h"

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace lobrix::layouts {

struct Layout;
struct PrintPlan;
struct PrintedVisit;

class VisitPrinter
{
public:
    enum class Result {
        Printed,   // the page went to the printer
        Opened,    // external: the print table is written and the document opened
        Cancelled, // the clerk cancelled the print dialog; nothing changed
        Failed     // the clerk has been told why; nothing was printed
    };

    VisitPrinter(QString startFolder, QString databaseFolder);

    // The visit form's status line lbDrucker: gets "Drucke ... auf <printer>" before a page
    // prints (shown and repainted) and an empty text (hidden) when it is done.
    using StatusLine = std::function<void(const QString &)>;
    void setStatusLine(StatusLine statusLine) { m_statusLine = std::move(statusLine); }

    // btnBestaetigungClick: the visitor sheet, external or through the print dialog. The
    // dialog only confirms: the sheet always prints on the Printer1 printer.
    Result requestVisitorSheet(QWidget *parent, const PrintedVisit &visit);
    // btnAusweisClick: the badge of the visit's badge type, external or through the print
    // dialog, which starts on the Printer2 printer and decides where the badge goes.
    Result requestBadge(QWidget *parent, const PrintedVisit &visit);

    // The visitor sheet on a printer of its own, set to Printer1, without a dialog.
    Result PrintVisitorSheet(QWidget *parent, const PrintedVisit &visit);
    // The badge on `printer` as the print dialog left it. `printerName` names the printer
    // in the status line when the printer has no name of its own (a file).
    Result PrintBadge(QWidget *parent, QPrinter &printer, const QString &printerName,
                      const PrintedVisit &visit);

    // The system's printers (QPrinterInfo), or what the test hook lists.
    static PrinterList systemPrinters();

    // Tests replace the system's printer list and the way a listed printer is attached to
    // a QPrinter (to print into a PDF file instead). Empty hooks restore the system's.
    struct Hooks {
        std::function<PrinterList()> printers;
        std::function<void(QPrinter &, const QString &printerName)> attach;
    };
    static void setHooks(Hooks hooks);

private:
    // The print request: external, or the print dialog and then the page.
    Result request(QWidget *parent, const PrintPlan &plan, const PrintedVisit &visit);
    Result printExternally(QWidget *parent, const PrintPlan &plan, const PrintedVisit &visit);
    // Attaches the printer at the plan's position; false (and the clerk told) when the
    // position names no printer.
    bool attachPrinter(QWidget *parent, const PrintPlan &plan, QPrinter &printer,
                       QString &printerName) const;
    Result printPage(QWidget *parent, const PrintPlan &plan, const Layout &layout,
                     QPrinter &printer, const QString &printerName, const PrintedVisit &visit);
    void showStatus(const QString &text) const;

    QString m_startFolder;
    QString m_databaseFolder;
    StatusLine m_statusLine;
};

} // namespace lobrix::layouts

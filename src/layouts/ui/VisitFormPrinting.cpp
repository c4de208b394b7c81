#include "layouts/ui/VisitFormPrinting.h"

#include "layouts/ui/VisitPrinter.h"

#include <QPointer>
#include <QWidget>

namespace lobrix::layouts {

registration::VisitPrintAction VisitFormPrinting::action(QString startFolder,
                                                         QString databaseFolder, QWidget *form)
{
    return [startFolder = std::move(startFolder), databaseFolder = std::move(databaseFolder),
            parent = QPointer<QWidget>(form)](const registration::VisitPrintRequest &request) {
        VisitPrinter printer(startFolder, databaseFolder);
        printer.setStatusLine(request.showStatus);
        const PrintedVisit visit = PrintedVisit::of(request);
        const VisitPrinter::Result result = request.kind == registration::PrintKind::Badge
                                                ? printer.requestBadge(parent, visit)
                                                : printer.requestVisitorSheet(parent, visit);
        return result == VisitPrinter::Result::Printed || result == VisitPrinter::Result::Opened;
    };
}

} // namespace lobrix::layouts

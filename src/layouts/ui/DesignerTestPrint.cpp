#include "layouts/ui/DesignerTestPrint.h"

#include "common/FileModes.h"
#include "common/ui/MessageBoxes.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutRenderOptions.h"
#include "layouts/LayoutRenderer.h"
#include "layouts/PrintPlan.h"
#include "layouts/ui/PrintConfirmation.h"

#include <QPainter>
#include <QPrinter>

namespace lobrix::layouts {

bool printDesignerTest(QWidget *parent, const QString &startFolder, const QString &workingCopy, const Layout &shown,
                       bool cardOutline, const std::function<void()> &writeCanvas)
{
    const LayoutFamily family = shown.family;
    PrintPlan plan;
    plan.family = family;
    plan.startFolder = startFolder;
    plan.options = LayoutRenderOptions::fromSettings(startFolder);
    plan.options.cardOutline = cardOutline && family == LayoutFamily::Badge;
    Layout layout = shown;

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(plan.documentTitle());
    if (const QPageSize card = plan.pageSize(); card.isValid())
        printer.setPageSize(card);
    printer.setPageOrientation(plan.orientation(layout));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    const auto paint = [&](QPainter &painter) { LayoutRenderer::render(painter, layout, nullptr, plan.options); };
    if (!PrintConfirmation::confirm(parent, printer, paint))
        return false;
    writeCanvas();
    layout = LayoutFile(workingCopy, family).read();
    printer.setPageOrientation(plan.orientation(layout));
    QPainter painter;
    if (!painter.begin(&printer)) {
        ui::MessageBoxes::error(parent, QStringLiteral("Der Drucker kann nicht drucken. Es wurde nichts gedruckt."));
        return false;
    }
    LayoutRenderer::render(painter, layout, nullptr, plan.options);
    const bool done = painter.end();
    FileModes::settlePrinted(printer.outputFileName());
    if (!done) {
        ui::MessageBoxes::error(parent, QStringLiteral("Der Testdruck ist fehlgeschlagen."));
        return false;
    }
    return true;
}

} // namespace lobrix::layouts

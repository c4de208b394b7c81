#include "layouts/ui/PrintConfirmation.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

namespace lobrix::layouts {
namespace {

PrintConfirmation::Hook &hook()
{
    static PrintConfirmation::Hook h;
    return h;
}

} // namespace

bool PrintConfirmation::confirm(QWidget *parent, QPrinter &printer, const Paint &paint)
{
    printer.setCopyCount(1);
    if (hook())
        return hook()(printer, parent);

    QPrintDialog dialog(&printer, parent);
    // Platforms with a dialog of their own have no button box to add to; they go without.
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>()) {
        QPushButton *btnVorschau =
            buttons->addButton(QStringLiteral("&Vorschau"), QDialogButtonBox::ActionRole);
        btnVorschau->setObjectName(QStringLiteral("btnVorschau"));
        QObject::connect(btnVorschau, &QPushButton::clicked, &dialog,
                         [&dialog, &printer, &paint] { preview(&dialog, printer, paint); });
    }
    return dialog.exec() == QDialog::Accepted;
}

void PrintConfirmation::preview(QWidget *parent, const QPrinter &printer, const Paint &paint)
{
    // A printer of its own, so the preview's page setup cannot change the print.
    QPrinter shown(QPrinter::HighResolution);
    if (printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty())
        shown.setPrinterName(printer.printerName());
    // One by one: a whole page layout is refused when a margin is below the printer's
    // minimum, where single margins are moved up to it.
    const QPageLayout page = printer.pageLayout();
    shown.setPageSize(page.pageSize());
    shown.setPageOrientation(page.orientation());
    shown.setPageMargins(page.margins(), page.units());
    shown.setFullPage(printer.fullPage());
    shown.setDocName(printer.docName());

    QPrintPreviewDialog dialog(&shown, parent);
    dialog.setObjectName(QStringLiteral("TVorschau"));
    dialog.setWindowTitle(QStringLiteral("Vorschau: ") + printer.docName());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter *target) {
                         QPainter painter(target);
                         paint(painter);
                     });
    dialog.exec();
}

void PrintConfirmation::setHook(Hook h)
{
    hook() = std::move(h);
}

} // namespace lobrix::layouts

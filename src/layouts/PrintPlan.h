#pragma once
// What one print of a visit's visitor sheet or badge will do, decided from settings.ini
// before any printer is touched. The keys are read at every print, so a change counts at
// the next one.
#include "layouts/LayoutFamily.h"
#include "layouts/LayoutRenderOptions.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>

namespace lobrix::layouts {

struct Layout;

struct PrintPlan {
    LayoutFamily family = LayoutFamily::VisitorSheet;
    QString startFolder;
    // [Druck] Extern: both documents are printed by opening a document of the customer's.
    bool external = false;
    // [BesucherscheinExtern] Pfad or [AusweisdruckExtern] Pfad, as read.
    QString externalDocument;
    // [Options] Printer1 (visitor sheet) or Printer2 (badge): a position in the printer list.
    int printerPosition = 0;
    // The visitor sheet layout, or the badge type's layout (the standard badge without one).
    QString layoutPath;
    LayoutRenderOptions options;

    static PrintPlan visitorSheet(const QString &startFolder);
    static PrintPlan badge(const QString &startFolder, const QString &databaseFolder,
                           const QString &badgeType);

    // "Besucherschein" or "Besucherausweis".
    QString documentTitle() const;
    // The status line of the visit form while the print runs.
    QString statusText(const QString &printerName) const;
    // The printer's orientation for this layout (a badge with HochQuer turns it).
    QPageLayout::Orientation orientation(const Layout &layout) const;
    // The badge card as a page, the 320-unit side (AusweisBreite) across in portrait. An
    // edge of 1 mm or less is the unset default: the result is invalid and the printer
    // keeps its paper. Always invalid for the visitor sheet, which prints on the
    // printer's paper.
    QPageSize pageSize() const;
    // The external document as a file: a relative name is taken in the start folder.
    // Empty when none is set.
    QString externalDocumentFile() const;
};

} // namespace lobrix::layouts

#pragma once
// The visit form's print buttons and its automatic visitor sheet, wired to the printers:
// the form's print request becomes the values a layout and the print table print.
#include "layouts/PrintedVisit.h"
#include "registration/VisitPrintRequest.h"

#include <QString>

class QWidget;

namespace lobrix::layouts {

class VisitFormPrinting
{
public:
    // The action for TBesucher::setPrintAction: true when the page went to the printer or
    // the external document was opened. Messages and dialogs belong to `form`.
    static registration::VisitPrintAction action(QString startFolder, QString databaseFolder,
                                                 QWidget *form);
};

} // namespace lobrix::layouts

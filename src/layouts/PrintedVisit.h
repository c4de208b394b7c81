#pragma once
// What the visit form hands the printers for the visit it shows: the values of its
// controls as a layout prints them, the information fields as the visit stores them, and
// the badge type chosen for the badge.
#include "layouts/VisitValues.h"

#include <QString>
#include <array>

namespace lobrix::registration {
struct VisitPrintRequest;
}

namespace lobrix::layouts {

struct PrintedVisit {
    // The form's print request as the layouts print it: "Name" the surname, "QUITTUNG"
    // "ja"/"nein", "InfoN" the caption of a ticked box; the print table keeps what the
    // visit stores.
    static PrintedVisit of(const registration::VisitPrintRequest &request);

    // Field key -> text as the form shows it ("Info1" ... "Info4": the caption when the
    // box is ticked), and the photo as the form displays it.
    VisitValues values;
    // Info1 ... Info4 as the visit is stored: true ("ja") for each information label that
    // is shown. The print table carries these, not the captions.
    std::array<bool, 4> infoStored{};
    // The date text a new visit is stored with (the form's date): the print table's Tag.
    QString formDate;
    // The selected entry of the badge type list (cbxAusweisTyp); empty when the list is
    // empty and the standard badge layout prints.
    QString badgeType;
};

} // namespace lobrix::layouts

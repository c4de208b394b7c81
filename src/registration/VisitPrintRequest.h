#pragma once
// What the visit form hands to the print actions: the values of the form at the moment of
// printing, read from its controls. The printers read nothing else from the form, so the
// visit form can be printed from, and tested with, any print action.
#include "registration/VisitData.h"

#include <QImage>
#include <QString>
#include <array>
#include <functional>

namespace lobrix::registration {

enum class PrintKind {
    Badge,       // "&Ausweis drucken"
    VisitorSheet // "&Besuchsbestätigung", and the automatic sheet at the arrival save
};

struct VisitPrintRequest {
    PrintKind kind = PrintKind::VisitorSheet;
    // The visitor sheet printed by the arrival save (AutoQuittung) rather than by a button.
    bool automatic = false;

    VisitData visit;       // the fields; info[i] is true for each information label shown
    QString visitNumber;   // lbVorgang
    QString badge;         // the badge number of the selected cbxAusweis entry; empty if none
    QString kommt;         // lbKommt
    QString tag;           // lbTag
    QString formDate;      // the form's date text: the date a new visit is stored with
    QString user;          // the logged-in user's name
    bool quittung = false; // the installation's Quittung setting as the form read it
    std::array<QString, 4> infoCaptions; // lbInfo1 ... lbInfo4
    std::array<bool, 4> infoTicked{};    // chkInfo1 ... chkInfo4
    QString ressourcen;                  // edRessourcen
    QString badgeLayout; // the selected cbxAusweisTyp entry; empty when the list is empty
    QImage photo;        // the photo as the form displays it; null when none is shown

    // The form's status line lbDrucker: shows the text, or hides the line for an empty text.
    std::function<void(const QString &)> showStatus;
};

// Prints one document; false when nothing was printed (for example a cancelled dialog).
// A lobrix::Error it throws is shown to the clerk.
using VisitPrintAction = std::function<bool(const VisitPrintRequest &)>;

} // namespace lobrix::registration

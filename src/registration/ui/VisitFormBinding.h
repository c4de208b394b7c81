#pragma once
// The visit data on the visit form's controls: what a visit, a master record or a
// pre-registration puts into the fields, what the fields hold as a visit, and the print
// request made from them. Filling the fields runs no mandatory check.
#include "registration/VisitData.h"
#include "registration/VisitPrintRequest.h"

#include <QString>
#include <array>

namespace lobrix::registration {

struct VisitFormControls;

class VisitFormBinding {
public:
    // zielFree: the destination may be typed (ZielBearbeiten); else only list entries.
    VisitFormBinding(VisitFormControls &controls, bool zielFree);

    void clearVisitor();
    void setVisitorFields(const VisitData &visit, bool withDestination);
    void setDestination(const QString &destination);
    // Ticks the information boxes and shows the label of each ticked one.
    void setInformation(const std::array<bool, 4> &info);
    // The label of a box in blue while the box is ticked.
    void showTicked(int index);
    void setValidity(const QString &von, const QString &bis);

    // The visit as the form would store it now.
    VisitData visitData() const;

    // The form's values for a print action; the caller adds what only it knows.
    struct PrintContext {
        QString formDate;
        QString user;
        bool quittung = false;
    };
    VisitPrintRequest printRequest(PrintKind kind, const PrintContext &context) const;

private:
    VisitFormControls &c;
    bool m_zielFree;
};

} // namespace lobrix::registration

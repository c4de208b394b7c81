#pragma once
// The typed badge number of the visit form (AWNManuell): checked against the pool when
// the clerk presses Enter or leaves the field, shown yellow when it stands for a master
// record, red when it is refused, and checked once more at the save.
#include "registration/VisitData.h"

#include <functional>

class QDialog;
class QWidget;

namespace lobrix::registration {

class ArrivalService;
class VisitFormBinding;
struct VisitFormControls;

class ManualBadgeEntry {
public:
    enum class Colour { Normal, Accepted, Refused };

    struct Hooks {
        // Fills the form from the master record the number stands for.
        std::function<void(const VisitData &)> takeOverMaster;
        // Moves the focus as the program, not as the clerk leaving a field.
        std::function<void(QWidget *)> focus;
    };
    ManualBadgeEntry(QDialog &form, VisitFormControls &controls, VisitFormBinding &binding,
                     ArrivalService &arrival, Hooks hooks);

    void setColour(Colour colour);
    // Checks the number and fills the form from what it stands for; true when it stands.
    bool check(bool showMessages);
    // A check running now (its messages move the focus, which is no leaving of the field).
    bool checking() const { return m_checking; }

    // Enter in the field; leaving it (checked once the focus has settled, unless it went to
    // "&Abbrechen" or "&Neu"); a click selects the whole number.
    void enterPressed();
    void left();
    void clicked();

    // At the save: the badge is the one typed in, never a default the clerk has not seen.
    // False (field red, message shown) when the number does not stand.
    bool confirmForSave();

private:
    QDialog &m_form;
    VisitFormControls &c;
    VisitFormBinding &m_binding;
    ArrivalService &m_arrival;
    Hooks m_hooks;
    bool m_checking = false;
};

} // namespace lobrix::registration

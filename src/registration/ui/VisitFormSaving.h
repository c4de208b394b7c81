#pragma once
// "&Speichern" of the visit form: the arrival and the departure save, each handing the
// form's values to its service and showing what comes back (the form closes on success,
// stays open with a message otherwise).
#include "registration/DepartureService.h"

namespace lobrix::registration {

class TBesucher;

class VisitFormSaving {
public:
    explicit VisitFormSaving(TBesucher &form) : f(form) {}

    void saveArrival();
    // The visit loaded for the chosen badge.
    void saveDeparture(const DepartureService::LoadedVisit &loaded);

private:
    TBesucher &f;
};

} // namespace lobrix::registration

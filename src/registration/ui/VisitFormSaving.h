#pragma once
// "&Speichern" of the visit form: the arrival, departure and master-data saves, each
// handing the form's values to its service and showing what comes back (a visit closes
// the form on success; otherwise, and in master-data mode, it stays open).
#include "registration/DepartureService.h"

namespace lobrix::registration {

class TBesucher;

class VisitFormSaving {
public:
    explicit VisitFormSaving(TBesucher &form) : f(form) {}

    void saveArrival();
    // The visit loaded for the chosen badge.
    void saveDeparture(const DepartureService::LoadedVisit &loaded);
    // The master record selected last, or a new one after "&Neu"; the form stays open.
    void saveMasterRecord();

private:
    // A save that did not go through: the message, and the save button on again.
    void saveFailed(const QString &message, bool asError);

    TBesucher &f;
};

} // namespace lobrix::registration

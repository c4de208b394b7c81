#pragma once
// The settings that shape the visit form, read anew at every opening so that a change
// takes effect the next time the form opens.
#include "registration/VisitData.h"

#include <QString>

#include <array>

namespace lobrix {
class IniFile;
}

namespace lobrix::registration {

// Fields that the settings can make mandatory, in the order of the settings keys.
enum class MandatoryField { Name, Vorname, PANr, Firma, Strasse, PLZ, Ort, Land, KFZ, Telefon, Ziel };
inline constexpr int MandatoryFieldCount = 11;

struct VisitFormSettings {
    bool autoQuittung = false; // print the visitor sheet at the arrival save
    bool quittung = false;     // the host confirms the visit; checked at departure
    bool autoStamm = false;    // "in Besucherstamm aufnehmen" starts checked
    bool voranmeldung = true;  // the pre-registration button is offered
    std::array<bool, MandatoryFieldCount> mandatory{};
    std::array<QString, 4> infoCaptions;
    bool showInfoStamm = false;
    QString zielCaption = QStringLiteral("Ziel");
    QString bemerkCaption = QStringLiteral("Bemerkungen");
    QString ressourcenCaption = QStringLiteral("Ressourcen");

    static VisitFormSettings read(const IniFile &settings);

    bool isMandatory(MandatoryField field) const { return mandatory[static_cast<int>(field)]; }

    // The mandatory-field check behind the save button: false while a mandatory field is
    // empty (a single space counts as filled). The destination is not required while
    // master data is edited, since master data has no destination.
    bool mandatoryFieldsFilled(const VisitData &visit, bool masterDataMode) const;
};

} // namespace lobrix::registration

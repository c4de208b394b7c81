#include "registration/VisitFormSettings.h"

#include "common/IniFile.h"
#include "shell/SettingsKeys.h"

namespace lobrix::registration {

namespace keys = shell::keys;

VisitFormSettings VisitFormSettings::read(const IniFile &settings)
{
    namespace s = keys::settings;
    VisitFormSettings out;
    out.autoQuittung = keys::read(settings, s::AutoQuittung);
    out.quittung = keys::read(settings, s::Quittung);
    out.autoStamm = keys::read(settings, s::AutoStamm);
    out.voranmeldung = keys::read(settings, s::Voranmeldung);
    static_assert(s::RequiredFields.size() == MandatoryFieldCount);
    for (int i = 0; i < MandatoryFieldCount; ++i)
        out.mandatory[i] = keys::read(settings, s::RequiredFields[i]);
    for (int i = 0; i < 4; ++i)
        out.infoCaptions[i] = keys::read(settings, s::BezeichnungInfo[i]);
    out.showInfoStamm = keys::read(settings, s::ShowInfoStamm);
    out.zielCaption = keys::read(settings, s::lbZiel);
    out.bemerkCaption = keys::read(settings, s::lbBemerk);
    out.ressourcenCaption = keys::read(settings, s::lbRessourcen);
    return out;
}

bool VisitFormSettings::mandatoryFieldsFilled(const VisitData &visit, bool masterDataMode) const
{
    const auto missing = [&](MandatoryField field, const QString &text) {
        // A field of blanks is empty: it would be stored so.
        return isMandatory(field) && text.trimmed().isEmpty();
    };
    using F = MandatoryField;
    if (missing(F::Name, visit.name) || missing(F::Vorname, visit.vorname) ||
        missing(F::PANr, visit.panr) || missing(F::Firma, visit.firma) ||
        missing(F::Strasse, visit.strasse) || missing(F::PLZ, visit.plz) ||
        missing(F::Ort, visit.ort) || missing(F::Land, visit.land) ||
        missing(F::KFZ, visit.kfz) || missing(F::Telefon, visit.telefon))
        return false;
    return masterDataMode || !missing(F::Ziel, visit.ziel);
}

} // namespace lobrix::registration

#include "layouts/PrintedVisit.h"

#include "layouts/LayoutFields.h"
#include "registration/VisitColumns.h"
#include "registration/VisitPrintRequest.h"

namespace lobrix::layouts {

PrintedVisit PrintedVisit::of(const registration::VisitPrintRequest &r)
{
    PrintedVisit out;
    const auto set = [&](const char *key, const QString &text) {
        out.values.set(QString::fromLatin1(key), text);
    };
    const registration::VisitData &v = r.visit;
    set(fields::Tag, r.tag);
    set(fields::Kommt, r.kommt);
    set(fields::Ausweis, r.badge);
    set(fields::Name, v.name);
    set(fields::Vorname, v.vorname);
    set(fields::PANR, v.panr);
    set(fields::Firma, v.firma);
    set(fields::Strasse, v.strasse);
    set(fields::PLZ, v.plz);
    set(fields::ORT, v.ort);
    set(fields::LAND, v.land);
    set(fields::Telefon, v.telefon);
    set(fields::KFZ, v.kfz);
    set(fields::Bemerkung, v.bemerkung);
    set(fields::ZIEL, v.ziel);
    set(fields::QUITTUNG, registration::VisitColumns::yesNo(r.quittung));
    set(fields::NUTZER, r.user);
    set(fields::GUELTIGVON, v.gueltigVon);
    set(fields::GUELTIGBIS, v.gueltigBis);
    set(fields::VORGANG, r.visitNumber);
    const char *const info[] = {fields::Info1, fields::Info2, fields::Info3, fields::Info4};
    for (int i = 0; i < 4; ++i)
        set(info[i], r.infoTicked[i] ? r.infoCaptions[i] : QString());
    set(fields::Ressourcen, r.ressourcen);
    out.values.setPhoto(r.photo);
    out.infoStored = v.info;
    out.formDate = r.formDate;
    out.badgeType = r.badgeLayout;
    return out;
}

} // namespace lobrix::layouts

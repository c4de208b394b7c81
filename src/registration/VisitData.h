#pragma once
// The values of the visit form that are stored: the visitor fields, the validity, the
// information fields and the photo, as the clerk sees them in the form.
#include <QString>

#include <array>
#include <optional>

namespace lobrix::registration {

struct VisitData {
    QString name;      // edName
    QString vorname;   // edVorname
    QString firma;     // edFirma
    QString strasse;   // edStrasse
    QString plz;       // edPLZ
    QString ort;       // edOrt
    QString telefon;   // edTel
    QString panr;      // edPANr
    QString kfz;       // edKFZ
    QString land;      // cbxLand
    QString bemerkung; // edBemerk
    QString ziel;      // edZiel
    QString gueltigVon; // meVon
    QString gueltigBis; // meBis
    // The information labels that are shown (lbInfo1 ... lbInfo4): stored as "ja"/"nein".
    std::array<bool, 4> info{};
    // File name of the photo without folder (lbBildpfad); empty when there is none.
    QString photo;

    bool operator==(const VisitData &) const = default;
};

// What a picker's quick search starts with when it opens from the form: the form's name,
// first name or company, by the column the list is sorted by; none for other columns.
inline std::optional<QString> searchTextFor(const VisitData &visit, const QString &sortColumn)
{
    if (sortColumn == u"Name")
        return visit.name;
    if (sortColumn == u"Vorname")
        return visit.vorname;
    if (sortColumn == u"Firma")
        return visit.firma;
    return std::nullopt;
}

} // namespace lobrix::registration

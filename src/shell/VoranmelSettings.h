#pragma once
// The print and field settings that the settings dialog copies into Voranmel.ini in the
// database folder, so that other workstations and the program that registers
// pre-registered visitors use the same ones.
#include <QString>
#include <array>

namespace lobrix {
class IniFile;
}

namespace lobrix::shell {


struct VoranmelSettings {
    QString bilderPfad;               // images folder
    QString besucherscheinPfad;       // visitor sheet layout file
    QString ausweisdruckDatei;        // badge layout file for pre-registrations
    QString besucherscheinExternPfad; // external visitor sheet document
    QString ausweisdruckExternPfad;   // external badge document
    bool druckExtern = false;
    int printer1 = 0;
    int printer2 = 0;
    bool hochQuer = false;
    int ausweisBreite = 0;
    int ausweisHoehe = 0;
    std::array<QString, 4> bezeichnungInfo;
    // Required fields in the order Name, Vorname, PANr, Firma, Strasse, PLZ, Ort, Land,
    // KFZ, Telefon, Ziel.
    std::array<bool, 11> requiredFields{};

    // Writes every key, also those whose value has not changed. Throws lobrix::Error as
    // IniFile's writes do; keys written before the failure stay written.
    void writeTo(IniFile &voranmel) const;
};

} // namespace lobrix::shell

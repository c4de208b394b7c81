#pragma once
// What the settings dialog shows and saves: the workstation's settings.ini and the copy of
// its print and field settings in the shared Voranmel.ini. Saving writes every key, also
// unchanged ones, each as soon as it is taken, in the dialog's order (settings.ini and
// Voranmel.ini in turn), so a save that stops part way leaves the earlier keys written.
// Publishing the standard badge, the last step, belongs to the layouts and is the caller's.
#include <QString>

#include <array>

namespace lobrix::shell {

class Session;

struct WorkstationSettings {
    // Page "allgemein".
    QString datenbank, listen, bilder; // bilder: the start folder when missing
    int printer1 = 0, printer2 = 0;    // indexes into the system's printer list; -1 none
    bool hochQuer = false;
    int ausweisHoehe = 0, ausweisBreite = 0; // mm; 0 when missing
    bool uhrzeitDatum = false, noDbCheck = false;
    // Page "Besuchererfassung".
    bool druckExtern = false;
    QString besucherscheinExtern, ausweisExtern; // file names only
    QString besucherschein;                      // settings.ini [Besucherschein] Pfad
    QString ausweis;                             // Voranmel.ini [Ausweisdruck] Datei
    bool autoStamm = false, autoQuittung = false, quittung = false;
    // Name, Vorname, PANr, Firma, Strasse, PLZ, Ort, Land, KFZ, Telefon, Ziel.
    std::array<bool, 11> requiredFields{};
    bool showInfoStamm = false;
    std::array<QString, 4> bezeichnungInfo;

    static constexpr int MinSize = 5;
    static constexpr int MaxSize = 10000;

    static WorkstationSettings read(Session &session);
    // Steps 1 to 9 of the save. Throws lobrix::Error as IniFile's writes do.
    void save(Session &session) const;

    // A warning (never a refusal) when the database folder holds no Besucher.dbf, so that
    // a typo is seen before the next start; empty when it looks right.
    QString databaseFolderWarning() const;
};

} // namespace lobrix::shell

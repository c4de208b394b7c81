#pragma once
// Every settings file, section and key the program reads or writes, with its value kind
// and its default. Code names a key only through these descriptors, so a key name or a
// default is written down once. Names and defaults are plain ASCII.
#include <QString>
#include <array>

namespace lobrix {
class IniFile;
}

namespace lobrix::shell {


namespace keys {

// A key of a settings file with its default. T is the value kind as it is written down:
// const char * for text, int for whole numbers, bool for booleans (stored as a whole
// number; anything but 0 is true; written "1" or "0").
template <typename T> struct Key {
    const char *section;
    const char *key;
    T defaultValue;

    // The same key under another section or with another default (the shared copies).
    constexpr Key in(const char *otherSection) const { return {otherSection, key, defaultValue}; }
    constexpr Key withDefault(T other) const { return {section, key, other}; }
};
using TextKey = Key<const char *>;
using IntKey = Key<int>;
using BoolKey = Key<bool>;

// A folder whose default is only known at run time (the start folder). There is no
// read without that default, so nobody can forget it.
struct FolderKey {
    const char *section;
    const char *key;
};

QString read(const IniFile &file, TextKey key);
int read(const IniFile &file, IntKey key);
bool read(const IniFile &file, BoolKey key);
// A missing or empty entry gives `runtimeDefault`: an empty folder would turn every
// file name into a path from the root.
QString read(const IniFile &file, FolderKey key, const QString &runtimeDefault);

void write(IniFile &file, TextKey key, const QString &value);
void write(IniFile &file, IntKey key, int value);
void write(IniFile &file, BoolKey key, bool value);
void write(IniFile &file, FolderKey key, const QString &value);

// File names: settings.ini and Fenster.ini in the start folder, the others in the
// database folder. Laender.ini is a plain list of lines (TextFile), not an INI file.
inline constexpr char SettingsFile[] = "settings.ini";
inline constexpr char GlobalFile[] = "Global.ini";
inline constexpr char VoranmelFile[] = "Voranmel.ini";
inline constexpr char FensterFile[] = "Fenster.ini";
inline constexpr char LaenderFile[] = "Laender.ini";

// settings.ini (start folder, one per workstation)
namespace settings {

inline constexpr TextKey DatenbankPfad{"Datenbank", "Pfad", ""};
// Where the report definition files are kept.
inline constexpr TextKey ListenPfad{"Listen", "Pfad", ""};
// Photos and layout pictures; defaults to the start folder.
inline constexpr FolderKey BilderPfad{"Bilder", "Pfad"};

// Print files. Besucherschein is a file name in the start folder; [Ausweisdruck] Datei
// is only a copy of the Voranmel.ini key (written, never read from here).
inline constexpr TextKey BesucherscheinPfad{"Besucherschein", "Pfad", "Besucherschein.ini"};
inline constexpr TextKey AusweisdruckDatei{"Ausweisdruck", "Datei", ""};
inline constexpr TextKey BesucherscheinExternPfad{"BesucherscheinExtern", "Pfad", ""};
inline constexpr TextKey AusweisdruckExternPfad{"AusweisdruckExtern", "Pfad", ""};
// 1: print by opening the external documents; 0: print from the layout files.
inline constexpr IntKey DruckExtern{"Druck", "Extern", 0};

// [Options]: printers are indexes into the system's printer list.
inline constexpr IntKey Printer1{"Options", "Printer1", 0}; // visitor sheet
inline constexpr IntKey Printer2{"Options", "Printer2", 0}; // badge
inline constexpr BoolKey HochQuer{"Options", "HochQuer", false};
// Badge page in millimetres: the settings dialog shows 0 when missing, printing uses 1
// so that a page size is never zero.
inline constexpr IntKey AusweisBreite{"Options", "AusweisBreite", 0};
inline constexpr IntKey AusweisHoehe{"Options", "AusweisHoehe", 0};
inline constexpr IntKey AusweisBreiteDruck = AusweisBreite.withDefault(1);
inline constexpr IntKey AusweisHoeheDruck = AusweisHoehe.withDefault(1);
inline constexpr BoolKey AutoQuittung{"Options", "AutoQuittung", false};
inline constexpr BoolKey Quittung{"Options", "Quittung", false};
inline constexpr BoolKey AutoStamm{"Options", "AutoStamm", false};

// Fields that must be filled in before a visit can be saved.
inline constexpr BoolKey Name{"Options", "Name", false};
inline constexpr BoolKey Vorname{"Options", "Vorname", false};
inline constexpr BoolKey PANr{"Options", "PANr", false};
inline constexpr BoolKey Firma{"Options", "Firma", false};
inline constexpr BoolKey Strasse{"Options", "Strasse", false};
inline constexpr BoolKey PLZ{"Options", "PLZ", false};
inline constexpr BoolKey Ort{"Options", "Ort", false};
inline constexpr BoolKey Land{"Options", "Land", false};
inline constexpr BoolKey KFZ{"Options", "KFZ", false};
inline constexpr BoolKey Telefon{"Options", "Telefon", false};
inline constexpr BoolKey Ziel{"Options", "Ziel", false};
inline constexpr std::array<BoolKey, 11> RequiredFields{Name, Vorname, PANr, Firma,   Strasse, PLZ,
                                                        Ort,  Land,    KFZ,  Telefon, Ziel};

inline constexpr BoolKey UhrzeitDatum{"Options", "UhrzeitDatum", false}; // show the clock
inline constexpr BoolKey NoDBCheck{"Options", "NoDBCheck", false};
// Clock look, written when the program ends.
inline constexpr BoolKey UhrStundeStrich{"Options", "UhrStundeStrich", false};
inline constexpr BoolKey UhrMinuteStrich{"Options", "UhrMinuteStrich", false};
inline constexpr IntKey UhrSize{"Options", "UhrSize", 3};   // step 1 to 5
inline constexpr IntKey UhrFarbe{"Options", "UhrFarbe", 0}; // 24-bit colour, red in the low byte

// Installation options: read, never written; set by editing the file.
inline constexpr BoolKey VoranmeldungExt{"Options", "VoranmeldungExt", false};
inline constexpr BoolKey ZielBearbeiten{"Options", "ZielBearbeiten", true};
inline constexpr BoolKey AWNManuell{"Options", "AWNManuell", false};
inline constexpr BoolKey SeitenBreitePruefen{"Options", "SeitenBreitePruefen", true};
inline constexpr BoolKey ImmerDauerAusgeben{"Options", "ImmerDauerAusgeben", false};
inline constexpr BoolKey Designer{"Options", "Designer", false};
inline constexpr BoolKey Voranmeldung{"Options", "Voranmeldung", true};
// The built-in service account: on unless switched off (lobrix-admin service-login).
inline constexpr BoolKey ServiceLogin{"Options", "ServiceLogin", true};

// Captions of the four free information fields of the visit form.
inline constexpr TextKey BezeichnungInfo1{"InfoFelder", "BezeichnungInfo1", ""};
inline constexpr TextKey BezeichnungInfo2{"InfoFelder", "BezeichnungInfo2", ""};
inline constexpr TextKey BezeichnungInfo3{"InfoFelder", "BezeichnungInfo3", ""};
inline constexpr TextKey BezeichnungInfo4{"InfoFelder", "BezeichnungInfo4", ""};
inline constexpr std::array<TextKey, 4> BezeichnungInfo{BezeichnungInfo1, BezeichnungInfo2,
                                                        BezeichnungInfo3, BezeichnungInfo4};
inline constexpr BoolKey ShowInfoStamm{"InfoFelder", "ShowInfoStamm", false};

// Label captions of the visit form (installation options).
inline constexpr TextKey lbZiel{"Beschriftungen", "lbZiel", "Ziel"};
inline constexpr TextKey lbBemerk{"Beschriftungen", "lbBemerk", "Bemerkungen"};
inline constexpr TextKey lbRessourcen{"Beschriftungen", "lbRessourcen", "Ressourcen"};

} // namespace settings

// Global.ini (database folder): the registration lock shared by all workstations.
namespace global {
inline constexpr BoolKey Locked{"Global", "Locked", false};
inline constexpr IntKey LastSatz{"Global", "LastSatz", 0}; // last visit number handed out
} // namespace global

// Voranmel.ini (database folder): a copy of the print and field settings for other
// workstations and programs, written when the settings dialog is saved.
namespace voranmel {
inline constexpr FolderKey BilderPfad = settings::BilderPfad;
inline constexpr TextKey BesucherscheinPfad = settings::BesucherscheinPfad;
// The badge layout for pre-registrations, a file in the database folder. The only key
// the program reads from this file.
inline constexpr TextKey AusweisdruckDatei = settings::AusweisdruckDatei.withDefault("Badge.ini");
inline constexpr TextKey BesucherscheinExternPfad = settings::BesucherscheinExternPfad;
inline constexpr TextKey AusweisdruckExternPfad = settings::AusweisdruckExternPfad;
inline constexpr IntKey DruckExtern = settings::DruckExtern;
// Printer and badge page: the [Options] keys of settings.ini, here under [Ausweisdruck].
inline constexpr const char *PrintSection = AusweisdruckDatei.section;
inline constexpr IntKey Printer1 = settings::Printer1.in(PrintSection);
inline constexpr IntKey Printer2 = settings::Printer2.in(PrintSection);
inline constexpr BoolKey HochQuer = settings::HochQuer.in(PrintSection);
inline constexpr IntKey AusweisBreite = settings::AusweisBreite.in(PrintSection);
inline constexpr IntKey AusweisHoehe = settings::AusweisHoehe.in(PrintSection);
inline constexpr std::array<TextKey, 4> BezeichnungInfo = settings::BezeichnungInfo;
inline constexpr std::array<BoolKey, 11> RequiredFields = settings::RequiredFields;
} // namespace voranmel

// Fenster.ini (start folder): window state of the pre-registration list.
namespace fenster {
inline constexpr IntKey Top{"Voranmeldung", "Top", 0};
inline constexpr IntKey Left{"Voranmeldung", "Left", 0};
inline constexpr IntKey Width{"Voranmeldung", "Width", 780};
inline constexpr IntKey Height{"Voranmeldung", "Height", 580};
inline constexpr BoolKey Maximiert{"Voranmeldung", "Maximiert", false};
inline constexpr BoolKey NurHeutigeBesucher{"Voranmeldung", "NurHeutigeBesucher", false};
} // namespace fenster

} // namespace keys
} // namespace lobrix::shell

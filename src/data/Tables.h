#pragma once
// The tables of a database folder and the columns the program reads and writes by name,
// named once: the names other workstations and the other application use, so they never
// change. (The structure itself is DefaultStructure's.)
#include <QLatin1String>

namespace lobrix::data {

namespace tables {
inline constexpr char Besucher[] = "Besucher.dbf"; // visits
inline constexpr char Besucher2[] = "Besucher_2.dbf";
inline constexpr char Ausweis[] = "Ausweis.dbf";   // the badge pool
inline constexpr char Stamm[] = "Stamm.dbf";       // master data of frequent visitors
inline constexpr char Voranmel[] = "Voranmel.dbf"; // pre-registrations
inline constexpr char Fotos[] = "Fotos.dbf";
inline constexpr char Ziele[] = "Ziele.dbf";       // visit destinations
} // namespace tables

namespace columns {
inline constexpr QLatin1String Anwesend("Anwesend");
inline constexpr QLatin1String Ausweis("Ausweis");
inline constexpr QLatin1String Bemerkung("Bemerkung");
inline constexpr QLatin1String Firma("Firma");
inline constexpr QLatin1String Foto("FOTO");
inline constexpr QLatin1String Geht("Geht");
inline constexpr QLatin1String GueltigBis("GUELTIGBIS");
inline constexpr QLatin1String GueltigVon("GUELTIGVON");
inline constexpr QLatin1String Kommt("Kommt");
inline constexpr QLatin1String Kfz("KFZ");
inline constexpr QLatin1String Land("Land");
inline constexpr QLatin1String Name("Name");
inline constexpr QLatin1String Nr("NR");
inline constexpr QLatin1String Nummer("Nummer");
inline constexpr QLatin1String Nutzer("Nutzer");
inline constexpr QLatin1String Ort("Ort");
inline constexpr QLatin1String Panr("PANR");
inline constexpr QLatin1String Pfad("Pfad");
inline constexpr QLatin1String Plz("PLZ");
inline constexpr QLatin1String Quittiert("Quittiert");
inline constexpr QLatin1String Quittung("Quittung");
inline constexpr QLatin1String Ressourcen("Ressourcen");
inline constexpr QLatin1String Strasse("Strasse");
inline constexpr QLatin1String Tag("Tag");
inline constexpr QLatin1String Telefon("Telefon");
inline constexpr QLatin1String Typ("TYP");
inline constexpr QLatin1String Uhrzeit("Uhrzeit");
inline constexpr QLatin1String Vorgang("Vorgang");
inline constexpr QLatin1String Vorname("Vorname");
inline constexpr QLatin1String Ziel("Ziel");
} // namespace columns

} // namespace lobrix::data

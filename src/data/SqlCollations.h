#pragma once
// Orderings of the SQL engine: German text order and date texts compared as dates.
#include <QByteArray>

struct sqlite3;

namespace lobrix::data {

// German order (DIN 5007-1): case-insensitive, ä=a ö=o ü=u ß=ss, accents ignored; equal
// keys are ordered by their exact text, so only identical texts compare equal.
int compareGerman(const char *a, int aLen, const char *b, int bLen);
// Date texts DD.MM.YYYY compared as dates; an empty text comes first, a text that is no
// date after every date (ordered as text among its kind).
int compareDateTexts(const char *a, int aLen, const char *b, int bLen);
// "DD.MM.YYYY" -> "YYYYMMDD"; empty when the text is not such a date.
QByteArray dateTextToKey(const char *text, int len);

inline constexpr const char *kGermanCollation = "dbfde";
inline constexpr const char *kDateCollation = "dbfdate";

void registerCollations(sqlite3 *db);

} // namespace lobrix::data

#pragma once
// What "neuen Bericht erstellen" composes, without its widgets: the 20 fields of the
// visits table a report can show, test and sort by, up to four conditions joined with
// AND and three sort keys; turned into the report's SQL text (four lines) and its state
// list (40 lines), and read back from a state list.
#include <QString>
#include <QStringList>

#include <array>

namespace lobrix::records {

enum class ValueInput { Text, Date, Time };

struct ReportField {
    const char *listText;   // in the field and sort boxes (UTF-8)
    const char *checkName;  // its display check, or nullptr (code 19, always shown)
    const char *checkCaption;
    const char *selectItem; // appended to "Select Vorgang"
    const char *column;     // in conditions and sorting
    ValueInput input;
};

inline constexpr int FieldCount = 20;
inline constexpr int DisplayCheckCount = 19;
inline constexpr int ConditionCount = 4;
inline constexpr int SortKeyCount = 3;
inline constexpr int StateLineCount = 40;
inline constexpr int VorgangCode = 19;

// By field code (the position in the field boxes).
const std::array<ReportField, FieldCount> &reportFields();
// The field codes of the display checks in the order of the select list and the state
// list ("Land" last).
const std::array<int, DisplayCheckCount> &displayOrder();
// Position of a field's check in displayOrder(), -1 for "Vorgangs-Nr.".
int displayIndexOf(int fieldCode);

// "ist gleich" ... "nicht vorhanden", by operator code.
const std::array<const char *, 7> &operatorTexts();
inline constexpr int OperatorPresent = 5;
inline constexpr int OperatorAbsent = 6;

struct ReportCondition {
    int field = -1;    // -1: nothing chosen
    int op = -1;       // -1: nothing chosen ("=" is used)
    QString value;     // as typed: a date, "  :  " for an untouched time, "heute", ...
};

struct ReportSortKey {
    int field = -1;
    bool ascending = false;
    bool descending = false;
};

struct ReportDefinition {
    std::array<bool, DisplayCheckCount> shown{}; // in displayOrder()
    std::array<ReportCondition, ConditionCount> conditions;
    std::array<ReportSortKey, SortKeyCount> sortKeys;

    // The four lines of the query file.
    QStringList sqlLines() const;
    // The 40 lines of the state file.
    QStringList stateLines() const;
    // Throws lobrix::Error for a list of fewer than 40 lines or a code that is not a
    // number in range.
    static ReportDefinition fromStateLines(const QStringList &lines);
};

} // namespace lobrix::records

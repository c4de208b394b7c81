#pragma once
// How the raw columns of a report result become readable ones: the title table (titles,
// widths, alignment, keyed to names as a dBASE engine delivers them: upper case, at most
// ten characters), the fixed-width titles, the print alignment, and the texts that the
// grid, the print and the export show for confirmation and duration cells.
#include <QString>

#include <functional>
#include <optional>

namespace lobrix::records {

enum class ColumnAlign { Left, Right, Centre };

struct TitleRule {
    std::optional<int> width;
    std::optional<ColumnAlign> cell;
    std::optional<ColumnAlign> title;
    std::optional<QString> newTitle;
};

// The row of the title table for a title (exact, case counts), or nothing.
std::optional<TitleRule> titleRule(const QString &title);
// Columns never auto-fitted.
bool isFixedWidthTitle(const QString &title);
// How printing places a column's title and values.
ColumnAlign printAlignment(const QString &title);

inline constexpr int AutoFitColumns = 20;
inline constexpr int CandidateWidth = 80;
inline constexpr int FitMargin = 5;

// One row of the result, by field name (without regard to case); nothing when the result
// has no such field.
using FieldLookup = std::function<std::optional<QString>(const QString &fieldName)>;

// The text a cell shows: "erfordert" / nothing for a requested confirmation, "bis " +
// the end date for a visit that ended on a later day (unless the duration is always
// shown), otherwise the value. `fieldName` is the column's name as delivered.
QString shownCellText(const QString &fieldName, const QString &value, const FieldLookup &row,
                      bool alwaysDuration);
// True when the text is one of the replacements above and is drawn centred.
bool isCentredReplacement(const QString &fieldName, const QString &value, const FieldLookup &row,
                          bool alwaysDuration);

// Lines of a printed page: limit = (page height - top) div pitch - 2; the head takes 8.
struct ReportPageMath {
    int lineLimit = 0;
    int dataLinesPerPage() const { return lineLimit - 8; }
    int pages(int records) const;
};

} // namespace lobrix::records

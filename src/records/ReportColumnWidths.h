#pragma once
// The widths of a report grid's columns, without the grid: the widest text of each of the
// first columns measured by a text-width function (the grid's font), then the title
// table's widths, the fixed-width titles, the measured fits and the widths stored in the
// report's column file, in that order of precedence.
#include "records/ReportGridModel.h"

#include <QByteArrayView>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace lobrix::records {

// The widest text of each column, fed row by row. A text's width is bounded from above by
// its characters' advances (kerning only narrows it), so most texts are ruled out without
// being laid out.
class ColumnMeasure {
public:
    using TextWidth = std::function<int(const QString &text)>;

    // `widestCharacter`: the widest advance of the font (for characters beyond ASCII).
    ColumnMeasure(int columns, TextWidth width, int widestCharacter);

    void add(int column, QByteArrayView utf8);
    int widest(int column) const { return m_widest.at(size_t(column)); }
    int columns() const { return int(m_widest.size()); }

private:
    int bound(QByteArrayView utf8) const;

    TextWidth m_width;
    std::array<int, 128> m_ascii{};
    int m_widestCharacter;
    std::vector<int> m_widest;
};

// The widths of every column. `columns` are the grid's columns with their delivered
// titles; the title table may rename and realign them (they are changed in place).
// `measured` gives the measured width of a delivered title's field, or none; `current`
// the widths the grid has now (kept for the columns beyond the auto-fitted ones); `stored`
// the column file's widths, which win where they are set.
std::vector<int> planColumnWidths(std::vector<ReportGridModel::Column> &columns,
                                  const std::function<std::optional<int>(const QString &delivered)> &measured,
                                  const std::vector<int> &current, const std::vector<std::optional<int>> &stored);

} // namespace lobrix::records

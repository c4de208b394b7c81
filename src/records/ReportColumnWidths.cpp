#include "records/ReportColumnWidths.h"

#include "records/ReportColumns.h"

#include <algorithm>

namespace lobrix::records {

ColumnMeasure::ColumnMeasure(int columns, TextWidth width, int widestCharacter)
    : m_width(std::move(width)), m_widestCharacter(std::max(1, widestCharacter)),
      m_widest(size_t(std::max(0, columns)), 0)
{
    for (int c = 0; c < 128; ++c)
        m_ascii[size_t(c)] = m_width(QString(QChar(c)));
}

int ColumnMeasure::bound(QByteArrayView utf8) const
{
    int sum = 0;
    for (const char b : utf8) {
        const auto u = static_cast<unsigned char>(b);
        sum += u < 128 ? m_ascii[u] : m_widestCharacter;
    }
    return sum;
}

void ColumnMeasure::add(int column, QByteArrayView utf8)
{
    int &widestSoFar = m_widest[size_t(column)];
    if (utf8.size() * m_widestCharacter <= widestSoFar || bound(utf8) <= widestSoFar)
        return;
    widestSoFar = std::max(widestSoFar, m_width(QString::fromUtf8(utf8)));
}

std::vector<int> planColumnWidths(std::vector<ReportGridModel::Column> &columns,
                                  const std::function<std::optional<int>(const QString &)> &measured,
                                  const std::vector<int> &current, const std::vector<std::optional<int>> &stored)
{
    const int n = int(columns.size());
    std::vector<int> widths(static_cast<size_t>(n));
    std::vector<QString> delivered(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
        widths[size_t(c)] = c < AutoFitColumns ? CandidateWidth : current.at(size_t(c));
        delivered[size_t(c)] = columns[size_t(c)].title;
        if (const auto rule = titleRule(columns[size_t(c)].title)) {
            if (rule->width)
                widths[size_t(c)] = *rule->width;
            if (rule->cell)
                columns[size_t(c)].cell = *rule->cell;
            if (rule->title)
                columns[size_t(c)].titleAlign = *rule->title;
            if (rule->newTitle)
                columns[size_t(c)].title = *rule->newTitle;
        }
    }
    for (int c = 0; c < std::min(n, AutoFitColumns); ++c) {
        const QString &title = columns[size_t(c)].title;
        if (isFixedWidthTitle(title) || title != delivered[size_t(c)])
            continue;
        // The field named by the title; a title that names none keeps its width.
        if (const auto width = measured(delivered[size_t(c)]))
            widths[size_t(c)] = std::max(CandidateWidth, *width) + FitMargin;
    }
    for (int c = 0; c < n && size_t(c) < stored.size(); ++c)
        if (stored[size_t(c)])
            widths[size_t(c)] = *stored[size_t(c)];
    return widths;
}

} // namespace lobrix::records

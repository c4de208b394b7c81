#pragma once
// Conversions of computed coordinates and stored numbers to whole numbers, defined for
// every input: converting a double outside the int range is undefined behaviour, and
// layout files and tables are edited by hand or written by other programs.
#include <cmath>
#include <limits>

namespace lobrix {

// Truncated toward zero, held to the int range; not a number gives 0.
inline int truncatedToInt(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double low = std::numeric_limits<int>::min();
    constexpr double high = std::numeric_limits<int>::max();
    if (value <= low)
        return std::numeric_limits<int>::min();
    if (value >= high)
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

} // namespace lobrix

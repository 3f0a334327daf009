#include "calc/RangeNormalization.h"

#include <optional>
#include <utility>

#include "calc/Conversions.h"

namespace vodazi {

BoundValues ReadBounds(const std::string& startText, const std::string& endText) {
    const std::optional<double> start = TextToDouble(startText);
    const std::optional<double> end = TextToDouble(endText);
    if (!start || !end) return {BoundCheck::NotANumber};
    const double limit = MaxBound;
    if (*start > limit || *end > limit) return {BoundCheck::OutOfRange};
    const std::optional<std::int32_t> roundedStart = DoubleToInt32(*start);
    const std::optional<std::int32_t> roundedEnd = DoubleToInt32(*end);
    if (!roundedStart || !roundedEnd) return {BoundCheck::OutOfRange};
    return {BoundCheck::Accepted, *roundedStart, *roundedEnd};
}

NormalizedRange NormalizeRange(std::int32_t start, std::int32_t end) {
    NormalizedRange result;
    if (start < MinStart) start = MinStart;
    if (start > end) {
        std::swap(start, end);
        result.exchanged = true;
        result.shownStart = start;
        result.shownEnd = end;
    }
    if (start < MinStart) start = MinStart;
    result.bounds = {start, end};
    return result;
}

}  // namespace vodazi

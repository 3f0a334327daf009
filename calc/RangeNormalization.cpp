#include "calc/RangeNormalization.h"

#include <optional>
#include <utility>

#include "calc/Conversions.h"

namespace vodazi {

namespace {

std::optional<double> ReadNumber(const std::string& text, const NumberForm& userForm) {
    const std::optional<double> asTheUserWrites = TextToDoubleInForm(text, userForm);
    return asTheUserWrites ? asTheUserWrites : TextToDouble(text);
}

}  // namespace

BoundValues ReadBounds(const std::string& startText, const std::string& endText,
                       const NumberForm& userForm) {
    const std::optional<double> start = ReadNumber(startText, userForm);
    const std::optional<double> end = ReadNumber(endText, userForm);
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

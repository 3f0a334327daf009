#include "calc/RangeNormalisation.h"

#include <utility>

#include "platform/Conversions.h"

namespace vodazi {

BoundCheck CheckBounds(const std::string& startText, const std::string& endText) {
    const auto start = TextToDouble(startText);
    const auto end = TextToDouble(endText);
    if (!start || !end) return BoundCheck::NotANumber;
    const double limit = MaxBound;
    if (*start > limit || *end > limit) return BoundCheck::OutOfRange;
    return BoundCheck::Accepted;
}

ConvertedBounds ConvertBounds(const std::string& startText, const std::string& endText) {
    const IntResult start = TextToInt32(startText);
    const IntResult end = TextToInt32(endText);
    for (const IntResult& bound : {start, end}) {
        if (bound.status == IntConversion::NotANumber) return {BoundCheck::NotANumber, {}};
        if (bound.status == IntConversion::OutOfRange) return {BoundCheck::OutOfRange, {}};
    }
    return {BoundCheck::Accepted, {start.value, end.value}};
}

RangeBounds NormalizeRange(BoundValues values, RunView& view) {
    if (values.start < MinStart) values.start = MinStart;
    if (values.start > values.end) {
        std::swap(values.start, values.end);
        view.SetStartText(IntToText(values.start));
        view.SetEndText(IntToText(values.end));
    }
    if (values.start < MinStart) values.start = MinStart;
    return {values.start, values.end};
}

}  // namespace vodazi

#pragma once

#include <cstdint>

namespace vodazi {

// The largest accepted bound: the largest signed 32-bit integer.
inline constexpr std::int32_t MaxBound = 2147483647;
// No scan starts below this: 2 is never listed.
inline constexpr std::int32_t MinStart = 3;

// The normalised bounds of one run: MinStart <= start <= end <= MaxBound.
struct RangeBounds {
    std::int32_t start = MinStart;
    std::int32_t end = MinStart;

    friend bool operator==(const RangeBounds&, const RangeBounds&) = default;
};

}  // namespace vodazi

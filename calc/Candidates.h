#pragma once

#include <cstdint>

#include "calc/Bounds.h"

namespace vodazi {

// The odd candidates of a range: every second number from `first` to `last`; none when
// first > last, as in 8..8.
struct Candidates {
    std::uint32_t first = 0;
    std::uint32_t last = 0;

    bool Empty() const { return first > last; }
};

// An even start moves to the odd number after it, an even end to the odd number before it;
// both stay within MinStart..MaxBound.
inline Candidates CandidatesOf(const RangeBounds& bounds) {
    return {static_cast<std::uint32_t>(bounds.start | 1),
            static_cast<std::uint32_t>((bounds.end - 1) | 1)};
}

}  // namespace vodazi

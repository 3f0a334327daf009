#pragma once

// The scan written out literally, one trial division and one double addition per candidate,
// exactly as the program's behaviour is defined. The fast scan must agree with it.

#include <cmath>
#include <cstdint>
#include <functional>

#include "calc/Bounds.h"
#include "calc/FillProgress.h"

namespace vodazi::support {

inline bool LiteralIsPrime(std::uint32_t n) {
    std::uint32_t d = 0;
    std::uint32_t r = 0;
    std::uint32_t q = 0;
    do {
        d = d == 2 ? 3 : d + 2;
        r = n % d;
        q = n / d;
    } while (!(d > q || r == 0));
    return r > 0;
}

inline double LiteralFillStep(const RangeBounds& bounds) {
    const std::int32_t span = bounds.end - bounds.start;
    return span > 0 ? 3975.0 / span : 0.0;
}

// Calls onWidth before a candidate's test with the candidate's index and the width set for it,
// where that width differs from the one before (the first always), and onPrime for each prime
// found. Without onPrime no candidate is tested, which leaves the accumulation alone.
inline void LiteralScan(const RangeBounds& bounds,
                        const std::function<void(std::uint64_t, float)>& onWidth,
                        const std::function<void(std::uint32_t)>& onPrime = {}) {
    const double fillStep = LiteralFillStep(bounds);
    double progressFill = 0.0;
    float lastWidth = -1.0f;
    std::uint64_t candidate = 0;
    std::int64_t n = bounds.start % 2 == 1 ? bounds.start : std::int64_t{bounds.start} + 1;
    for (; n <= bounds.end; n += 2, ++candidate) {
        progressFill = progressFill + 2 * fillStep;
        const auto width = static_cast<float>(std::floor(progressFill));
        if (width != lastWidth) onWidth(candidate, width);
        lastWidth = width;
        if (onPrime && LiteralIsPrime(static_cast<std::uint32_t>(n)))
            onPrime(static_cast<std::uint32_t>(n));
    }
}

}  // namespace vodazi::support

#pragma once

#include <cstdint>
#include <string>

#include "calc/Bounds.h"
#include "calc/RunView.h"

namespace vodazi {

enum class BoundCheck { Accepted, NotANumber, OutOfRange };

// Both texts are read as numbers before anything is decided; a bound strictly above
// MaxBound is out of range, MaxBound itself is accepted.
BoundCheck CheckBounds(const std::string& startText, const std::string& endText);

struct BoundValues {
    std::int32_t start = 0;
    std::int32_t end = 0;
};

struct ConvertedBounds {
    BoundCheck status = BoundCheck::NotANumber;
    BoundValues values;
};

// Rounds both texts to signed 32-bit integers. A value that rounds below the 32-bit range
// is reported as OutOfRange, one that is no number as NotANumber.
ConvertedBounds ConvertBounds(const std::string& startText, const std::string& endText);

// Raises the start to MinStart, puts the bounds in order and, only when they had to be
// exchanged, writes both boxes back (start first), then raises the start once more.
RangeBounds NormalizeRange(BoundValues values, RunView& view);

}  // namespace vodazi

#pragma once

#include <cstdint>
#include <string>

#include "calc/Bounds.h"
#include "calc/UserNumberForm.h"

namespace vodazi {

enum class BoundCheck { Accepted, NotANumber, OutOfRange };

// The numbers the two bound texts stand for, as 32-bit integers, before normalisation.
struct BoundValues {
    BoundCheck status = BoundCheck::NotANumber;
    std::int32_t start = 0;
    std::int32_t end = 0;
};

// Reads each text once as a number, in the user's form and in the locale-independent one
// (TextToDouble); where both read the text and differ, as "10.000" in German, the user's form
// holds. Both texts are read before anything is decided: a text that is no number is
// NotANumber; a bound strictly above MaxBound is OutOfRange, compared unrounded, so MaxBound
// itself is accepted. Accepted numbers are then rounded to the nearest integer; one that
// rounds below the 32-bit range is OutOfRange too.
BoundValues ReadBounds(const std::string& startText, const std::string& endText,
                       const NumberForm& userForm = {});

struct NormalizedRange {
    RangeBounds bounds;
    // Only after an exchange do both boxes change: to these values, start first. The start
    // shown is the one before the second raise.
    bool exchanged = false;
    std::int32_t shownStart = 0;
    std::int32_t shownEnd = 0;
};

// Raises the start to MinStart, puts the bounds in order, then raises the start once more.
NormalizedRange NormalizeRange(std::int32_t start, std::int32_t end);

}  // namespace vodazi

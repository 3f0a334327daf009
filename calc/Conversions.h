#pragma once

// Text-to-number conversions for the bound boxes and the number-to-text form used for
// every number the program shows or writes. They do not depend on the C locale, so the
// same text means the same number whatever locale the desktop runs in.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vodazi {

// Reads a decimal number: surrounding blanks and line breaks, an optional sign, digits with an
// optional fractional part (at least one digit in all) and an optional exponent ("1e3", "2.5E-1").
// Anything else ("", "abc", "inf", "nan", "0x10", "1,5") is not a number. A number too
// large for a double becomes plus or minus infinity, which the range check then rejects.
std::optional<double> TextToDouble(std::string_view text);

// Rounds to the nearest integer, an exact half going to the even neighbour; nothing when the
// result lies outside the signed 32-bit range.
std::optional<std::int32_t> DoubleToInt32(double number);

// The shortest decimal text: an optional minus sign and digits, no blanks, no grouping.
std::string IntToText(std::int64_t value);

}  // namespace vodazi

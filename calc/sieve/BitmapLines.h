#pragma once

#include <cstddef>
#include <cstdint>

#include "calc/sieve/BitmapPrimes.h"
#include "calc/sieve/GrowingBuffer.h"

namespace vodazi {

// The lines of a text file made of primes: each prime's decimal text, then CR LF. The
// longest, ten digits and CR LF.
inline constexpr std::size_t LongestLine = 12;

// Appends one line for each set bit of the wheel bitmap's bytes from..to, as AppendPrimes
// reads them (the same edges, the same slack after `to`): straight from the bits,
// since the digits of neighbouring primes differ only in the last four, which come from a
// table, while the leading ones are converted once per ten thousand numbers.
void AppendLines(std::uint8_t* bitmap, std::uint32_t from, std::uint32_t to, std::uint8_t firstBits,
                 std::uint8_t lastBits, std::uint32_t base, BitReading reading, TextBuffer& out);

// Appends the line of one number.
void AppendLine(std::uint32_t n, TextBuffer& out);

}  // namespace vodazi

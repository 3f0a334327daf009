#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vodazi {

// Reading back the lines of ascending numbers that BitmapLines makes, where a scan must cut
// them between two numbers.

// The number of the first line; `lines` must hold one.
std::uint32_t FirstLineNumber(std::span<const char> lines);

// The bytes of the leading lines whose numbers are below n, found by halving.
std::size_t BytesOfLinesBelow(std::span<const char> lines, std::uint64_t n);

}  // namespace vodazi

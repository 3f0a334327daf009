#pragma once

#include <cstdint>

#include "calc/sieve/GrowingBuffer.h"

namespace vodazi {

// The bytes a bitmap must have after the last one read, since it is read in whole words.
inline constexpr std::uint32_t BitmapSlackBytes = 8;

// How bits become numbers: with the processor's vector compression where it has one, else in
// plain code, which the tests also take on processors that have it.
enum class BitReading { Fastest, Portable };

// Appends the numbers of the set bits of the wheel bitmap's bytes from..to (inclusive,
// counted from `bitmap`, whose first byte stands for the numbers from `base`), keeping only
// the bits of `firstBits` in the first byte and those of `lastBits` in the last. The bitmap
// must have BitmapSlackBytes more bytes after `to`; they and the two edge bytes are changed
// while it reads, and restored.
void AppendPrimes(std::uint8_t* bitmap, std::uint32_t from, std::uint32_t to,
                  std::uint8_t firstBits, std::uint8_t lastBits, std::uint32_t base,
                  BitReading reading, PrimeBuffer& out);

}  // namespace vodazi

#pragma once

#include <cstdint>

namespace vodazi {

// The smallest primes strike so many numbers that copying their repeating pattern beats
// crossing them off one by one; the sieve crosses off the primes from this one on, the first
// after those of the patterns (Presieve.cpp asserts it).
inline constexpr std::uint32_t FirstCrossedPrime = 59;

// Fills `bytes` bytes of the bitmap, from bitmap byte `firstByte` on, with the numbers
// coprime to 30 that no prime below FirstCrossedPrime divides, those primes themselves
// included; the number 1 is left out.
void Presieve(std::uint32_t firstByte, std::uint8_t* segment, std::uint32_t bytes);

}  // namespace vodazi

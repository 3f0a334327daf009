#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace vodazi {

// The sieving primes are the primes up to this number: every composite 32-bit number has a
// prime factor no larger.
inline constexpr std::uint32_t SievingLimit = 65535;
static_assert(std::uint64_t{SievingLimit + 1} * (SievingLimit + 1) >
              std::numeric_limits<std::uint32_t>::max());

// A sieving prime with what every sieve needs of it, worked out once.
struct SievingPrime {
    std::uint32_t prime;
    std::uint16_t k;            // prime / 30
    std::uint8_t residueClass;  // the wheel bit of prime % 30
    std::uint64_t reciprocal;   // 2^64 / prime rounded up: a 32-bit n / prime is a product
};
static_assert(SievingLimit / 30 <= std::numeric_limits<decltype(SievingPrime::k)>::max());

// The primes from FirstCrossedPrime up to SievingLimit, found once per process, on first
// use, since every sieve of every range needs the same ones.
const std::vector<SievingPrime>& SievingPrimes();

// n / prime for any 32-bit n, by the prime's reciprocal: a multiplication costs a fraction
// of a division, and a short range sets up thousands of primes.
inline std::uint32_t DivideBy(const SievingPrime& prime, std::uint32_t n) {
    __extension__ using Wide = unsigned __int128;
    // cppcheck takes the 128-bit product for a 32-bit one.
    // cppcheck-suppress shiftTooManyBits
    return static_cast<std::uint32_t>((Wide{prime.reciprocal} * n) >> 64);
}

}  // namespace vodazi

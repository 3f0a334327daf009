#pragma once

#include <cstdint>

namespace vodazi::bench {

// The primes of the whole range 3..2147483647, pi(2^31 - 1) less the prime 2: a figure over
// that range is void unless its run delivered every one of them.
inline constexpr std::uint64_t PrimesInWholeRange = 105'097'564;

}  // namespace vodazi::bench

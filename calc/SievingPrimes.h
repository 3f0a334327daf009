#pragma once

#include <cstdint>
#include <vector>

namespace vodazi {

// The primes from FirstCrossedPrime up to 65535, whose squares reach past every 32-bit
// number; found once per process, on first use, since every sieve of every range needs the
// same ones.
const std::vector<std::uint32_t>& SievingPrimes();

}  // namespace vodazi

#pragma once

#include <cstddef>
#include <cstdint>
#include <primesieve.hpp>

#include "calc/PrimeBuffer.h"

namespace vodazi {

// Sieves the primes of one range after another with libprimesieve. A range that starts right
// after the one before continues the same sieve, so a scan taken piece by piece on one thread
// sets up once; any other range starts afresh.
class RangeSieve {
  public:
    // Appends the primes n with lo <= n <= hi in ascending order. A fresh start sizes the
    // sieve for the numbers up to `sieveUpTo` (at least hi): the end of the ranges that will
    // follow this one without a gap.
    void Collect(std::uint32_t lo, std::uint32_t hi, std::uint32_t sieveUpTo, PrimeBuffer& out);

  private:
    void NextBuffer();

    primesieve::iterator primes_;
    std::uint64_t continuesAt_ = 0;  // the number after the last range, 0 before the first
    std::size_t taken_ = 0;          // primes of the iterator's buffer already handed out
};

}  // namespace vodazi

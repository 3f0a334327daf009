#pragma once

#include <cstdint>
#include <vector>

#include "calc/PrimeBuffer.h"

namespace vodazi {

// A segmented sieve of Eratosthenes on the wheel of 30: one byte stands for the thirty
// numbers 30b .. 30b+29 and its eight bits for those of them not divisible by 2, 3 or 5.
// Multiples of 7, 11 and 13 are removed by copying a precomputed pattern; the other sieving
// primes cross off their multiples in unrolled rounds of eight, one per wheel residue.
namespace wheel {
inline constexpr std::uint32_t NumbersPerByte = 30;
// Bytes sieved at once: small enough to stay in the first-level data cache.
inline constexpr std::uint32_t SegmentBytes = 32 * 1024;
}  // namespace wheel

// The primes that cross off multiples for ranges up to `limit` (all primes from 17 up to
// the square root of the limit), shared read-only by every sieve of one scan.
std::vector<std::uint32_t> SievingPrimesUpTo(std::uint32_t limit);

class WheelSieve {
public:
    explicit WheelSieve(const std::vector<std::uint32_t>& sievingPrimes);

    // Appends the primes n with lo <= n <= hi, lo >= 3, in ascending order.
    void Collect(std::uint32_t lo, std::uint32_t hi, PrimeBuffer& out);

private:
    struct Crosser {
        std::uint32_t prime;
        std::uint32_t roundStart;   // absolute byte of the current round of eight multiples
        std::uint16_t offset[8];    // byte of each multiple within a round
        std::uint8_t residueClass;  // which bit masks apply, from prime mod 30
        std::uint8_t next;          // index of the next multiple within the round
    };

    void StartCrossers(std::uint64_t firstByte, std::uint64_t lastNumber);
    void SieveSegment(std::uint64_t segmentByte, std::uint32_t bytes);
    void ClipToRange(std::uint64_t segmentByte, std::uint32_t bytes, std::uint32_t lo,
                     std::uint32_t hi);
    void Extract(std::uint64_t segmentByte, std::uint32_t bytes, PrimeBuffer& out);

    std::vector<Crosser> crossers_;
    std::size_t activeCrossers_ = 0;
    std::vector<std::uint8_t> segment_;
};

}  // namespace vodazi

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "calc/RangeSieve.h"
#include "tests/support/LiteralReference.h"

namespace vodazi {
namespace {

// The trial division judges odd numbers from 3; 2 is the one even prime.
bool IsPrime(std::uint32_t n) {
    return n == 2 || (n >= 3 && n % 2 == 1 && support::LiteralIsPrime(n));
}

// A sieve taken in two consecutive pieces, lo..split-1 and split..hi, the way the chunks of a
// scan follow each other; the second piece is compared with the trial division.
struct Borders {
    std::uint32_t lo;
    std::uint32_t split;
    std::uint32_t hi;
    std::uint32_t sieveUpTo;
};

constexpr std::uint32_t Max = MaxBound;
constexpr std::uint32_t SegmentNumbers = RangeSieve::SegmentBytes * 30;
constexpr std::uint32_t Square = 46337u * 46337u;   // the largest prime square below 2^31
constexpr std::uint32_t HighStart = 2'000'000'010;  // a multiple of 30: segments start there

const Borders Table[] = {
    // The first numbers: no bitmap place for 2, 3, 5; 7 to 29 struck by the pre-sieve.
    {0, 0, 40, 40},
    {3, 3, 200, 200},
    {4, 4, 200, 200},
    {5, 5, 200, 200},
    {6, 6, 200, 200},
    {7, 7, 200, 200},
    {2, 14, 100, Max},  // pieces meeting inside the first byte
    // Ranges of one number.
    {7, 7, 7, 7},
    {29, 29, 29, Max},
    {31, 31, 31, 31},
    {Square, Square, Square, Square},
    {Max, Max, Max, Max},
    // Segment borders, low and high; a last segment stretched to sieveUpTo.
    {3, SegmentNumbers - 500, SegmentNumbers + 500, 3 * SegmentNumbers},
    {3, SegmentNumbers - 500, SegmentNumbers + 500, SegmentNumbers + 500},
    {HighStart, HighStart + SegmentNumbers - 700, HighStart + SegmentNumbers + 700, Max},
    {HighStart + 7, HighStart + 2 * SegmentNumbers - 19, HighStart + 2 * SegmentNumbers + 300,
     HighStart + 2 * SegmentNumbers + 300},
    // Around the largest square, and up to the largest bound.
    {Square - 300, Square - 300, Square + 300, Max},
    {Max - 3000, Max - 3000, Max, Max},
    {Max - SegmentNumbers - 1000, Max - 1000, Max, Max},
};

TEST(RangeSieve, MatchesTheTrialDivisionAtItsBorders) {
    for (const BitReading reading : {BitReading::Fastest, BitReading::Portable}) {
        // One sieve for all the rows, so that each row after the first restarts it.
        RangeSieve sieve(reading);
        for (const Borders& row : Table) {
            PrimeBuffer primes;
            if (row.split > row.lo) sieve.Collect(row.lo, row.split - 1, row.sieveUpTo, primes);
            primes.Clear();
            sieve.Collect(row.split, row.hi, row.sieveUpTo, primes);
            std::vector<std::uint32_t> expected;
            for (std::uint64_t n = row.split; n <= row.hi; ++n) {
                const auto number = static_cast<std::uint32_t>(n);
                if (IsPrime(number)) expected.push_back(number);
            }
            const auto got = primes.View();
            EXPECT_EQ(std::vector<std::uint32_t>(got.begin(), got.end()), expected)
                << row.lo << " " << row.split << ".." << row.hi << " up to " << row.sieveUpTo;
        }
    }
}

}  // namespace
}  // namespace vodazi

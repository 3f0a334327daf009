#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "calc/sieve/RangeSieve.h"
#include "tests/support/FileBytes.h"
#include "tests/support/LiteralReference.h"

namespace vodazi {
namespace {

// The trial division judges odd numbers from 3; 2 is the one even prime.
bool IsPrime(std::uint32_t n) {
    return n == 2 || (n >= 3 && n % 2 == 1 && support::LiteralIsPrime(n));
}

// A sieve taken in two consecutive pieces, lo..split-1 and split..hi, the way the chunks of a
// scan follow each other; the second piece is compared with the trial division, as numbers
// and as the lines of a report.
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
    // Lines where the digits above the last four change, and with them the line length: from
    // four digits to five, five to six, nine to ten, and at a ten-thousand border.
    {9000, 9000, 10'500, 10'500},
    {90'000, 99'000, 101'000, Max},
    {999'000'000, 999'990'000, 1'000'020'000, 1'000'020'000},
    {HighStart, HighStart + 9'000, HighStart + 10'300, HighStart + 10'300},
    // Around the largest square, and up to the largest bound.
    {Square - 300, Square - 300, Square + 300, Max},
    {Max - 3000, Max - 3000, Max, Max},
    {Max - SegmentNumbers - 1000, Max - 1000, Max, Max},
};

std::string LinesOf(const std::vector<std::uint32_t>& primes) {
    std::string lines;
    for (const std::uint32_t n : primes) lines += std::to_string(n) + "\r\n";
    return lines;
}

// Rows starting at each of the eight bytes of a word, so that the words meet the ten-thousand
// borders of the lines' leading digits in every way they can.
std::vector<Borders> WithEveryWordPhase() {
    std::vector<Borders> rows(std::begin(Table), std::end(Table));
    constexpr std::uint32_t Low = 100'000'020;  // a multiple of 30: a byte starts there
    for (std::uint32_t byte = 0; byte < 8; ++byte) {
        const std::uint32_t lo = Low + 30 * byte;
        rows.push_back({lo, lo, lo + 40'000, Max});
    }
    return rows;
}

TEST(RangeSieve, MatchesTheTrialDivisionAtItsBorders) {
    for (const BitReading reading : {BitReading::Fastest, BitReading::Portable}) {
        // One sieve for each form and all the rows, so that each row after the first
        // restarts it.
        RangeSieve sieve(reading);
        RangeSieve lineSieve(reading);
        for (const Borders& row : WithEveryWordPhase()) {
            PrimeBuffer primes;
            TextBuffer lines;
            if (row.split > row.lo) {
                sieve.Collect(row.lo, row.split - 1, row.sieveUpTo, primes);
                lineSieve.Collect(row.lo, row.split - 1, row.sieveUpTo, lines);
            }
            primes.Clear();
            lines.Clear();
            sieve.Collect(row.split, row.hi, row.sieveUpTo, primes);
            lineSieve.Collect(row.split, row.hi, row.sieveUpTo, lines);
            std::vector<std::uint32_t> expected;
            for (std::uint64_t n = row.split; n <= row.hi; ++n) {
                const auto number = static_cast<std::uint32_t>(n);
                if (IsPrime(number)) expected.push_back(number);
            }
            const auto got = primes.View();
            EXPECT_EQ(std::vector<std::uint32_t>(got.begin(), got.end()), expected)
                << row.lo << " " << row.split << ".." << row.hi << " up to " << row.sieveUpTo;
            EXPECT_TRUE(support::SameBytes(std::string(lines.View().begin(), lines.View().end()),
                                           LinesOf(expected)))
                << row.lo << " " << row.split << ".." << row.hi << " up to " << row.sieveUpTo;
        }
    }
}

}  // namespace
}  // namespace vodazi

#include "calc/sieve/Presieve.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <span>
#include <vector>

#include "calc/sieve/BitmapWords.h"
#include "calc/sieve/Wheel30.h"

namespace vodazi {
namespace {

// The bitmap of the numbers no prime of `primes` divides, for one period of bytes (the
// product of the primes, since 30 numbers make a byte), written twice over so that any
// phase can be copied from in pieces of at least a period.
struct Pattern {
    std::uint32_t period = 1;
    std::vector<std::uint8_t> bytes;
};

Pattern MakePattern(std::span<const std::uint32_t> primes) {
    Pattern pattern;
    for (const std::uint32_t p : primes) pattern.period *= p;
    pattern.bytes.resize(2 * std::size_t{pattern.period});
    for (std::size_t b = 0; b < pattern.bytes.size(); ++b) {
        std::uint8_t bits = 0;
        for (unsigned i = 0; i < 8; ++i) {
            const std::uint64_t n = wheel::NumbersPerByte * b + wheel::Residues[i];
            if (std::none_of(primes.begin(), primes.end(),
                             [n](std::uint32_t p) { return n % p == 0; })) {
                bits |= static_cast<std::uint8_t>(1u << i);
            }
        }
        pattern.bytes[b] = bits;
    }
    return pattern;
}

// The primes the patterns strike, each prime from 7, the first prime the wheel keeps, to
// the last before FirstCrossedPrime; in the bitmap they must stay.
constexpr std::array<std::uint32_t, 13> PatternPrimes = {7,  11, 13, 17, 19, 23, 29,
                                                         31, 37, 41, 43, 47, 53};

constexpr bool IsPrime(std::uint32_t n) {
    for (std::uint32_t d = 2; d * d <= n; ++d) {
        if (n % d == 0) return false;
    }
    return n >= 2;
}

// No prime escapes both the patterns and the crossing off, and none is struck twice.
constexpr bool PatternsEndRightBeforeTheCrossedPrimes() {
    std::size_t next = 0;
    for (std::uint32_t n = PatternPrimes.front(); n < FirstCrossedPrime; ++n) {
        if (IsPrime(n) && (next == PatternPrimes.size() || PatternPrimes[next++] != n)) {
            return false;
        }
    }
    return next == PatternPrimes.size() && IsPrime(FirstCrossedPrime);
}
static_assert(PatternsEndRightBeforeTheCrossedPrimes());

// How many of them each pattern takes, in order. The first pattern is copied and the others
// laid over it in one pass, which costs less than crossing off their primes: 31, for one,
// would strike a quarter of all bytes. Larger patterns would leave less of the level 2 cache
// to the segment.
constexpr std::array<std::size_t, 4> PatternSizes = {4, 3, 3, 3};
static_assert(std::accumulate(PatternSizes.begin(), PatternSizes.end(), std::size_t{0}) ==
              PatternPrimes.size());

using PatternSet = std::array<Pattern, PatternSizes.size()>;

const PatternSet& Patterns() {
    // Never destroyed, like the sieving primes (SievingPrimes.cpp).
    static const PatternSet& patterns = *new const PatternSet([] {
        PatternSet made;
        std::size_t first = 0;
        for (std::size_t i = 0; i < made.size(); ++i) {
            made[i] = MakePattern(std::span(PatternPrimes).subspan(first, PatternSizes[i]));
            first += PatternSizes[i];
        }
        return made;
    }());
    return patterns;
}

void CopyPattern(const Pattern& pattern, std::uint32_t firstByte, std::uint8_t* segment,
                 std::uint32_t bytes) {
    std::uint32_t phase = firstByte % pattern.period;
    while (bytes > 0) {
        const std::uint32_t piece = std::min(bytes, 2 * pattern.period - phase);
        std::memcpy(segment, pattern.bytes.data() + phase, piece);
        segment += piece;
        bytes -= piece;
        phase = (phase + piece) % pattern.period;
    }
}

// Word by word, so that it runs at the speed of the copies whatever the optimiser does.
void AndPieces(std::uint8_t* to, const std::uint8_t* a, const std::uint8_t* b,
               const std::uint8_t* c, std::uint32_t bytes) {
    std::uint32_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        const std::uint64_t word =
            BitmapWord(to + i) & BitmapWord(a + i) & BitmapWord(b + i) & BitmapWord(c + i);
        std::memcpy(to + i, &word, 8);
    }
    for (; i < bytes; ++i) to[i] &= a[i] & b[i] & c[i];
}

void AndPatterns(std::span<const Pattern, 3> patterns, std::uint32_t firstByte,
                 std::uint8_t* segment, std::uint32_t bytes) {
    std::array<std::uint32_t, 3> phase{};
    for (std::size_t i = 0; i < phase.size(); ++i) phase[i] = firstByte % patterns[i].period;
    while (bytes > 0) {
        std::uint32_t piece = bytes;
        for (std::size_t i = 0; i < phase.size(); ++i) {
            piece = std::min(piece, 2 * patterns[i].period - phase[i]);
        }
        AndPieces(segment, patterns[0].bytes.data() + phase[0], patterns[1].bytes.data() + phase[1],
                  patterns[2].bytes.data() + phase[2], piece);
        segment += piece;
        bytes -= piece;
        for (std::size_t i = 0; i < phase.size(); ++i) {
            phase[i] = (phase[i] + piece) % patterns[i].period;
        }
    }
}

}  // namespace

void Presieve(std::uint32_t firstByte, std::uint8_t* segment, std::uint32_t bytes) {
    const auto& patterns = Patterns();
    CopyPattern(patterns[0], firstByte, segment, bytes);
    AndPatterns(std::span(patterns).subspan<1>(), firstByte, segment, bytes);
    if (firstByte > PatternPrimes.back() / wheel::NumbersPerByte) return;
    for (const std::uint32_t p : PatternPrimes) {
        const std::uint32_t byte = p / wheel::NumbersPerByte;
        if (byte >= firstByte && byte - firstByte < bytes) {
            segment[byte - firstByte] |=
                static_cast<std::uint8_t>(1u << wheel::BitOf(p % wheel::NumbersPerByte));
        }
    }
    // 1 is no prime.
    if (firstByte == 0) segment[0] &= 0xFE;
}

}  // namespace vodazi

#include "calc/Presieve.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "calc/Wheel30.h"

namespace vodazi {
namespace {

// The bitmap of the numbers no prime of `primes` divides, for one period of bytes (the
// product of the primes, since 30 numbers make a byte), written twice over so that any
// phase can be copied from in pieces of at least a period.
struct Pattern {
    std::uint32_t period = 1;
    std::vector<std::uint8_t> bytes;
};

Pattern MakePattern(std::initializer_list<std::uint32_t> primes) {
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

// Two patterns of about 16 KiB each: the first is copied, the second laid over it, which
// costs less than crossing off 19, 23 and 29 and keeps both patterns near the core.
const std::array<Pattern, 2>& Patterns() {
    static const std::array<Pattern, 2> patterns = {MakePattern({7, 11, 13, 17}),
                                                    MakePattern({19, 23, 29})};
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
void AndPiece(std::uint8_t* to, const std::uint8_t* from, std::uint32_t bytes) {
    std::uint32_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        std::uint64_t a = 0;
        std::uint64_t b = 0;
        std::memcpy(&a, to + i, 8);
        std::memcpy(&b, from + i, 8);
        a &= b;
        std::memcpy(to + i, &a, 8);
    }
    for (; i < bytes; ++i) to[i] &= from[i];
}

void AndPattern(const Pattern& pattern, std::uint32_t firstByte, std::uint8_t* segment,
                std::uint32_t bytes) {
    std::uint32_t phase = firstByte % pattern.period;
    while (bytes > 0) {
        const std::uint32_t piece = std::min(bytes, 2 * pattern.period - phase);
        AndPiece(segment, pattern.bytes.data() + phase, piece);
        segment += piece;
        bytes -= piece;
        phase = (phase + piece) % pattern.period;
    }
}

}  // namespace

void Presieve(std::uint32_t firstByte, std::uint8_t* segment, std::uint32_t bytes) {
    const auto& patterns = Patterns();
    CopyPattern(patterns[0], firstByte, segment, bytes);
    AndPattern(patterns[1], firstByte, segment, bytes);
    // The patterns strike the primes 7 to 29 themselves, and 1 is no prime: the first byte's
    // numbers 1, 7, 11, ..., 29 are all prime but 1.
    if (firstByte == 0 && bytes > 0) segment[0] = 0xFE;
}

}  // namespace vodazi

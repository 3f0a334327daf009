#include "calc/WheelSieve.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace vodazi {
namespace {

using wheel::NumbersPerByte;
using wheel::SegmentBytes;

// The residues modulo 30 of the numbers a byte stands for, one per bit.
constexpr std::array<std::uint32_t, 8> Residues = {1, 7, 11, 13, 17, 19, 23, 29};

constexpr std::array<int, 30> BitOfResidue = [] {
    std::array<int, 30> bits{};
    bits.fill(-1);
    for (int k = 0; k < 8; ++k) bits[Residues[k]] = k;
    return bits;
}();

// First wheel index whose residue is at least r, for r in 0..29.
constexpr std::array<std::uint8_t, 30> WheelIndexAtLeast = [] {
    std::array<std::uint8_t, 30> index{};
    for (std::uint32_t r = 0; r < 30; ++r) {
        std::uint8_t k = 0;
        while (Residues[k] < r) ++k;
        index[r] = k;
    }
    return index;
}();

// KeepMask[c][k]: the byte mask that removes the multiple p * (30j + Residues[k]) for a prime
// with p mod 30 == Residues[c]; that multiple's residue depends on nothing else.
constexpr std::array<std::array<std::uint8_t, 8>, 8> KeepMask = [] {
    std::array<std::array<std::uint8_t, 8>, 8> masks{};
    for (int c = 0; c < 8; ++c) {
        for (int k = 0; k < 8; ++k) {
            const int bit = BitOfResidue[(Residues[c] * Residues[k]) % 30];
            masks[c][k] = static_cast<std::uint8_t>(~(1u << bit));
        }
    }
    return masks;
}();

// For bit t of a little-endian 64-bit word of the sieve: its number's distance from the
// number 30 * (first byte of the word).
constexpr std::array<std::uint32_t, 64> WordBitOffset = [] {
    std::array<std::uint32_t, 64> offsets{};
    for (std::uint32_t t = 0; t < 64; ++t) offsets[t] = (t / 8) * 30 + Residues[t % 8];
    return offsets;
}();

// 7 * 11 * 13 bytes: after this many bytes the multiples of 7, 11 and 13 repeat.
constexpr std::uint32_t PresievePeriod = 7 * 11 * 13;

// The presieve pattern, long enough that a whole segment is one copy from any phase.
const std::vector<std::uint8_t>& PresievePattern() {
    static const std::vector<std::uint8_t> pattern = [] {
        std::vector<std::uint8_t> bytes(PresievePeriod + SegmentBytes);
        for (std::size_t b = 0; b < bytes.size(); ++b) {
            std::uint8_t bits = 0;
            for (int k = 0; k < 8; ++k) {
                const std::uint64_t n = NumbersPerByte * b + Residues[k];
                if (n % 7 != 0 && n % 11 != 0 && n % 13 != 0) bits |= static_cast<std::uint8_t>(1u << k);
            }
            bytes[b] = bits;
        }
        return bytes;
    }();
    return pattern;
}

constexpr std::uint32_t FirstCrossingPrime = 17;

}  // namespace

std::vector<std::uint32_t> SievingPrimesUpTo(std::uint32_t limit) {
    auto root = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(limit)));
    while (static_cast<std::uint64_t>(root) * root > limit) --root;
    while (static_cast<std::uint64_t>(root + 1) * (root + 1) <= limit) ++root;

    std::vector<bool> composite(root + 1, false);
    std::vector<std::uint32_t> primes;
    for (std::uint32_t n = 2; n <= root; ++n) {
        if (composite[n]) continue;
        if (n >= FirstCrossingPrime) primes.push_back(n);
        for (std::uint64_t multiple = static_cast<std::uint64_t>(n) * n; multiple <= root;
             multiple += n) {
            composite[multiple] = true;
        }
    }
    return primes;
}

WheelSieve::WheelSieve(const std::vector<std::uint32_t>& sievingPrimes)
    : segment_(SegmentBytes + 8) {
    crossers_.reserve(sievingPrimes.size());
    for (const std::uint32_t p : sievingPrimes) {
        Crosser crosser{};
        crosser.prime = p;
        crosser.residueClass = static_cast<std::uint8_t>(BitOfResidue[p % 30]);
        for (int k = 0; k < 8; ++k) {
            crosser.offset[k] = static_cast<std::uint16_t>(p * Residues[k] / NumbersPerByte);
        }
        crossers_.push_back(crosser);
    }
}

// Points every prime at its first multiple inside the chunk (never below its square, since
// smaller multiples have a smaller prime factor) and leaves out primes whose square lies
// beyond the chunk.
void WheelSieve::StartCrossers(std::uint64_t firstByte, std::uint64_t lastNumber) {
    const std::uint64_t firstNumber = firstByte * NumbersPerByte;
    activeCrossers_ = 0;
    for (Crosser& crosser : crossers_) {
        const std::uint64_t p = crosser.prime;
        if (p * p > lastNumber) break;
        const std::uint64_t multiplier = std::max(p, (firstNumber + p - 1) / p);
        crosser.roundStart = static_cast<std::uint32_t>(p * (multiplier / 30));
        crosser.next = WheelIndexAtLeast[multiplier % 30];
        ++activeCrossers_;
    }
}

void WheelSieve::SieveSegment(std::uint64_t segmentByte, std::uint32_t bytes) {
    std::uint8_t* const sieve = segment_.data();
    std::memcpy(sieve, PresievePattern().data() + segmentByte % PresievePeriod, bytes);
    const auto end = static_cast<std::int64_t>(bytes);

    for (std::size_t i = 0; i < activeCrossers_; ++i) {
        Crosser& c = crossers_[i];
        const std::uint8_t* keep = KeepMask[c.residueClass].data();
        const auto p = static_cast<std::int64_t>(c.prime);
        std::int64_t base = static_cast<std::int64_t>(c.roundStart) - static_cast<std::int64_t>(segmentByte);
        unsigned k = c.next;

        // Finish the round the previous segment left open.
        for (; k < 8; ++k) {
            const std::int64_t at = base + c.offset[k];
            if (at >= end) goto save;
            sieve[at] &= keep[k];
        }
        base += p;
        k = 0;

        {
            const std::int64_t o0 = c.offset[0], o1 = c.offset[1], o2 = c.offset[2], o3 = c.offset[3];
            const std::int64_t o4 = c.offset[4], o5 = c.offset[5], o6 = c.offset[6], o7 = c.offset[7];
            for (; base + o7 < end; base += p) {
                sieve[base + o0] &= keep[0];
                sieve[base + o1] &= keep[1];
                sieve[base + o2] &= keep[2];
                sieve[base + o3] &= keep[3];
                sieve[base + o4] &= keep[4];
                sieve[base + o5] &= keep[5];
                sieve[base + o6] &= keep[6];
                sieve[base + o7] &= keep[7];
            }
        }
        for (; k < 8; ++k) {
            const std::int64_t at = base + c.offset[k];
            if (at >= end) break;
            sieve[at] &= keep[k];
        }
    save:
        c.roundStart = static_cast<std::uint32_t>(base + static_cast<std::int64_t>(segmentByte));
        c.next = static_cast<std::uint8_t>(k);
    }
}

void WheelSieve::ClipToRange(std::uint64_t segmentByte, std::uint32_t bytes, std::uint32_t lo,
                             std::uint32_t hi) {
    std::uint8_t* const sieve = segment_.data();
    if (segmentByte == 0) {
        // 1 is no prime; 7, 11 and 13 are, though the presieve pattern removed them.
        sieve[0] = static_cast<std::uint8_t>((sieve[0] & ~1u) | 0b1110u);
    }
    const auto clip = [&](std::uint64_t byte, auto keepNumber) {
        if (byte < segmentByte || byte >= segmentByte + bytes) return;
        std::uint8_t& bits = sieve[byte - segmentByte];
        for (int k = 0; k < 8; ++k) {
            if (!keepNumber(byte * NumbersPerByte + Residues[k])) bits &= static_cast<std::uint8_t>(~(1u << k));
        }
    };
    clip(lo / NumbersPerByte, [lo](std::uint64_t n) { return n >= lo; });
    clip(hi / NumbersPerByte, [hi](std::uint64_t n) { return n <= hi; });
    // Whole words are read when extracting: the bytes past the end must hold no primes.
    std::memset(sieve + bytes, 0, segment_.size() - bytes);
}

void WheelSieve::Extract(std::uint64_t segmentByte, std::uint32_t bytes, PrimeBuffer& out) {
    const std::uint8_t* const sieve = segment_.data();
    std::uint32_t* const first = out.Room(static_cast<std::size_t>(bytes + 8) * 8);
    std::uint32_t* write = first;
    for (std::uint32_t w = 0; w < bytes; w += 8) {
        std::uint64_t word;
        std::memcpy(&word, sieve + w, sizeof word);
        if (word == 0) continue;
        const auto base = static_cast<std::uint32_t>((segmentByte + w) * NumbersPerByte);
        do {
            *write++ = base + WordBitOffset[std::countr_zero(word)];
            word &= word - 1;
        } while (word != 0);
    }
    out.Commit(static_cast<std::size_t>(write - first));
}

void WheelSieve::Collect(std::uint32_t lo, std::uint32_t hi, PrimeBuffer& out) {
    if (lo > hi) return;
    // 3 and 5 divide the wheel's modulus, so the bytes do not stand for them.
    for (const std::uint32_t small : {3u, 5u}) {
        if (lo <= small && small <= hi) *out.Room(1) = small, out.Commit(1);
    }
    const std::uint64_t firstByte = lo / NumbersPerByte;
    const std::uint64_t endByte = hi / NumbersPerByte + 1;
    StartCrossers(firstByte, hi);
    for (std::uint64_t segmentByte = firstByte; segmentByte < endByte; segmentByte += SegmentBytes) {
        const auto bytes = static_cast<std::uint32_t>(std::min<std::uint64_t>(SegmentBytes, endByte - segmentByte));
        SieveSegment(segmentByte, bytes);
        ClipToRange(segmentByte, bytes, lo, hi);
        Extract(segmentByte, bytes, out);
    }
}

}  // namespace vodazi

#include "calc/sieve/CrossOff.h"

#include <algorithm>
#include <array>
#include <utility>

#include "calc/sieve/Wheel30.h"

namespace vodazi {
namespace {

using wheel::ByteOffset;
using wheel::ClearMask;
using wheel::Residues;

// How far the byte moves from the multiple with wheel index j to the next one, for a prime
// 30k + Residues[C]: k * WheelGap[j] + OffsetGap[C][j] (the last step wraps into the next
// turn, whose multiplier is 30 more).
inline constexpr std::array<std::uint32_t, 8> WheelGap = [] {
    std::array<std::uint32_t, 8> gaps{};
    for (unsigned j = 0; j < 8; ++j) {
        const std::uint32_t after = j < 7 ? Residues[j + 1] : 30 + Residues[0];
        gaps[j] = after - Residues[j];
    }
    return gaps;
}();
inline constexpr std::array<std::array<std::uint32_t, 8>, 8> OffsetGap = [] {
    std::array<std::array<std::uint32_t, 8>, 8> gaps{};
    for (unsigned c = 0; c < 8; ++c) {
        for (unsigned j = 0; j < 8; ++j) {
            const std::uint32_t after = j < 7 ? ByteOffset[c][j + 1] : Residues[c];
            gaps[c][j] = after - ByteOffset[c][j];
        }
    }
    return gaps;
}();

// Crosses off the multiple with wheel index J if it lies in the segment and moves on to the
// next one; false if it lies beyond.
template <unsigned C, unsigned J>
inline bool CrossOne(std::uint8_t* segment, std::uint32_t bytes, std::uint32_t k,
                     std::uint32_t& at) {
    if (at >= bytes) return false;
    segment[at] &= ClearMask[C][J];
    at += k * WheelGap[J] + OffsetGap[C][J];
    return true;
}

// Crosses off the multiples from wheel index `from` to the end of the turn while they lie
// in the segment; returns the index it stopped at, or 8 after the whole turn.
template <unsigned C>
inline unsigned CrossRestOfTurn(std::uint8_t* segment, std::uint32_t bytes, std::uint32_t k,
                                std::uint32_t& at, unsigned from) {
    switch (from) {
        case 0:
            if (!CrossOne<C, 0>(segment, bytes, k, at)) return 0;
            [[fallthrough]];
        case 1:
            if (!CrossOne<C, 1>(segment, bytes, k, at)) return 1;
            [[fallthrough]];
        case 2:
            if (!CrossOne<C, 2>(segment, bytes, k, at)) return 2;
            [[fallthrough]];
        case 3:
            if (!CrossOne<C, 3>(segment, bytes, k, at)) return 3;
            [[fallthrough]];
        case 4:
            if (!CrossOne<C, 4>(segment, bytes, k, at)) return 4;
            [[fallthrough]];
        case 5:
            if (!CrossOne<C, 5>(segment, bytes, k, at)) return 5;
            [[fallthrough]];
        case 6:
            if (!CrossOne<C, 6>(segment, bytes, k, at)) return 6;
            [[fallthrough]];
        default:
            if (!CrossOne<C, 7>(segment, bytes, k, at)) return 7;
    }
    return 8;
}

// The eight multiples of one whole turn, `turn` pointing at the first one's byte.
template <unsigned C, std::size_t... J>
inline void CrossTurn(std::uint8_t* turn, std::uint32_t k, std::index_sequence<J...>) {
    ((turn[k * (Residues[J] - 1) + ByteOffset[C][J]] &= ClearMask[C][J]), ...);
}

template <unsigned C>
void CrossClass(std::uint8_t* segment, std::uint32_t bytes, Crosser& crosser) {
    const std::uint32_t k = crosser.k;
    std::uint32_t at = crosser.next;
    unsigned index = CrossRestOfTurn<C>(segment, bytes, k, at, crosser.wheelIndex);
    if (index == 8) {
        const std::uint32_t prime = 30 * k + Residues[C];
        const std::uint32_t turnSpan = k * (Residues[7] - 1) + ByteOffset[C][7];
        for (; at + turnSpan < bytes; at += prime) {
            CrossTurn<C>(segment + at, k, std::make_index_sequence<8>());
        }
        index = CrossRestOfTurn<C>(segment, bytes, k, at, 0);
    }
    crosser.next = at - bytes;
    crosser.wheelIndex = static_cast<std::uint8_t>(index);
}

// One crossing-off loop for each residue class of the primes, compiled with its offsets and
// masks as constants.
constexpr std::array<void (*)(std::uint8_t*, std::uint32_t, Crosser&), 8> CrossClasses = {
    CrossClass<0>, CrossClass<1>, CrossClass<2>, CrossClass<3>,
    CrossClass<4>, CrossClass<5>, CrossClass<6>, CrossClass<7>};

}  // namespace

Crosser MakeCrosser(const SievingPrime& sieving, std::uint32_t segmentByte) {
    const std::uint32_t p = sieving.prime;
    const std::uint32_t from = segmentByte * wheel::NumbersPerByte;
    std::uint32_t multiplier = DivideBy(sieving, from);
    multiplier += multiplier * p != from;  // rounded up
    multiplier = std::max(multiplier, p);
    const unsigned index = wheel::IndexAtLeast[multiplier % 30];
    const unsigned c = sieving.residueClass;
    const std::uint64_t byte = std::uint64_t{p} * (multiplier / 30) +
                               std::uint64_t{sieving.k} * Residues[index] + ByteOffset[c][index];
    return Crosser{static_cast<std::uint32_t>(byte - segmentByte), sieving.k,
                   static_cast<std::uint8_t>(index), sieving.residueClass};
}

void CrossOff(std::uint8_t* segment, std::uint32_t bytes, std::span<Crosser> crossers) {
    for (Crosser& crosser : crossers) {
        // Only a short stretch, as a short range's segment or the tail block of a segment,
        // can lie wholly between two multiples of a prime: even the largest sieving prime's
        // lie at most about SievingLimit / 5 bytes apart, far less than a whole segment.
        // There most of the larger primes strike nothing and only move on, without the call.
        if (crosser.next >= bytes) {
            crosser.next -= bytes;
            continue;
        }
        CrossClasses[crosser.residueClass](segment, bytes, crosser);
    }
}

}  // namespace vodazi

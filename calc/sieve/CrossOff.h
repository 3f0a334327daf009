#pragma once

#include <cstdint>
#include <limits>
#include <span>

#include "calc/sieve/SievingPrimes.h"

namespace vodazi {

// One sieving prime p = 30 * k + wheel::Residues[residueClass] and where it strikes next.
// Its multiples that matter are p times a number coprime to 30, eight per turn of the wheel.
struct Crosser {
    std::uint32_t next;  // the byte of the next multiple, counted from the next segment's start
    std::uint16_t k;
    std::uint8_t wheelIndex;  // that multiple is p * (30t + wheel::Residues[wheelIndex])
    std::uint8_t residueClass;
};
static_assert(SievingLimit / 30 <= std::numeric_limits<decltype(Crosser::k)>::max());

// The crosser of `prime` for a segment starting at bitmap byte `segmentByte`: at its first
// multiple there that is not below its square (a smaller multiple has a smaller factor).
Crosser MakeCrosser(const SievingPrime& prime, std::uint32_t segmentByte);

// Crosses the multiples of every crosser off the segment's `bytes` bytes, and leaves each
// crosser at its first multiple beyond them, counted from the segment's end.
void CrossOff(std::uint8_t* segment, std::uint32_t bytes, std::span<Crosser> crossers);

}  // namespace vodazi

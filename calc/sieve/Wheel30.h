#pragma once

#include <array>
#include <cstdint>

// The sieve's bitmap keeps only the numbers coprime to 30: one byte per 30 numbers, bit i
// standing for 30 * byte + Residues[i]. Multiples of 2, 3 and 5 never take room, so a byte
// covers 30 numbers where an odd-only bitmap would cover 16.
namespace vodazi::wheel {

inline constexpr std::uint32_t NumbersPerByte = 30;
inline constexpr std::array<std::uint32_t, 8> Residues = {1, 7, 11, 13, 17, 19, 23, 29};

// The bit of residue r (r coprime to 30).
constexpr unsigned BitOf(std::uint32_t r) {
    unsigned bit = 0;
    while (Residues[bit] != r) ++bit;
    return bit;
}

// The first wheel index whose residue is at least r, for r in 0..29.
inline constexpr std::array<std::uint8_t, 30> IndexAtLeast = [] {
    std::array<std::uint8_t, 30> index{};
    for (std::uint32_t r = 0; r < 30; ++r) {
        std::uint8_t i = 0;
        while (Residues[i] < r) ++i;
        index[r] = i;
    }
    return index;
}();

// The bits of a byte whose numbers have a residue of at least r / at most r, for r in 0..29.
inline constexpr std::array<std::uint8_t, 30> BitsFrom = [] {
    std::array<std::uint8_t, 30> masks{};
    for (std::uint32_t r = 0; r < 30; ++r) {
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (Residues[bit] >= r) masks[r] |= static_cast<std::uint8_t>(1u << bit);
        }
    }
    return masks;
}();
inline constexpr std::array<std::uint8_t, 30> BitsUpTo = [] {
    std::array<std::uint8_t, 30> masks{};
    for (std::uint32_t r = 0; r < 30; ++r) {
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (Residues[bit] <= r) masks[r] |= static_cast<std::uint8_t>(1u << bit);
        }
    }
    return masks;
}();

// For a prime p = 30k + Residues[c], the multiple p * (30t + Residues[j]) lies in byte
// p * t + k * Residues[j] + ByteOffset[c][j], at the bit ClearMask[c][j] clears: both
// depend on p only through c.
inline constexpr std::array<std::array<std::uint32_t, 8>, 8> ByteOffset = [] {
    std::array<std::array<std::uint32_t, 8>, 8> offsets{};
    for (unsigned c = 0; c < 8; ++c) {
        for (unsigned j = 0; j < 8; ++j) offsets[c][j] = Residues[c] * Residues[j] / 30;
    }
    return offsets;
}();
inline constexpr std::array<std::array<std::uint8_t, 8>, 8> ClearMask = [] {
    std::array<std::array<std::uint8_t, 8>, 8> masks{};
    for (unsigned c = 0; c < 8; ++c) {
        for (unsigned j = 0; j < 8; ++j) {
            masks[c][j] = static_cast<std::uint8_t>(~(1u << BitOf(Residues[c] * Residues[j] % 30)));
        }
    }
    return masks;
}();

// For bit b of a little-endian 64-bit word of the bitmap: its number less 30 times the
// word's first byte; and 0 for b = 64, the trailing zeros of an empty word.
inline constexpr std::array<std::uint8_t, 65> WordBitOffset = [] {
    std::array<std::uint8_t, 65> offsets{};
    for (unsigned b = 0; b < 64; ++b) {
        offsets[b] = static_cast<std::uint8_t>(b / 8 * NumbersPerByte + Residues[b % 8]);
    }
    return offsets;
}();

}  // namespace vodazi::wheel

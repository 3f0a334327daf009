#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "calc/sieve/BitmapPrimes.h"

namespace vodazi {

// The readers of the wheel bitmap (BitmapPrimes, BitmapLines) take it in whole 64-bit words,
// lowest byte first; the last word starts at or before the last byte they read. The pre-sieve
// lays its patterns over each other in the same words.
inline std::uint64_t BitmapWord(const std::uint8_t* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof(word));
    return word;
}
static_assert(BitmapSlackBytes >= sizeof(std::uint64_t) - 1);

// The set bits of a word, without the popcnt instruction the baseline x86-64 lacks (where
// std::popcount becomes a library call).
inline unsigned BitCount(std::uint64_t word) {
    word -= (word >> 1) & 0x5555555555555555;
    word = (word & 0x3333333333333333) + ((word >> 2) & 0x3333333333333333);
    word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0F;
    return static_cast<unsigned>((word * 0x0101010101010101) >> 56);
}

// While it lives, the bitmap's bytes from..to read as whole words and nothing else: the edge
// bytes lose the bits outside the range and the BitmapSlackBytes after `to` are cleared; all
// of them are restored afterwards. The bitmap must have those bytes.
class BitmapEdges {
  public:
    BitmapEdges(std::uint8_t* bitmap, std::uint32_t from, std::uint32_t to, std::uint8_t firstBits,
                std::uint8_t lastBits)
        : first_(bitmap + from), last_(bitmap + to), firstByte_(*first_), lastByte_(*last_) {
        std::memcpy(after_.data(), last_ + 1, after_.size());
        *first_ &= firstBits;
        *last_ &= lastBits;
        std::memset(last_ + 1, 0, after_.size());
    }
    ~BitmapEdges() {
        std::memcpy(last_ + 1, after_.data(), after_.size());
        *last_ = lastByte_;
        *first_ = firstByte_;
    }
    BitmapEdges(const BitmapEdges&) = delete;
    BitmapEdges& operator=(const BitmapEdges&) = delete;

    // Whole words from `from`, the last holding `to`.
    std::uint32_t Words() const { return static_cast<std::uint32_t>(last_ - first_) / 8 + 1; }

  private:
    std::uint8_t* first_;
    std::uint8_t* last_;
    std::uint8_t firstByte_;
    std::uint8_t lastByte_;
    std::array<std::uint8_t, BitmapSlackBytes> after_{};
};

}  // namespace vodazi

#include "calc/RangeSieve.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <span>

#include "calc/Presieve.h"
#include "calc/SievingPrimes.h"
#include "calc/Wheel30.h"

namespace vodazi {
namespace {

using wheel::NumbersPerByte;

// Primes are written in blocks of this many bitmap bytes, each with room for every bit, so
// that the buffer grows by little more than the primes it holds.
constexpr std::uint32_t BlockBytes = 512;

// Appends the primes of the bitmap's bytes from..to (inclusive, counted from `segment`,
// whose first byte stands for the numbers from `base`), keeping only the bits of `firstBits`
// in the first byte and those of `lastBits` in the last.
void AppendPrimes(const std::uint8_t* segment, std::uint32_t from, std::uint32_t to,
                  std::uint8_t firstBits, std::uint8_t lastBits, std::uint32_t base,
                  PrimeBuffer& out) {
    for (std::uint32_t block = from; block <= to; block += BlockBytes) {
        const std::uint32_t blockEnd = std::min(to, block + BlockBytes - 1);
        std::uint32_t* const room = out.Room(8 * std::size_t{blockEnd - block + 1});
        std::size_t count = 0;
        for (std::uint32_t byte = block; byte <= blockEnd; byte += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, segment + byte, 8);
            if (byte == from) word &= ~std::uint64_t{0xFF} | firstBits;
            if (blockEnd - byte < 8) {
                // The word's last byte in the block: keep nothing of the bytes after it.
                const unsigned last = blockEnd - byte;
                const std::uint64_t whole = last == 0 ? 0 : ~std::uint64_t{0} >> (64 - 8 * last);
                const std::uint64_t lastByteBits = blockEnd == to ? lastBits : 0xFF;
                word &= whole | lastByteBits << (8 * last);
            }
            const std::uint32_t wordBase = base + NumbersPerByte * byte;
            for (; word != 0; word &= word - 1) {
                room[count++] = wordBase + wheel::WordBitOffset[std::countr_zero(word)];
            }
        }
        out.Commit(count);
    }
}

}  // namespace

RangeSieve::RangeSieve() : segment_(std::make_unique<std::uint8_t[]>(SegmentBytes + 8)) {}

void RangeSieve::Restart(std::uint32_t firstByte) {
    segmentByte_ = firstByte;
    segmentBytes_ = 0;
    crossers_.clear();
}

void RangeSieve::SieveNextSegment() {
    const std::uint32_t first = segmentByte_ + segmentBytes_;
    const std::uint32_t bytes = std::min(SegmentBytes, lastByte_ - first + 1);
    Presieve(first, segment_.get(), bytes);

    // Sieving primes join when the segment reaches their squares.
    const std::uint64_t lastNumber = std::uint64_t{first + bytes} * NumbersPerByte - 1;
    const std::vector<std::uint32_t>& primes = SievingPrimes();
    for (std::size_t i = crossers_.size();
         i < primes.size() && std::uint64_t{primes[i]} * primes[i] <= lastNumber; ++i) {
        crossers_.push_back(MakeCrosser(primes[i], first));
    }
    CrossOff(segment_.get(), bytes, crossers_);
    segmentByte_ = first;
    segmentBytes_ = bytes;
}

void RangeSieve::TakePrimes(std::uint32_t lo, std::uint32_t hi, PrimeBuffer& out) const {
    const std::uint32_t from = lo / NumbersPerByte - segmentByte_;
    const std::uint32_t to = hi / NumbersPerByte - segmentByte_;
    AppendPrimes(segment_.get(), from, to, wheel::BitsFrom[lo % NumbersPerByte],
                 wheel::BitsUpTo[hi % NumbersPerByte], segmentByte_ * NumbersPerByte, out);
}

void RangeSieve::Collect(std::uint32_t lo, std::uint32_t hi, std::uint32_t sieveUpTo,
                         PrimeBuffer& out) {
    if (lo > hi) return;
    if (lo != continuesAt_) {
        Restart(lo / NumbersPerByte);
        lastByte_ = 0;
    }
    continuesAt_ = std::uint64_t{hi} + 1;
    lastByte_ = std::max(lastByte_, std::max(hi, sieveUpTo) / NumbersPerByte);

    // 2, 3 and 5 have no place in the bitmap.
    for (const std::uint32_t small : {2u, 3u, 5u}) {
        if (lo <= small && small <= hi) {
            *out.Room(1) = small;
            out.Commit(1);
        }
    }
    for (;;) {
        const std::uint64_t segmentEnd =
            std::uint64_t{segmentByte_ + segmentBytes_} * NumbersPerByte;
        const std::uint64_t segmentStart = std::uint64_t{segmentByte_} * NumbersPerByte;
        const std::uint64_t from = std::max<std::uint64_t>(lo, segmentStart);
        const std::uint64_t to = std::min<std::uint64_t>(hi, segmentEnd - 1);
        if (segmentBytes_ > 0 && from <= to) {
            TakePrimes(static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to), out);
        }
        if (segmentEnd > hi) return;
        SieveNextSegment();
    }
}

}  // namespace vodazi

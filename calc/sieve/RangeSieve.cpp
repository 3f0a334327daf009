#include "calc/sieve/RangeSieve.h"

#include <algorithm>
#include <cassert>
#include <span>

#include "calc/sieve/Presieve.h"
#include "calc/sieve/SievingPrimes.h"
#include "calc/sieve/Wheel30.h"

namespace vodazi {
using wheel::NumbersPerByte;

namespace {

// The primes below SmallPrime strike a segment so often that it pays to cross them off one
// block of BlockBytes at a time, which stays in the level 1 data cache of any x86-64 core;
// the others cross off the whole segment at once, since each visit costs them more than
// their few strikes in a block.
constexpr std::uint32_t BlockBytes = 32 * 1024;
constexpr std::uint32_t SmallPrime = 4000;

}  // namespace

RangeSieve::RangeSieve(BitReading reading) : reading_(reading) {}

void RangeSieve::Restart(std::uint32_t firstByte) {
    segmentByte_ = firstByte;
    segmentBytes_ = 0;
    crossers_.clear();
}

void RangeSieve::SieveNextSegment() {
    const std::uint32_t first = segmentByte_ + segmentBytes_;
    // A remainder up to LongestSegmentBytes is sieved in one, and so is a worker's chunk of a
    // scan (PrimeChunks.cpp asserts that it fits).
    const std::uint32_t remaining = lastByte_ - first + 1;
    const std::uint32_t bytes = remaining <= LongestSegmentBytes ? remaining : SegmentBytes;
    // A short range takes no more memory than it needs; the slack after is for reading whole
    // words.
    if (segmentCapacity_ < bytes) {
        segment_ =
            std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t{bytes} + BitmapSlackBytes);
        segmentCapacity_ = bytes;
    }
    Presieve(first, segment_.get(), bytes);

    // Sieving primes join when the segment reaches their squares.
    const std::uint64_t lastNumber = std::uint64_t{first + bytes} * NumbersPerByte - 1;
    const std::vector<SievingPrime>& primes = SievingPrimes();
    std::size_t joined = crossers_.size();
    while (joined < primes.size() &&
           std::uint64_t{primes[joined].prime} * primes[joined].prime <= lastNumber) {
        ++joined;
    }
    if (crossers_.capacity() < joined) {
        crossers_.reserve(std::max(joined, 2 * crossers_.capacity()));
    }
    for (std::size_t i = crossers_.size(); i < joined; ++i) {
        crossers_.push_back(MakeCrosser(primes[i], first));
    }
    // Each crosser ends a block where the next one begins.
    const auto small = static_cast<std::size_t>(
        std::partition_point(crossers_.begin(), crossers_.end(),
                             [](const Crosser& c) { return c.k < SmallPrime / 30; }) -
        crossers_.begin());
    const std::span<Crosser> all(crossers_);
    for (std::uint32_t block = 0; block < bytes; block += BlockBytes) {
        CrossOff(segment_.get() + block, std::min(BlockBytes, bytes - block), all.first(small));
    }
    CrossOff(segment_.get(), bytes, all.subspan(small));
    segmentByte_ = first;
    segmentBytes_ = bytes;
}

void RangeSieve::Take(std::uint32_t lo, std::uint32_t hi, PrimeBuffer& out) {
    const std::uint32_t from = lo / NumbersPerByte - segmentByte_;
    const std::uint32_t to = hi / NumbersPerByte - segmentByte_;
    assert(to < segmentCapacity_);  // so the slack after it was allocated with the segment
    AppendPrimes(segment_.get(), from, to, wheel::BitsFrom[lo % NumbersPerByte],
                 wheel::BitsUpTo[hi % NumbersPerByte], segmentByte_ * NumbersPerByte, reading_,
                 out);
}

void RangeSieve::Take(std::uint32_t lo, std::uint32_t hi, TextBuffer& out) {
    const std::uint32_t from = lo / NumbersPerByte - segmentByte_;
    const std::uint32_t to = hi / NumbersPerByte - segmentByte_;
    assert(to < segmentCapacity_);
    AppendLines(segment_.get(), from, to, wheel::BitsFrom[lo % NumbersPerByte],
                wheel::BitsUpTo[hi % NumbersPerByte], segmentByte_ * NumbersPerByte, reading_, out);
}

namespace {

void AppendSmall(std::uint32_t prime, PrimeBuffer& out) {
    *out.Room(1) = prime;
    out.Commit(1);
}

void AppendSmall(std::uint32_t prime, TextBuffer& out) {
    AppendLine(prime, out);
}

}  // namespace

void RangeSieve::Collect(std::uint32_t lo, std::uint32_t hi, std::uint32_t sieveUpTo,
                         PrimeBuffer& out) {
    Sieve(lo, hi, sieveUpTo, out);
}

void RangeSieve::Collect(std::uint32_t lo, std::uint32_t hi, std::uint32_t sieveUpTo,
                         TextBuffer& out) {
    Sieve(lo, hi, sieveUpTo, out);
}

template <typename Buffer>
void RangeSieve::Sieve(std::uint32_t lo, std::uint32_t hi, std::uint32_t sieveUpTo, Buffer& out) {
    if (lo > hi) return;
    if (lo != continuesAt_) {
        Restart(lo / NumbersPerByte);
        lastByte_ = 0;
    }
    continuesAt_ = std::uint64_t{hi} + 1;
    lastByte_ = std::max(lastByte_, std::max(hi, sieveUpTo) / NumbersPerByte);

    // 2, 3 and 5 have no place in the bitmap.
    for (const std::uint32_t small : {2u, 3u, 5u}) {
        if (lo <= small && small <= hi) AppendSmall(small, out);
    }
    for (;;) {
        const std::uint64_t segmentEnd =
            std::uint64_t{segmentByte_ + segmentBytes_} * NumbersPerByte;
        const std::uint64_t segmentStart = std::uint64_t{segmentByte_} * NumbersPerByte;
        const std::uint64_t from = std::max<std::uint64_t>(lo, segmentStart);
        const std::uint64_t to = std::min<std::uint64_t>(hi, segmentEnd - 1);
        if (segmentBytes_ > 0 && from <= to) {
            Take(static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to), out);
        }
        if (segmentEnd > hi) return;
        SieveNextSegment();
    }
}

}  // namespace vodazi

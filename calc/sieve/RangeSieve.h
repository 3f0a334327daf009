#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "calc/sieve/BitmapLines.h"
#include "calc/sieve/BitmapPrimes.h"
#include "calc/sieve/CrossOff.h"
#include "calc/sieve/GrowingBuffer.h"

namespace vodazi {

// Sieves the primes of one range after another, segment by segment over a bitmap of the
// numbers coprime to 30 (see Wheel30.h). A range that starts right after the one before
// continues the same sieve, so a scan taken piece by piece on one thread sets up once; any
// other range starts afresh, setting up only the sieving primes its own numbers need.
class RangeSieve {
  public:
    // Bitmap bytes per segment (3.9 million numbers). Measured fastest with bench/run, the
    // best of six runs on a Xeon with 48 KiB of level 1 data cache and 2 MiB of level 2 per
    // core: scan_one_thread 64 KiB 0.275 s, 128 KiB 0.261 s, 256 KiB 0.281 s; scan_count
    // 0.168 s, 0.165 s, 0.176 s; scan_small 0.52 s at each, its short ranges filling no
    // segment. Smaller segments make the larger sieving primes pay their visit more often.
    static constexpr std::uint32_t SegmentBytes = 128 * 1024;
    // A remainder up to this long is sieved as one segment: a short last segment would pay
    // the visit of every sieving prime for a few bytes.
    static constexpr std::uint32_t LongestSegmentBytes = SegmentBytes / 4 * 5;

    explicit RangeSieve(BitReading reading = BitReading::Fastest);

    // Appends the primes n with lo <= n <= hi in ascending order. `sieveUpTo` (at least hi)
    // is the end of the ranges that will follow this one without a gap: the last segment
    // may reach that far, but not beyond.
    void Collect(std::uint32_t lo, std::uint32_t hi, std::uint32_t sieveUpTo, PrimeBuffer& out);
    // The same primes as lines of text (BitmapLines).
    void Collect(std::uint32_t lo, std::uint32_t hi, std::uint32_t sieveUpTo, TextBuffer& out);

  private:
    template <typename Buffer>
    void Sieve(std::uint32_t lo, std::uint32_t hi, std::uint32_t sieveUpTo, Buffer& out);
    void Restart(std::uint32_t firstByte);
    void SieveNextSegment();
    void Take(std::uint32_t lo, std::uint32_t hi, PrimeBuffer& out);
    void Take(std::uint32_t lo, std::uint32_t hi, TextBuffer& out);

    BitReading reading_;
    std::unique_ptr<std::uint8_t[]> segment_;
    std::uint32_t segmentCapacity_ = 0;
    std::uint32_t segmentByte_ = 0;   // the bitmap byte the segment starts at
    std::uint32_t segmentBytes_ = 0;  // bytes sieved there, 0 before the first segment
    std::uint32_t lastByte_ = 0;      // no segment reaches beyond this byte
    // The crossers of the sieving primes whose squares the segments have reached, ascending.
    std::vector<Crosser> crossers_;
    std::uint64_t continuesAt_ = ~std::uint64_t{0};  // the number after the last range
};

}  // namespace vodazi

// The scan alone, against primesieve's iterator enumerating the same primes on one thread:
// scan_count, the whole range 3..2147483647 with every prime and every width change
// delivered, on as many threads as a run uses; scan_one_thread, the same on the calling
// thread only; scan_small, many short ranges, where the set-up of each scan counts.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <primesieve.hpp>
#include <random>
#include <vector>

#include "Figure.h"
#include "WholeRange.h"
#include "calc/ScanRange.h"

namespace {

using vodazi::RangeBounds;
using vodazi::bench::PrimesInWholeRange;

class CountingSink : public vodazi::ResultSink {
  public:
    std::uint64_t count = 0;
    std::uint64_t sum = 0;
    // The count and the sum look at every prime of each run.
    void Primes(std::span<const std::uint32_t> primes) override {
        for (const std::uint32_t n : primes) sum += n;
        count += primes.size();
    }
};

constexpr RangeBounds Whole{3, vodazi::MaxBound};

void ScanWhole(benchmark::State& state, const vodazi::ScanOptions& options) {
    for (auto _ : state) {
        CountingSink sink;
        std::uint64_t widths = 0;
        vodazi::ScanRange(
            Whole, sink, [&](float) { ++widths; }, options);
        benchmark::DoNotOptimize(sink.sum);
        if (sink.count != PrimesInWholeRange) state.SkipWithError("wrong prime count");
        state.counters["widths"] = static_cast<double>(widths);
    }
}

void ScanCountOurs(benchmark::State& state) {
    ScanWhole(state, vodazi::DefaultScanOptions());
}
void ScanOneThreadOurs(benchmark::State& state) {
    ScanWhole(state, vodazi::ScanOptions{0});
}

// Counts and sums the primes of `bounds` with the iterator.
void IteratePrimes(const RangeBounds& bounds, CountingSink& sink) {
    const auto end = static_cast<std::uint64_t>(bounds.end);
    primesieve::iterator it;
    it.jump_to(static_cast<std::uint64_t>(bounds.start), end);
    for (std::uint64_t p = it.next_prime(); p <= end; p = it.next_prime()) {
        ++sink.count;
        sink.sum += p;
    }
}

void ScanWholePeer(benchmark::State& state) {
    for (auto _ : state) {
        CountingSink sink;
        IteratePrimes(Whole, sink);
        benchmark::DoNotOptimize(sink.sum);
        if (sink.count != PrimesInWholeRange) state.SkipWithError("wrong prime count");
    }
}

// 10,000 ranges of 1 to 10,000 numbers below 2^31, the same ones in every run.
const std::vector<RangeBounds>& SmallRanges() {
    static const std::vector<RangeBounds> ranges = [] {
        std::mt19937 random(20261208);
        std::vector<RangeBounds> all;
        for (int i = 0; i < 10'000; ++i) {
            const std::int32_t span = std::uniform_int_distribution<std::int32_t>(0, 9'999)(random);
            const std::int32_t start =
                std::uniform_int_distribution<std::int32_t>(3, vodazi::MaxBound - span)(random);
            all.push_back({start, start + span});
        }
        return all;
    }();
    return ranges;
}

void ScanSmallOurs(benchmark::State& state) {
    const auto& ranges = SmallRanges();
    for (auto _ : state) {
        CountingSink sink;
        std::uint64_t widths = 0;
        for (const RangeBounds& bounds : ranges) {
            vodazi::ScanRange(bounds, sink, [&](float) { ++widths; });
        }
        benchmark::DoNotOptimize(sink.sum);
        state.counters["primes"] = static_cast<double>(sink.count);
        state.counters["widths"] = static_cast<double>(widths);
    }
}

void ScanSmallPeer(benchmark::State& state) {
    const auto& ranges = SmallRanges();
    for (auto _ : state) {
        CountingSink sink;
        for (const RangeBounds& bounds : ranges) IteratePrimes(bounds, sink);
        benchmark::DoNotOptimize(sink.sum);
        state.counters["primes"] = static_cast<double>(sink.count);
    }
}

// Registered before main() runs, in the order they are printed.
const bool registered = [] {
    constexpr vodazi::bench::FigureOptions Five{.repetitions = 5};
    vodazi::bench::Figure("scan_count/ours", ScanCountOurs, Five);
    vodazi::bench::Figure("scan_count/peer", ScanWholePeer, Five);
    vodazi::bench::Figure("scan_one_thread/ours", ScanOneThreadOurs, Five);
    vodazi::bench::Figure("scan_one_thread/peer", ScanWholePeer, Five);
    vodazi::bench::Figure("scan_small/ours", ScanSmallOurs, Five);
    vodazi::bench::Figure("scan_small/peer", ScanSmallPeer, Five);
    return true;
}();

}  // namespace

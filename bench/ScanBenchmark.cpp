// scan_count: the whole range 3..2147483647 with every prime and every width change
// delivered, against primesieve's iterator enumerating the same primes.

#include <benchmark/benchmark.h>
#include <primesieve.hpp>

#include <cstdint>

#include "calc/ScanRange.h"

namespace {

using vodazi::RangeBounds;

class CountingSink : public vodazi::ResultSink {
public:
    std::uint64_t count = 0;
    std::uint64_t sum = 0;
    void Prime(std::uint32_t n) override {
        ++count;
        sum += n;
    }
    // Sinks take primes in runs; the count and the sum still look at every one.
    void Primes(std::span<const std::uint32_t> primes) override {
        for (const std::uint32_t n : primes) sum += n;
        count += primes.size();
    }
};

constexpr RangeBounds Whole{3, vodazi::MaxBound};

void ScanCountOurs(benchmark::State& state) {
    for (auto _ : state) {
        CountingSink sink;
        std::uint64_t widths = 0;
        vodazi::ScanRange(Whole, vodazi::SetUpProgress(Whole), sink, [&](float) { ++widths; });
        benchmark::DoNotOptimize(sink.sum);
        if (sink.count != 105'097'564u) state.SkipWithError("wrong prime count");
        state.counters["widths"] = static_cast<double>(widths);
    }
}

void ScanCountPeer(benchmark::State& state) {
    for (auto _ : state) {
        primesieve::iterator it;
        it.jump_to(static_cast<std::uint64_t>(Whole.start), static_cast<std::uint64_t>(Whole.end));
        std::uint64_t count = 0;
        std::uint64_t sum = 0;
        for (std::uint64_t p = it.next_prime(); p <= static_cast<std::uint64_t>(Whole.end); p = it.next_prime()) {
            ++count;
            sum += p;
        }
        benchmark::DoNotOptimize(sum);
        if (count != 105'097'564u) state.SkipWithError("wrong prime count");
    }
}

}  // namespace

BENCHMARK(ScanCountOurs)->Name("scan_count/ours")->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(5)->UseRealTime();
BENCHMARK(ScanCountPeer)->Name("scan_count/peer")->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(5)->UseRealTime();

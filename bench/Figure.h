#pragma once

// Registers one side of a figure, as RatioReporter reads them: NAME/ours, NAME/peer, or
// NAME/peer_WHAT. Every side runs once per repetition and the fastest repetition counts, so
// each figure is a whole run of the program's task, not an average over warm loops.

#include <benchmark/benchmark.h>

namespace vodazi::bench {

struct FigureOptions {
    int repetitions = 3;
    // Manual: the benchmark measures its own span (from a click to a window, say).
    bool manualTime = false;
    benchmark::TimeUnit unit = benchmark::kSecond;
};

inline benchmark::internal::Benchmark* Figure(const char* name, void (*function)(benchmark::State&),
                                              FigureOptions options = {}) {
    auto* side = benchmark::RegisterBenchmark(name, function)
                     ->Unit(options.unit)
                     ->Iterations(1)
                     ->Repetitions(options.repetitions);
    return options.manualTime ? side->UseManualTime() : side->UseRealTime();
}

}  // namespace vodazi::bench

#pragma once

#include <cstdint>
#include <functional>

#include "calc/Bounds.h"
#include "calc/LineSink.h"
#include "calc/ResultSink.h"

namespace vodazi {

using FillWidthSetter = std::function<void(float twips)>;

struct ScanOptions {
    // Threads that sieve ahead of the delivery; 0 sieves on the calling thread.
    unsigned workers = 0;
};

ScanOptions DefaultScanOptions();

// Hands every prime of the odd candidates of `bounds` to `sink`, in ascending order, and
// sets the fill width (FillProgress) for the first candidate and whenever its whole-twip
// width changes, always before the primes from that candidate on. All calls happen on the
// calling thread.
void ScanRange(const RangeBounds& bounds, ResultSink& sink, const FillWidthSetter& setFillWidth,
               const ScanOptions& options = DefaultScanOptions());

// The same scan for a sink that takes the primes as lines of text, which the threads that
// sieve them make: the same widths at the same places between the lines.
void ScanRange(const RangeBounds& bounds, LineSink& sink, const FillWidthSetter& setFillWidth,
               const ScanOptions& options = DefaultScanOptions());

}  // namespace vodazi

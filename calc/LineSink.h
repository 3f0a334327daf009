#pragma once

#include <memory>
#include <span>

namespace vodazi {

// Receives the prime numbers of a scan as the lines of a text file, each prime once, in
// ascending order: its decimal text, then CR LF (BitmapLines). The lines are made where the
// primes are sieved, on the scan's worker threads.
class LineSink {
  public:
    virtual ~LineSink() = default;

    // Whole lines. Their bytes stay as they are while `hold`, or a copy of it, is kept, so a
    // sink may hand them to another thread instead of copying them; it must drop the hold
    // once done with them without waiting for the scan, since the scan waits for its
    // buffers to come back when the sink holds them all.
    virtual void Lines(std::span<const char> lines, std::shared_ptr<const void> hold) = 0;
};

}  // namespace vodazi

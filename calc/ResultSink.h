#pragma once

#include <cstdint>
#include <span>

namespace vodazi {

// Receives the prime numbers of a scan, each once, in ascending order.
class ResultSink {
  public:
    virtual ~ResultSink() = default;

    // A run of consecutive primes: the scan hands them over in runs, so that a hundred
    // million primes do not cost a hundred million virtual calls.
    virtual void Primes(std::span<const std::uint32_t> ascending) = 0;
};

}  // namespace vodazi

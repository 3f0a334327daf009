#pragma once

#include <cstdint>
#include <span>

namespace vodazi {

// Receives the prime numbers of a scan, each once, in ascending order.
class ResultSink {
  public:
    virtual ~ResultSink() = default;

    virtual void Prime(std::uint32_t n) = 0;

    // A run of consecutive primes. Sinks that can take many at once override this; the
    // scan hands over runs so that a hundred million primes do not cost a hundred million
    // virtual calls.
    virtual void Primes(std::span<const std::uint32_t> ascending) {
        for (const std::uint32_t n : ascending) Prime(n);
    }
};

}  // namespace vodazi

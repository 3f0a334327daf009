#include "calc/RangeSieve.h"

#include <algorithm>

namespace vodazi {

void RangeSieve::NextBuffer() {
    primes_.generate_next_primes();
    taken_ = 0;
}

void RangeSieve::Collect(std::uint32_t lo, std::uint32_t hi, std::uint32_t sieveUpTo,
                         PrimeBuffer& out) {
    if (lo > hi) return;
    if (lo != continuesAt_) {
        primes_.jump_to(lo, std::max(hi, sieveUpTo));
        NextBuffer();
    }
    continuesAt_ = std::uint64_t{hi} + 1;
    // Each pass takes what lies in the range from the iterator's buffer of 64-bit primes; a
    // buffer used up to its end makes way for the next.
    for (;;) {
        const std::uint64_t* const from = primes_.primes_ + taken_;
        const std::uint64_t* const end = primes_.primes_ + primes_.size_;
        const std::uint64_t* const past = std::upper_bound(from, end, std::uint64_t{hi});
        const auto count = static_cast<std::size_t>(past - from);
        std::transform(from, past, out.Room(count),
                       [](std::uint64_t p) { return static_cast<std::uint32_t>(p); });
        out.Commit(count);
        taken_ += count;
        if (past != end) return;
        NextBuffer();
    }
}

}  // namespace vodazi

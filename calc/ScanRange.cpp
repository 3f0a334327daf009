#include "calc/ScanRange.h"

#include <algorithm>
#include <optional>
#include <span>

#include "calc/PrimeChunks.h"

namespace vodazi {

Candidates CandidatesOf(const RangeBounds& bounds) {
    const std::int64_t first = bounds.start | 1;  // an even start moves to the next odd number
    if (first > bounds.end) return {static_cast<std::uint32_t>(first), 0};
    return {static_cast<std::uint32_t>(first),
            static_cast<std::uint64_t>((bounds.end - first) / 2 + 1)};
}

ScanOptions DefaultScanOptions() {
    return ScanOptions{PrimeChunks::DefaultWorkers()};
}

void ScanRange(const RangeBounds& bounds, const ProgressSetup& progress, ResultSink& sink,
               const FillWidthSetter& setFillWidth, const ScanOptions& options) {
    const Candidates candidates = CandidatesOf(bounds);
    if (candidates.count == 0) return;
    const std::uint64_t lastCandidate = candidates.first + 2 * (candidates.count - 1);

    FillWidthChanges changes(progress, candidates.count);
    std::optional<WidthChange> change = changes.Next();
    // The candidate number from which the pending width applies.
    const auto changeNumber = [&] { return candidates.first + 2 * change->candidate; };

    PrimeChunks chunks(candidates.first, static_cast<std::uint32_t>(lastCandidate),
                       options.workers);
    std::span<const std::uint32_t> primes;
    while (chunks.Next(primes)) {
        while (!primes.empty()) {
            if (!change) {
                sink.Primes(primes);
                break;
            }
            // In short ranges the width changes far more often than a prime comes.
            if (primes.front() >= changeNumber()) {
                setFillWidth(change->twips);
                change = changes.Next();
                continue;
            }
            const auto before = std::lower_bound(primes.begin(), primes.end(), changeNumber());
            const auto count = static_cast<std::size_t>(before - primes.begin());
            sink.Primes(primes.first(count));
            primes = primes.subspan(count);
        }
    }
    // Candidates after the last prime still move the fill.
    for (; change; change = changes.Next()) setFillWidth(change->twips);
}

}  // namespace vodazi

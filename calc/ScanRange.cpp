#include "calc/ScanRange.h"

#include <algorithm>
#include <optional>
#include <span>

#include "calc/Candidates.h"
#include "calc/FillProgress.h"
#include "calc/sieve/LineNumbers.h"
#include "calc/sieve/PrimeChunks.h"

namespace vodazi {
namespace {

// What the delivery needs to know of a chunk's primes in either form: where they are, the
// first of them, and how many of them lie below a number (as entries or as bytes).
struct AsNumbers {
    static constexpr PrimeChunks::Form Form = PrimeChunks::Form::Numbers;
    static std::span<const std::uint32_t> Of(const PrimeChunks::Chunk& chunk) {
        return chunk.primes;
    }
    static std::uint32_t First(std::span<const std::uint32_t> primes) { return primes.front(); }
    static std::size_t Below(std::span<const std::uint32_t> primes, std::uint64_t n) {
        return static_cast<std::size_t>(std::lower_bound(primes.begin(), primes.end(), n) -
                                        primes.begin());
    }
};

struct AsLines {
    static constexpr PrimeChunks::Form Form = PrimeChunks::Form::Lines;
    static std::span<const char> Of(const PrimeChunks::Chunk& chunk) { return chunk.lines; }
    static std::uint32_t First(std::span<const char> lines) { return FirstLineNumber(lines); }
    static std::size_t Below(std::span<const char> lines, std::uint64_t n) {
        return BytesOfLinesBelow(lines, n);
    }
};

// Hands the primes over chunk by chunk, each chunk cut where the fill width changes, with
// `deliver(primes, chunk)`.
template <typename Primes, typename Deliver>
void Scan(const RangeBounds& bounds, const FillWidthSetter& setFillWidth,
          const ScanOptions& options, Deliver deliver) {
    const Candidates candidates = CandidatesOf(bounds);
    if (candidates.Empty()) return;

    FillWidthChanges changes(bounds);
    std::optional<WidthChange> change = changes.Next();
    // The candidate number from which the pending width applies.
    const auto changeNumber = [&] { return candidates.first + 2 * change->candidate; };

    PrimeChunks chunks(candidates.first, candidates.last, options.workers, Primes::Form);
    PrimeChunks::Chunk chunk;
    while (chunks.Next(chunk)) {
        auto primes = Primes::Of(chunk);
        while (!primes.empty()) {
            if (!change) {
                deliver(primes, chunk);
                break;
            }
            // In short ranges the width changes far more often than a prime comes.
            if (Primes::First(primes) >= changeNumber()) {
                setFillWidth(change->twips);
                change = changes.Next();
                continue;
            }
            const std::size_t count = Primes::Below(primes, changeNumber());
            deliver(primes.first(count), chunk);
            primes = primes.subspan(count);
        }
    }
    // Candidates after the last prime still move the fill.
    for (; change; change = changes.Next()) setFillWidth(change->twips);
}

}  // namespace

ScanOptions DefaultScanOptions() {
    return ScanOptions{PrimeChunks::DefaultWorkers()};
}

void ScanRange(const RangeBounds& bounds, ResultSink& sink, const FillWidthSetter& setFillWidth,
               const ScanOptions& options) {
    Scan<AsNumbers>(bounds, setFillWidth, options,
                    [&sink](std::span<const std::uint32_t> primes, const PrimeChunks::Chunk&) {
                        sink.Primes(primes);
                    });
}

void ScanRange(const RangeBounds& bounds, LineSink& sink, const FillWidthSetter& setFillWidth,
               const ScanOptions& options) {
    Scan<AsLines>(bounds, setFillWidth, options,
                  [&sink](std::span<const char> lines, const PrimeChunks::Chunk& chunk) {
                      sink.Lines(lines, chunk.hold);
                  });
}

}  // namespace vodazi

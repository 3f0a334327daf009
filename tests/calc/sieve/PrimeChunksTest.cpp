#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "calc/sieve/PrimeChunks.h"
#include "calc/sieve/RangeSieve.h"
#include "tests/support/FileBytes.h"

namespace vodazi {
namespace {

// A worker's failure, made on purpose: one while it sieves a chunk reaches the caller as it
// takes that chunk; one while it makes its sieve leaves its share to the caller, which still
// delivers every chunk whole. As lines, with one worker, which sieves every chunk while it
// lives, so each failure is the worker's whatever the timing.
struct WorkerFault {
    const char* what;
    detail::SieveFaults faults;
    std::optional<std::uint64_t> failingChunk;  // the chunk whose taking throws
};

constexpr std::uint32_t Lo = 1'000'000'007;
constexpr std::uint32_t Hi = Lo + 2 * PrimeChunks::ChunkNumbers + 999;  // three chunks

struct Taken {
    std::string lines;
    std::optional<std::uint64_t> failed;
};

// The lines of the chunks up to the first whose taking throws, under the faults.
Taken TakeAll(const detail::SieveFaults& faults) {
    struct Installed {  // until the workers are gone
        explicit Installed(const detail::SieveFaults& set) { detail::sieveFaults = set; }
        ~Installed() { detail::sieveFaults = {}; }
    } installed(faults);
    Taken taken;
    PrimeChunks chunks(Lo, Hi, 1, PrimeChunks::Form::Lines);
    PrimeChunks::Chunk chunk;
    for (std::uint64_t next = 0;; ++next) {
        try {
            if (!chunks.Next(chunk)) break;
        } catch (const std::runtime_error&) {
            taken.failed = next;
            break;
        }
        taken.lines.append(chunk.lines.begin(), chunk.lines.end());
    }
    return taken;
}

TEST(PrimeChunks, AWorkersFailureReachesTheCallerOrLeavesItTheWork) {
    const WorkerFault rows[] = {
        {"sieving chunk 1",
         {.makingWorkerSieve = nullptr,
          .sievingChunk =
              [](std::uint64_t chunk) {
                  if (chunk == 1) throw std::runtime_error("chunk 1 failed");
              }},
         1},
        {"making its sieve",
         {.makingWorkerSieve = [] { throw std::bad_alloc(); }, .sievingChunk = nullptr},
         std::nullopt},
    };
    for (const WorkerFault& row : rows) {
        const Taken taken = TakeAll(row.faults);
        EXPECT_EQ(taken.failed, row.failingChunk) << row.what;
        // Every chunk before the failing one, whole.
        const std::uint32_t upTo =
            row.failingChunk
                ? static_cast<std::uint32_t>(Lo + *row.failingChunk * PrimeChunks::ChunkNumbers - 1)
                : Hi;
        TextBuffer lines;
        RangeSieve().Collect(Lo, upTo, upTo, lines);
        const std::string expected(lines.View().begin(), lines.View().end());
        EXPECT_TRUE(support::SameBytes(taken.lines, expected)) << row.what;
    }
}

}  // namespace
}  // namespace vodazi

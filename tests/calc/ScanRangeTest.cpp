#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "calc/ScanRange.h"
#include "calc/sieve/PrimeChunks.h"
#include "tests/support/LiteralReference.h"

namespace vodazi {
namespace {

// One entry per call, widths as negative numbers so that one vector keeps the order.
using Trace = std::vector<std::int64_t>;

class TraceSink : public ResultSink {
  public:
    explicit TraceSink(Trace& trace) : trace_(trace) {}
    void Primes(std::span<const std::uint32_t> ascending) override {
        trace_.insert(trace_.end(), ascending.begin(), ascending.end());
    }

  private:
    Trace& trace_;
};

// The numbers of the lines, which must come whole and held.
class LineTraceSink : public LineSink {
  public:
    explicit LineTraceSink(Trace& trace) : trace_(trace) {}
    void Lines(std::span<const char> lines, std::shared_ptr<const void> hold) override {
        ASSERT_TRUE(hold != nullptr);
        ASSERT_TRUE(!lines.empty() && lines.back() == '\n');
        std::int64_t n = 0;
        for (const char c : lines) {
            if (c == '\r') {
                trace_.push_back(n);
                n = 0;
            } else if (c != '\n') {
                n = 10 * n + (c - '0');
            }
        }
    }

  private:
    Trace& trace_;
};

enum class Form { Numbers, Lines };

Trace FastTrace(const RangeBounds& bounds, unsigned workers, Form form = Form::Numbers) {
    Trace trace;
    const auto setWidth = [&trace](float twips) {
        trace.push_back(-1 - static_cast<std::int64_t>(twips));
    };
    TraceSink sink(trace);
    LineTraceSink lineSink(trace);
    if (form == Form::Numbers) {
        ScanRange(bounds, sink, setWidth, ScanOptions{workers});
    } else {
        ScanRange(bounds, lineSink, setWidth, ScanOptions{workers});
    }
    return trace;
}

// The literal scan's calls, with a width left out where it repeats the width before it.
Trace LiteralTrace(const RangeBounds& bounds) {
    Trace trace;
    support::LiteralScan(
        bounds,
        [&trace](std::uint64_t, float twips) {
            trace.push_back(-1 - static_cast<std::int64_t>(twips));
        },
        [&trace](std::uint32_t n) { trace.push_back(n); });
    return trace;
}

// As numbers and as lines, with the widths in the same places.
void ExpectLikeLiteral(const RangeBounds& bounds) {
    const Trace literal = LiteralTrace(bounds);
    for (const Form form : {Form::Numbers, Form::Lines}) {
        for (const unsigned workers : {0u, 2u, 3u}) {
            const Trace fast = FastTrace(bounds, workers, form);
            const auto where = [&] {
                return std::to_string(bounds.start) + ".." + std::to_string(bounds.end) +
                       " workers " + std::to_string(workers) +
                       (form == Form::Lines ? " as lines" : "");
            };
            ASSERT_EQ(fast.size(), literal.size()) << where();
            for (std::size_t i = 0; i < fast.size(); ++i) {
                ASSERT_EQ(fast[i], literal[i]) << where() << " at " << i;
            }
        }
    }
}

std::vector<std::int64_t> PrimesOf(const Trace& trace) {
    std::vector<std::int64_t> primes;
    for (const auto entry : trace) {
        if (entry > 0) primes.push_back(entry);
    }
    return primes;
}

TEST(ScanRange, KnownRanges) {
    EXPECT_EQ(PrimesOf(FastTrace({3, 20}, 0)),
              (std::vector<std::int64_t>{3, 5, 7, 11, 13, 17, 19}));
    const auto to1000 = PrimesOf(FastTrace({3, 1000}, 2));
    ASSERT_EQ(to1000.size(), 167u);
    EXPECT_EQ(to1000.front(), 3);
    EXPECT_EQ(to1000.back(), 997);
    EXPECT_EQ(FastTrace({7, 7}, 0), (Trace{-1, 7}));
    EXPECT_TRUE(FastTrace({8, 8}, 0).empty());
    EXPECT_EQ(FastTrace({9, 9}, 0), (Trace{-1}));
    EXPECT_EQ(PrimesOf(FastTrace({2147483645, MaxBound}, 2)),
              (std::vector<std::int64_t>{2147483647}));
}

TEST(ScanRange, WidthsComeBeforeTheCandidateTheyBelongTo) {
    // 3..20: each candidate gets its own width, so widths and primes alternate exactly.
    EXPECT_EQ(FastTrace({3, 20}, 0), (Trace{-468, 3, -936, 5, -1403, 7, -1871, -2339, 11, -2806, 13,
                                            -3274, -3742, 17, -4209, 19}));
}

TEST(ScanRange, MatchesTheLiteralScanOnEdgeRanges) {
    std::vector<RangeBounds> ranges = {{3, 20},
                                       {3, 1000},
                                       {4, 1000},
                                       {3, 4},
                                       {7, 7},
                                       {8, 8},
                                       {9, 9},
                                       {3, 3},
                                       {5, 5},
                                       {11, 13},
                                       {29, 31},
                                       {30, 60},
                                       {2147483645, MaxBound},
                                       {2147383647, MaxBound}};
    // Squares of primes, which only the square root bound of each sieving prime catches.
    for (const std::int32_t p : {17, 19, 23, 46337, 46327}) {
        const std::int32_t square = p * p;
        ranges.push_back({square - 2, square + 2});
        ranges.push_back({square, square});
    }
    for (const RangeBounds& bounds : ranges) ExpectLikeLiteral(bounds);
}

constexpr auto ChunkNumbers = static_cast<std::int32_t>(PrimeChunks::ChunkNumbers);

TEST(ScanRange, MatchesTheLiteralScanAcrossChunks) {
    ExpectLikeLiteral({3, 5'000'000});
    ExpectLikeLiteral({1'966'000, 4'100'000});
    // One number more than a chunk, ending at a prime: the last chunk is that prime alone.
    constexpr std::int32_t LonePrime = 4'194'319;
    static_assert(LonePrime - ChunkNumbers >= MinStart, "a prime above a chunk's numbers");
    ExpectLikeLiteral({LonePrime - ChunkNumbers, LonePrime});
    ExpectLikeLiteral({MaxBound - 200'000, MaxBound});
}

// Too many primes up there for the literal scan of the whole range: its two ends and the
// border between its chunks, the last of which holds only 2147483647, are checked instead.
TEST(ScanRange, ChunksEndingAtTheLargestBound) {
    const RangeBounds bounds{MaxBound - ChunkNumbers, MaxBound};
    const std::vector<std::int64_t> head =
        PrimesOf(LiteralTrace({bounds.start, bounds.start + 3000}));
    const std::vector<std::int64_t> tail = PrimesOf(LiteralTrace({MaxBound - 3000, MaxBound}));
    for (const unsigned workers : {0u, 2u}) {
        const std::vector<std::int64_t> primes = PrimesOf(FastTrace(bounds, workers));
        ASSERT_GT(primes.size(), head.size() + tail.size());
        EXPECT_TRUE(std::equal(head.begin(), head.end(), primes.begin())) << "workers " << workers;
        EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), primes.rbegin()))
            << "workers " << workers;
        EXPECT_TRUE(std::adjacent_find(primes.begin(), primes.end(), std::greater_equal<>()) ==
                    primes.end());
    }
}

TEST(ScanRange, MatchesTheLiteralScanOnRandomRanges) {
    std::mt19937 random(8122026);
    for (int i = 0; i < 150; ++i) {
        const auto span = static_cast<std::int32_t>(
            std::pow(10.0, std::uniform_real_distribution<>(0, 4.3)(random)));
        const std::int32_t start =
            std::uniform_int_distribution<std::int32_t>(3, MaxBound - span)(random);
        ExpectLikeLiteral({start, start + span});
    }
    for (int i = 0; i < 60; ++i) {  // low down, where wider ranges are cheap to check literally
        const auto span = std::uniform_int_distribution<std::int32_t>(1, 2'500'000)(random);
        const std::int32_t start =
            std::uniform_int_distribution<std::int32_t>(3, 2'000'000)(random);
        const RangeBounds bounds{start, start + span};
        const Trace literal = LiteralTrace(bounds);
        ASSERT_EQ(FastTrace(bounds, 2), literal) << start << ".." << start + span;
        ASSERT_EQ(FastTrace(bounds, 2, Form::Lines), literal) << start << ".." << start + span;
    }
}

class CountingSink : public ResultSink {
  public:
    std::uint64_t count = 0;
    std::uint32_t last = 0;
    bool ascending = true;
    std::vector<std::uint32_t> sample;  // every 100,000th prime

    void Primes(std::span<const std::uint32_t> run) override {
        for (const std::uint32_t n : run) {
            ascending = ascending && n > last;
            if (count % 100'000 == 0) sample.push_back(n);
            last = n;
            ++count;
        }
    }
};

TEST(ScanRange, WholeRangeDeliversEveryPrimeOnce) {
    CountingSink sink;
    std::vector<float> widths;
    const RangeBounds whole{3, MaxBound};
    ScanRange(whole, sink, [&](float w) { widths.push_back(w); });
    EXPECT_EQ(sink.count, 105'097'564u);  // pi(2^31 - 1) less the prime 2
    EXPECT_TRUE(sink.ascending);
    EXPECT_EQ(sink.last, 2147483647u);
    for (const std::uint32_t n : sink.sample) EXPECT_TRUE(support::LiteralIsPrime(n)) << n;
    ASSERT_FALSE(widths.empty());
    EXPECT_EQ(widths.front(), 0.0f);
    EXPECT_EQ(widths.back(), 3974.0f);
    EXPECT_EQ(widths.size(), 3975u);  // every whole twip from 0 to 3974 once
}

class ThrowingSink : public ResultSink {
  public:
    std::uint64_t seen = 0;
    void Primes(std::span<const std::uint32_t> run) override {
        for (std::size_t i = 0; i < run.size(); ++i) {
            if (++seen == 5'000'000) throw std::runtime_error("sink failed");
        }
    }
};

TEST(ScanRange, AFailingSinkStopsTheScanAndItsWorkers) {
    ThrowingSink sink;
    const RangeBounds whole{3, MaxBound};
    EXPECT_THROW(ScanRange(
                     whole, sink, [](float) {}, ScanOptions{2}),
                 std::runtime_error);
    EXPECT_EQ(sink.seen, 5'000'000u);
}

}  // namespace
}  // namespace vodazi

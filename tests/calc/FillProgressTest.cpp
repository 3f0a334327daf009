#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "calc/Candidates.h"
#include "calc/FillProgress.h"
#include "tests/support/LiteralReference.h"

namespace vodazi {
namespace {

// The widths the literal loop sets, with repeats of the same width dropped.
std::vector<WidthChange> LiteralChanges(const RangeBounds& bounds) {
    std::vector<WidthChange> changes;
    support::LiteralScan(bounds, [&changes](std::uint64_t candidate, float width) {
        changes.push_back({candidate, width});
    });
    return changes;
}

std::vector<WidthChange> FastChanges(const RangeBounds& bounds) {
    FillWidthChanges generator(bounds);
    std::vector<WidthChange> changes;
    while (const auto change = generator.Next()) changes.push_back(*change);
    return changes;
}

void ExpectSameChanges(const RangeBounds& bounds) {
    const auto literal = LiteralChanges(bounds);
    const auto fast = FastChanges(bounds);
    ASSERT_EQ(fast.size(), literal.size()) << bounds.start << ".." << bounds.end;
    for (std::size_t i = 0; i < fast.size(); ++i) {
        ASSERT_EQ(fast[i].candidate, literal[i].candidate)
            << bounds.start << ".." << bounds.end << " #" << i;
        ASSERT_EQ(fast[i].twips, literal[i].twips)
            << bounds.start << ".." << bounds.end << " #" << i;
    }
}

std::vector<float> Widths(const std::vector<WidthChange>& changes) {
    std::vector<float> widths;
    widths.reserve(changes.size());
    for (const auto& change : changes) widths.push_back(change.twips);
    return widths;
}

TEST(FillProgress, FillStepIsTrackWidthOverTheSpan) {
    EXPECT_DOUBLE_EQ(SetUpProgress({3, 20}).fillStep, 3975.0 / 17);
    EXPECT_EQ(SetUpProgress({7, 7}).fillStep, 0.0);
}

TEST(FillProgress, CandidatesAreTheOddNumbersOfTheRange) {
    struct Row {
        RangeBounds bounds;
        std::uint32_t first;
        std::uint32_t last;
    };
    for (const Row& row : {Row{{3, 1000}, 3, 999}, Row{{4, 1001}, 5, 1001}, Row{{7, 7}, 7, 7},
                           Row{{8, 8}, 9, 7}, Row{{2147483645, 2147483647}, 2147483645, 2147483647},
                           Row{{3, 2147483647}, 3, 2147483647}}) {
        const Candidates candidates = CandidatesOf(row.bounds);
        EXPECT_EQ(candidates.first, row.first) << row.bounds.start << ".." << row.bounds.end;
        EXPECT_EQ(candidates.last, row.last) << row.bounds.start << ".." << row.bounds.end;
        EXPECT_EQ(candidates.Empty(), row.first > row.last);
    }
}

TEST(FillProgress, KnownWidthSequences) {
    EXPECT_EQ(Widths(FastChanges({3, 20})),
              (std::vector<float>{467, 935, 1402, 1870, 2338, 2805, 3273, 3741, 4208}));
    EXPECT_EQ(Widths(FastChanges({3, 4})), (std::vector<float>{7950}));
    EXPECT_EQ(Widths(FastChanges({7, 7})), (std::vector<float>{0}));
    EXPECT_TRUE(FastChanges({8, 8}).empty());

    const auto to1000 = FastChanges({3, 1000});
    EXPECT_EQ(to1000.front().twips, 7.0f);
    EXPECT_EQ(to1000.back().twips, 3978.0f);
    const auto from4 = FastChanges({4, 1000});
    EXPECT_EQ(from4.front().twips, 7.0f);
    EXPECT_EQ(from4.back().twips, 3975.0f);
}

TEST(FillProgress, MatchesTheLiteralAccumulationOnEdgeRanges) {
    for (const RangeBounds bounds : std::initializer_list<RangeBounds>{{3, 20},
                                                                       {3, 1000},
                                                                       {4, 1000},
                                                                       {3, 4},
                                                                       {7, 7},
                                                                       {8, 8},
                                                                       {9, 9},
                                                                       {3, 5},
                                                                       {4, 5},
                                                                       {2147483645, 2147483647},
                                                                       {2147480000, 2147483647},
                                                                       {3, 3975 * 2},
                                                                       {3, 3975 * 2 + 3},
                                                                       {1000, 3000000},
                                                                       {5, 10000000}}) {
        ExpectSameChanges(bounds);
    }
}

TEST(FillProgress, MatchesTheLiteralAccumulationOnRandomRanges) {
    std::mt19937 random(20261208);
    for (int i = 0; i < 400; ++i) {
        // Spans from a handful of numbers to a few million, at random places.
        const auto span = static_cast<std::int32_t>(
            std::pow(10.0, std::uniform_real_distribution<>(0, 6.7)(random)));
        const std::int32_t start =
            std::uniform_int_distribution<std::int32_t>(3, MaxBound - span)(random);
        ExpectSameChanges({start, start + span});
    }
}

TEST(FillProgress, MatchesTheLiteralAccumulationOverTheWholeRange) {
    const RangeBounds whole{3, MaxBound};
    const auto fast = FastChanges(whole);
    ExpectSameChanges(whole);
    EXPECT_EQ(fast.back().twips, 3974.0f);
}

}  // namespace
}  // namespace vodazi

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "calc/RangeNormalization.h"

namespace vodazi {
namespace {

struct NormalizeCase {
    std::string startText;
    std::string endText;
    RangeBounds expected;
    std::optional<std::pair<std::int32_t, std::int32_t>> shown;  // the boxes after an exchange

    friend void PrintTo(const NormalizeCase& c, std::ostream* os) {
        *os << '"' << c.startText << "\" .. \"" << c.endText << '"';
    }
};

class NormalizeRangeTest : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeRangeTest, GivesBoundsAndWritesBackOnlyOnExchange) {
    const NormalizeCase& c = GetParam();
    const BoundValues read = ReadBounds(c.startText, c.endText);
    ASSERT_EQ(read.status, BoundCheck::Accepted);
    const NormalizedRange normalized = NormalizeRange(read.start, read.end);
    EXPECT_EQ(normalized.bounds, c.expected);
    ASSERT_EQ(normalized.exchanged, c.shown.has_value());
    if (c.shown) {
        EXPECT_EQ(std::pair(normalized.shownStart, normalized.shownEnd), *c.shown);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, NormalizeRangeTest,
    ::testing::Values(NormalizeCase{"1", "1000", {3, 1000}, {}},
                      NormalizeCase{"3", "20", {3, 20}, {}},
                      NormalizeCase{"10", "1", {3, 10}, std::pair(1, 10)},
                      NormalizeCase{"1", "2", {3, 3}, std::pair(2, 3)},
                      NormalizeCase{"-5", "-10", {3, 3}, std::pair(-10, 3)},
                      NormalizeCase{"2147483647", "2147483647", {2147483647, 2147483647}, {}},
                      NormalizeCase{"2147483646.6", "2147483647", {2147483647, 2147483647}, {}},
                      NormalizeCase{"20", "3", {3, 20}, std::pair(3, 20)},
                      NormalizeCase{" 1e3 ", "999.5", {1000, 1000}, {}},
                      NormalizeCase{"-2147483648", "5", {3, 5}, {}}));

TEST(ReadBounds, ComparesTheUnroundedNumber) {
    EXPECT_EQ(ReadBounds("2147483647", "3").status, BoundCheck::Accepted);
    EXPECT_EQ(ReadBounds("2147483647.4", "3").status, BoundCheck::OutOfRange);
    EXPECT_EQ(ReadBounds("3", "2147483648").status, BoundCheck::OutOfRange);
    EXPECT_EQ(ReadBounds("1e10", "3").status, BoundCheck::OutOfRange);
}

TEST(ReadBounds, ANonNumberIsRejectedBeforeTheRangeIsJudged) {
    EXPECT_EQ(ReadBounds("", "1000").status, BoundCheck::NotANumber);
    EXPECT_EQ(ReadBounds("3", "abc").status, BoundCheck::NotANumber);
    EXPECT_EQ(ReadBounds("nan", "2147483648").status, BoundCheck::NotANumber);
}

TEST(ReadBounds, RejectsNumbersBelowThe32BitRange) {
    EXPECT_EQ(ReadBounds("-2147483649", "5").status, BoundCheck::OutOfRange);
    EXPECT_EQ(ReadBounds("5", "-1e300").status, BoundCheck::OutOfRange);
    EXPECT_EQ(ReadBounds("-2147483648", "5").status, BoundCheck::Accepted);
}

}  // namespace
}  // namespace vodazi

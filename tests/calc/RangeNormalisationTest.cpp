#include "calc/RangeNormalisation.h"

#include <gtest/gtest.h>

#include "RecordingDoubles.h"

namespace vodazi {
namespace {

using testing::Log;
using testing::RecordingView;

struct NormaliseCase {
    std::string startText;
    std::string endText;
    RangeBounds expected;
    Log expectedWrites;  // box write-backs, in order

    friend void PrintTo(const NormaliseCase& c, std::ostream* os) {
        *os << '"' << c.startText << "\" .. \"" << c.endText << '"';
    }
};

class NormalizeRangeTest : public ::testing::TestWithParam<NormaliseCase> {};

TEST_P(NormalizeRangeTest, GivesBoundsAndWritesBackOnlyOnExchange) {
    const NormaliseCase& c = GetParam();
    ASSERT_EQ(CheckBounds(c.startText, c.endText), BoundCheck::Accepted);
    const ConvertedBounds converted = ConvertBounds(c.startText, c.endText);
    ASSERT_EQ(converted.status, BoundCheck::Accepted);
    Log log;
    RecordingView view(log);
    EXPECT_EQ(NormalizeRange(converted.values, view), c.expected);
    EXPECT_EQ(log, c.expectedWrites);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, NormalizeRangeTest,
    ::testing::Values(
        NormaliseCase{"1", "1000", {3, 1000}, {}},
        NormaliseCase{"3", "20", {3, 20}, {}},
        NormaliseCase{"10", "1", {3, 10}, {"start=1", "end=10"}},
        NormaliseCase{"1", "2", {3, 3}, {"start=2", "end=3"}},
        NormaliseCase{"-5", "-10", {3, 3}, {"start=-10", "end=3"}},
        NormaliseCase{"2147483647", "2147483647", {2147483647, 2147483647}, {}},
        NormaliseCase{"2147483646.6", "2147483647", {2147483647, 2147483647}, {}},
        NormaliseCase{"20", "3", {3, 20}, {"start=3", "end=20"}},
        NormaliseCase{" 1e3 ", "999.5", {1000, 1000}, {}},
        NormaliseCase{"-2147483648", "5", {3, 5}, {}}));

TEST(CheckBounds, ComparesTheUnroundedNumber) {
    EXPECT_EQ(CheckBounds("2147483647", "3"), BoundCheck::Accepted);
    EXPECT_EQ(CheckBounds("2147483647.4", "3"), BoundCheck::OutOfRange);
    EXPECT_EQ(CheckBounds("3", "2147483648"), BoundCheck::OutOfRange);
    EXPECT_EQ(CheckBounds("1e10", "3"), BoundCheck::OutOfRange);
}

TEST(CheckBounds, ANonNumberIsRejectedBeforeTheRangeIsJudged) {
    EXPECT_EQ(CheckBounds("", "1000"), BoundCheck::NotANumber);
    EXPECT_EQ(CheckBounds("3", "abc"), BoundCheck::NotANumber);
    EXPECT_EQ(CheckBounds("nan", "2147483648"), BoundCheck::NotANumber);
}

TEST(ConvertBounds, RejectsNumbersBelowThe32BitRange) {
    EXPECT_EQ(ConvertBounds("-2147483649", "5").status, BoundCheck::OutOfRange);
    EXPECT_EQ(ConvertBounds("5", "-1e300").status, BoundCheck::OutOfRange);
    EXPECT_EQ(ConvertBounds("-2147483648", "5").status, BoundCheck::Accepted);
}

}  // namespace
}  // namespace vodazi

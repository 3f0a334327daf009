#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>

#include "report/AscendingDecimal.h"

namespace vodazi {
namespace {

// Writes the lines in runs of 1, 2, 3, ... numbers, so that what one run leaves behind is
// what the next starts from.
std::string Lines(const std::vector<std::uint32_t>& numbers) {
    AscendingDecimal lines;
    std::string text(
        numbers.size() * AscendingDecimal::LongestLine + AscendingDecimal::LineCopyBytes, '\0');
    char* out = text.data();
    std::span<const std::uint32_t> rest(numbers);
    for (std::size_t run = 1; !rest.empty(); ++run) {
        const std::size_t count = std::min(run, rest.size());
        out = lines.WriteLines(rest.first(count), out);
        rest = rest.subspan(count);
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

std::string Expected(const std::vector<std::uint32_t>& numbers) {
    std::string text;
    for (const std::uint32_t n : numbers) text += std::to_string(n) + "\r\n";
    return text;
}

TEST(AscendingDecimal, CarriesIntoNewDigits) {
    const std::vector<std::uint32_t> numbers{0,     1,      9,          10,         99,
                                             101,   999,    1000,       1998,       2997,
                                             99999, 100998, 2147483629, 2147483647, 4294967295u};
    EXPECT_EQ(Lines(numbers), Expected(numbers));
}

TEST(AscendingDecimal, JumpsAndStepsBackAreWrittenInFull) {
    const std::vector<std::uint32_t> numbers{4294959999u, 3,  5000,        7, 7,
                                             1000000007,  11, 4000000000u, 3};
    EXPECT_EQ(Lines(numbers), Expected(numbers));
}

TEST(AscendingDecimal, MatchesPlainConversionOnRandomSeries) {
    std::mt19937 random(42);
    for (int series = 0; series < 50; ++series) {
        std::vector<std::uint32_t> numbers;
        std::uint64_t n = std::uniform_int_distribution<std::uint32_t>(0, 4'000'000'000u)(random);
        for (int i = 0; i < 5000 && n <= 0xFFFFFFFFu; ++i) {
            numbers.push_back(static_cast<std::uint32_t>(n));
            n += std::uniform_int_distribution<std::uint32_t>(0, 1200)(random);
        }
        ASSERT_EQ(Lines(numbers), Expected(numbers));
    }
}

}  // namespace
}  // namespace vodazi

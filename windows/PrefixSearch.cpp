#include "windows/PrefixSearch.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vodazi {

namespace {

constexpr std::uint64_t LargestItem = std::numeric_limits<std::uint32_t>::max();

// The prefix as a number; none if it has no digits, another character, a leading zero (no
// item's text has one) or more digits than any item.
std::optional<std::uint64_t> PrefixValue(std::string_view digits) {
    if (digits.empty() || digits.size() > 10 || digits.front() == '0') return std::nullopt;
    std::uint64_t value = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    if (value > LargestItem) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::size_t> FindItemWithPrefix(const PrimeStore& items, std::string_view digits,
                                              std::size_t from) {
    const std::optional<std::uint64_t> prefix = PrefixValue(digits);
    if (!prefix) return std::nullopt;
    std::optional<std::size_t> firstOverall;
    // Ranges in ascending order of numbers are in ascending order of rows too.
    for (std::uint64_t low = *prefix, width = 1; low <= LargestItem; low *= 10, width *= 10) {
        const std::uint64_t high = std::min(low + width - 1, LargestItem);
        const std::size_t first = items.LowerBound(static_cast<std::uint32_t>(low));
        if (first == items.Size() || items.At(first) > high) continue;
        if (!firstOverall) firstOverall = first;
        if (first >= from) return first;
        // The range starts before `from`; `from` itself matches if the range reaches it.
        if (from < items.Size() && items.At(from) <= high) return from;
    }
    return firstOverall;
}

}  // namespace vodazi

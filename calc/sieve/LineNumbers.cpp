#include "calc/sieve/LineNumbers.h"

namespace vodazi {
namespace {

// The number of the line from `at`, and where the next line begins.
std::uint32_t NumberAt(std::span<const char> lines, std::size_t& at) {
    std::uint32_t n = 0;
    for (; lines[at] != '\r'; ++at) n = 10 * n + static_cast<std::uint32_t>(lines[at] - '0');
    at += 2;
    return n;
}

}  // namespace

std::uint32_t FirstLineNumber(std::span<const char> lines) {
    std::size_t at = 0;
    return NumberAt(lines, at);
}

// Every line before `below` holds a number below n, every line from `atLeast` on one of at
// least n; both are line starts, and they close in on each other.
std::size_t BytesOfLinesBelow(std::span<const char> lines, std::uint64_t n) {
    std::size_t below = 0;
    std::size_t atLeast = lines.size();
    while (below < atLeast) {
        std::size_t start = below + (atLeast - below) / 2;
        while (start > below && lines[start - 1] != '\n') --start;
        std::size_t next = start;
        if (NumberAt(lines, next) < n) {
            below = next;
        } else {
            atLeast = start;
        }
    }
    return below;
}

}  // namespace vodazi

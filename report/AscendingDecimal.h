#pragma once

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <span>

namespace vodazi {

// Report lines for a series of numbers, fastest when neighbours share their leading digits,
// as consecutive primes do: the digits above the last four are converted only when they
// change, the last four come from a table.
class AscendingDecimal {
  public:
    AscendingDecimal() { prefixLength_ = PrefixOf(base_ / 10000, prefix_); }

    // The longest line: ten digits and CR LF. Writers keep LineCopyBytes more room than the
    // lines need, since parts of a line are copied as fixed-size blocks.
    static constexpr std::size_t LongestLine = 12;
    static constexpr std::size_t LineCopyBytes = 16;

    // Writes one line per number and returns the end of the last.
    char* WriteLines(std::span<const std::uint32_t> numbers, char* out) {
        // Held in locals: a store through `out` may alias any member, which would make the
        // compiler reload them for every line.
        const std::array<Digits, 10000>& four = FourDigits();
        std::uint64_t prefix = prefix_;
        std::size_t prefixLength = prefixLength_;
        std::uint32_t base = base_;
        for (const std::uint32_t n : numbers) {
            std::uint32_t low = n - base;
            if (low >= 10000) [[unlikely]] {
                if (n < 10000) {
                    out = WriteShortLine(n, out);
                    continue;
                }
                const std::uint32_t high = n / 10000;
                base = high * 10000;
                low = n - base;
                prefixLength = PrefixOf(high, prefix);
            }
            std::memcpy(out, &prefix, sizeof prefix);
            out += prefixLength;
            // The last four digits, then CR LF, in one eight-byte store.
            std::uint32_t digits;
            std::memcpy(&digits, four[low].data(), sizeof digits);
            const std::uint64_t tail = digits | LineEnd << 32;
            std::memcpy(out, &tail, sizeof tail);
            out += 6;
        }
        prefix_ = prefix;
        prefixLength_ = prefixLength;
        base_ = base;
        return out;
    }

  private:
    using Digits = std::array<char, 4>;
    // CR LF as the low bytes of a word; placed after the digits by a shift, so the words
    // must be stored lowest byte first.
    static_assert(std::endian::native == std::endian::little);
    static constexpr std::uint64_t LineEnd = '\r' | '\n' << 8;

    // The numbers below 10000, which have no leading digits to keep.
    static char* WriteShortLine(std::uint32_t n, char* out) {
        out = std::to_chars(out, out + 4, n).ptr;
        std::memcpy(out, &LineEnd, 2);
        return out + 2;
    }

    // Sets `prefix` to the digits of `high` (up to six) and returns how many there are.
    static std::size_t PrefixOf(std::uint32_t high, std::uint64_t& prefix) {
        char digits[sizeof prefix] = {};
        const auto length = static_cast<std::size_t>(
            std::to_chars(digits, digits + sizeof digits, high).ptr - digits);
        std::memcpy(&prefix, digits, sizeof prefix);
        return length;
    }

    static const std::array<Digits, 10000>& FourDigits() {
        static const std::array<Digits, 10000> table = [] {
            std::array<Digits, 10000> digits{};
            for (std::uint32_t i = 0; i < 10000; ++i) {
                digits[i] = {static_cast<char>('0' + i / 1000),
                             static_cast<char>('0' + i / 100 % 10),
                             static_cast<char>('0' + i / 10 % 10), static_cast<char>('0' + i % 10)};
            }
            return digits;
        }();
        return table;
    }

    std::uint64_t prefix_ = 0;  // the leading digits as bytes, copied as eight
    std::size_t prefixLength_ = 0;
    // The numbers from base_ to base_ + 9999 share the prefix. It starts as the highest
    // prefix whose ten thousand numbers all fit in 32 bits, so that n - base_ cannot wrap
    // round into them; the first line of a report replaces it.
    std::uint32_t base_ = (UINT32_MAX / 10000 - 1) * 10000;
};

}  // namespace vodazi

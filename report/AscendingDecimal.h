#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace vodazi {

// Report lines for a series of numbers, fastest when neighbours share their leading digits,
// as consecutive primes do: the digits above the last four are converted only when they
// change, the last four come from a table.
class AscendingDecimal {
  public:
    // The longest line: ten digits and CR LF. Writers keep LineCopyBytes more room than the
    // lines need, since parts of a line are copied as fixed-size blocks.
    static constexpr std::size_t LongestLine = 12;
    static constexpr std::size_t LineCopyBytes = 16;

    // Writes the line for `n` and returns its end.
    char* WriteLine(std::uint32_t n, char* out) {
        const std::uint32_t high = n / 10000;
        const std::uint32_t low = n % 10000;
        if (high == 0) {
            out = std::to_chars(out, out + 4, low).ptr;
        } else {
            if (high != high_ || prefixLength_ == 0) SetPrefix(high);
            std::memcpy(out, prefix_, sizeof prefix_);
            out += prefixLength_;
            std::memcpy(out, FourDigits()[low].data(), 4);
            out += 4;
        }
        out[0] = '\r';
        out[1] = '\n';
        return out + 2;
    }

  private:
    void SetPrefix(std::uint32_t high) {
        high_ = high;
        prefixLength_ = static_cast<std::size_t>(
            std::to_chars(prefix_, prefix_ + sizeof prefix_, high).ptr - prefix_);
    }

    using Digits = std::array<char, 4>;
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

    char prefix_[8] = {};  // up to six digits, copied as eight bytes
    std::size_t prefixLength_ = 0;
    std::uint32_t high_ = 0;
};

}  // namespace vodazi

#include "calc/Conversions.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vodazi {
namespace {

// A pasted line keeps its line break; a one-line box shows none, so it counts as a blank
// at either end. Inside the text it still makes the text no number.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The pieces of a syntactically valid number, so that an overflowing value can be told
// from an underflowing one without a second parse.
struct NumberShape {
    bool negative = false;
    std::string_view body;  // the number without its sign
    bool anyNonZeroDigit = false;
    long long leadingIntegerDigits = 0;    // significant digits before the point
    long long leadingZerosAfterPoint = 0;  // zeros after the point before the first significant one
    long long exponent = 0;
};

std::size_t SkipDigits(std::string_view s, std::size_t pos) {
    while (pos < s.size() && IsDigit(s[pos])) ++pos;
    return pos;
}

std::optional<NumberShape> ParseShape(std::string_view text) {
    NumberShape shape;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        shape.negative = text[pos] == '-';
        ++pos;
    }
    shape.body = text.substr(pos);

    const std::size_t intStart = pos;
    pos = SkipDigits(text, pos);
    std::size_t digitCount = pos - intStart;
    for (std::size_t i = intStart; i < pos; ++i) {
        if (text[i] != '0' || shape.anyNonZeroDigit) {
            shape.anyNonZeroDigit = true;
            ++shape.leadingIntegerDigits;
        }
    }
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fracStart = ++pos;
        pos = SkipDigits(text, pos);
        digitCount += pos - fracStart;
        for (std::size_t i = fracStart; i < pos; ++i) {
            if (text[i] != '0') {
                shape.anyNonZeroDigit = true;
                break;
            }
            if (shape.leadingIntegerDigits == 0) ++shape.leadingZerosAfterPoint;
        }
    }
    if (digitCount == 0) return std::nullopt;

    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            negativeExponent = text[pos] == '-';
            ++pos;
        }
        const std::size_t expStart = pos;
        pos = SkipDigits(text, pos);
        if (pos == expStart) return std::nullopt;
        for (std::size_t i = expStart; i < pos; ++i) {
            // Saturate: any exponent this long is far outside the double range anyway.
            if (shape.exponent < 1'000'000'000)
                shape.exponent = shape.exponent * 10 + (text[i] - '0');
        }
        if (negativeExponent) shape.exponent = -shape.exponent;
    }
    if (pos != text.size()) return std::nullopt;
    return shape;
}

double OutOfDoubleRange(const NumberShape& shape) {
    // The decimal magnitude tells whether from_chars gave up on a huge or a tiny number.
    const long long magnitude = shape.leadingIntegerDigits > 0
                                    ? shape.leadingIntegerDigits + shape.exponent
                                    : shape.exponent - shape.leadingZerosAfterPoint;
    const double value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return shape.negative ? -value : value;
}

}  // namespace

std::optional<double> TextToDouble(std::string_view text) {
    const auto shape = ParseShape(TrimBlanks(text));
    if (!shape) return std::nullopt;
    double value = 0.0;
    const char* first = shape->body.data();
    const char* last = first + shape->body.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) return OutOfDoubleRange(*shape);
    if (error != std::errc{} || end != last) return std::nullopt;
    return shape->negative ? -value : value;
}

std::optional<std::int32_t> DoubleToInt32(double number) {
    // nearbyint rounds in the default mode, to nearest with ties to even.
    const double rounded = std::nearbyint(number);
    if (!(rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::string IntToText(std::int64_t value) {
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)error;  // 24 characters hold every 64-bit integer
    return std::string(buffer, end);
}

}  // namespace vodazi

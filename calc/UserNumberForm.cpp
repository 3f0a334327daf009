#include "calc/UserNumberForm.h"

#include <vector>

#include "calc/Conversions.h"

namespace vodazi {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}

// The code point at the start of a UTF-8 text and its length in bytes; length 0 when the
// text starts with no well-formed character.
struct CodePoint {
    char32_t value = 0;
    std::size_t length = 0;
};

CodePoint FirstCodePoint(std::string_view text) {
    if (text.empty()) return {};
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || length > text.size()) return {};
    char32_t value = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) return {};
        value = (value << 6) | (next & 0x3F);
    }
    return {value, length};
}

// The ASCII digit for a digit of the form or 0 to 9; 0 for anything else.
char DigitAt(std::string_view text, const NumberForm& form, std::size_t* length) {
    const CodePoint point = FirstCodePoint(text);
    *length = point.length;
    for (const char32_t zero : {form.zeroDigit, U'0'}) {
        if (point.length != 0 && point.value >= zero && point.value <= zero + 9)
            return static_cast<char>('0' + (point.value - zero));
    }
    return 0;
}

// The length of the group separator at the start of `text`, or 0. Where the locale separates
// groups by a no-break space, any space does, as few people can type the exact one.
std::size_t GroupSeparatorAt(std::string_view text, const NumberForm& form) {
    if (form.groupSeparator.empty() || form.groupSeparator == form.decimalPoint) return 0;
    if (StartsWith(text, form.groupSeparator)) return form.groupSeparator.size();
    if (form.groupSeparator != "\u00A0" && form.groupSeparator != "\u202F") return 0;
    for (const std::string_view space : {" ", "\u00A0", "\u202F"}) {
        if (StartsWith(text, space)) return space.size();
    }
    return 0;
}

// Whole groups only: the last of `groupSize` digits, those before it of `otherGroupSize`,
// the first of one to that many.
bool WholeGroups(const std::vector<int>& groups, const NumberForm& form) {
    if (groups.size() < 2) return true;  // no separator
    if (groups.back() != form.groupSize) return false;
    for (std::size_t i = 1; i + 1 < groups.size(); ++i) {
        if (groups[i] != form.otherGroupSize) return false;
    }
    return groups.front() >= 1 && groups.front() <= form.otherGroupSize;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The text in the locale-independent form; nothing when it is not in `form`.
std::optional<std::string> InPlainForm(std::string_view text, const NumberForm& form) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    std::string plain;
    const auto sign = [&plain, &text](std::string_view minus, std::string_view plus) {
        for (const auto& [mark, ascii] :
             {std::pair(minus, '-'), std::pair(plus, '+'), std::pair(std::string_view("-"), '-'),
              std::pair(std::string_view("+"), '+')}) {
            if (!StartsWith(text, mark)) continue;
            plain += ascii;
            text.remove_prefix(mark.size());
            return;
        }
    };
    const auto digits = [&plain, &text, &form](bool grouped) {
        std::vector<int> groups{0};
        for (;;) {
            std::size_t length = 0;
            if (const char digit = DigitAt(text, form, &length)) {
                plain += digit;
                ++groups.back();
            } else if (grouped && (length = GroupSeparatorAt(text, form)) != 0) {
                groups.push_back(0);
            } else {
                return groups;
            }
            text.remove_prefix(length);
        }
    };

    sign(form.minusSign, form.plusSign);
    if (!WholeGroups(digits(true), form)) return std::nullopt;
    if (StartsWith(text, form.decimalPoint)) {
        plain += '.';
        text.remove_prefix(form.decimalPoint.size());
        digits(false);
    }
    for (const std::string_view mark :
         {std::string_view(form.exponent), std::string_view("e"), std::string_view("E")}) {
        if (!StartsWith(text, mark)) continue;
        plain += 'e';
        text.remove_prefix(mark.size());
        sign(form.minusSign, form.plusSign);
        digits(false);
        break;
    }
    if (!text.empty()) return std::nullopt;
    return plain;
}

}  // namespace

std::optional<double> TextToDoubleInForm(std::string_view text, const NumberForm& form) {
    const std::optional<std::string> plain = InPlainForm(text, form);
    return plain ? TextToDouble(*plain) : std::nullopt;
}

}  // namespace vodazi

#include "report/NativeName.h"

#include <climits>
#include <cstdint>
#include <cwchar>
#include <optional>

namespace vodazi {
namespace {

// The code points of a UTF-8 text; nothing when it is no well-formed UTF-8.
std::optional<std::u32string> DecodeUtf8(const std::string& text) {
    std::u32string decoded;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                           : lead >= 0xE0 && lead < 0xF0 ? 3
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) return std::nullopt;
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            point = (point << 6) | (next & 0x3F);
        }
        const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < shortest[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000))
            return std::nullopt;
        decoded.push_back(point);
        i += length;
    }
    return decoded;
}

// The code points in the locale's multibyte encoding; nothing when one has no form there.
// wcrtomb is unsafe with threads only when it keeps its shift state itself; here it is given
// one of its own.
// NOLINTBEGIN(concurrency-mt-unsafe)
std::optional<std::string> EncodeInLocale(const std::u32string& points) {
    std::string encoded;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (const char32_t point : points) {
        // wchar_t holds a code point where the C library works in UTF-32, as on Linux.
        if (point > static_cast<char32_t>(WCHAR_MAX)) return std::nullopt;
        const std::size_t length = std::wcrtomb(bytes, static_cast<wchar_t>(point), &state);
        if (length == static_cast<std::size_t>(-1)) return std::nullopt;
        encoded.append(bytes, length);
    }
    const std::size_t length = std::wcrtomb(bytes, L'\0', &state);  // back to the initial shift
    if (length == static_cast<std::size_t>(-1)) return std::nullopt;
    encoded.append(bytes, length - 1);
    return encoded;
}
// NOLINTEND(concurrency-mt-unsafe)

}  // namespace

std::filesystem::path NativeName(const std::string& typed) {
    const std::optional<std::u32string> points = DecodeUtf8(typed);
    if (!points) return typed;
    return EncodeInLocale(*points).value_or(typed);
}

}  // namespace vodazi

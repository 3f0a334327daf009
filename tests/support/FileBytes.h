#pragma once

// A file's bytes, and a comparison of texts of any length that tells where they part: the
// test framework's own equality prints and diffs both, which for a report of megabytes takes
// gigabytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vodazi::support {

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline ::testing::AssertionResult SameBytes(const std::string& actual,
                                            const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    const std::size_t at = static_cast<std::size_t>(
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
        actual.begin());
    const auto around = [at](const std::string& text) {
        return ::testing::PrintToString(text.substr(at, 24));
    };
    return ::testing::AssertionFailure()
           << actual.size() << " bytes where " << expected.size() << " were expected, first "
           << "differing at byte " << at << ": " << around(actual) << " instead of "
           << around(expected);
}

}  // namespace vodazi::support

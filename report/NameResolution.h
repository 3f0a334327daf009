#pragma once

// Whether a name was planted by another user where anyone may add names, in the platform's
// own terms: Planted(path), true when the name steers no report.
#if defined(_WIN32)
#include <filesystem>

namespace vodazi {

// Windows has no folder where anyone may add a name that only its owner may remove; what a
// link of its file systems may steer is its file layer's to decide, as it opens the file.
inline bool Planted(const std::filesystem::path&) {
    return false;
}

}  // namespace vodazi
#else
#include "report/posix/NameResolution.h"
#endif

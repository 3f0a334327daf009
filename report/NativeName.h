#pragma once

#include <filesystem>
#include <string>

namespace vodazi {

// The name the system stores for a file name typed in the window (UTF-8).
// On POSIX systems: the name in the encoding of the user's locale (LC_CTYPE, which the
// toolkit sets at start-up), as every other program of the desktop writes it. A UTF-8 locale
// leaves the name as it is. A name that is no UTF-8, or that holds a character the locale
// cannot write, keeps its bytes.
// On Windows: the same characters in UTF-16, whatever the code page, so that every name the
// window can show is a name the file system can store.
std::filesystem::path NativeName(const std::string& typed);

}  // namespace vodazi

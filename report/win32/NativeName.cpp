#include "report/NativeName.h"

namespace vodazi {

std::filesystem::path NativeName(const std::string& typed) {
    // The standard library reads a plain string in the ANSI code page, which cannot hold most
    // names; as UTF-8 it turns every character into its UTF-16 form.
    return std::u8string(typed.begin(), typed.end());
}

}  // namespace vodazi

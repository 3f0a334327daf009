#pragma once

#include <sys/types.h>

#include <filesystem>

namespace vodazi {

// Where a report's name leads, and whether what another user put on the way may steer it.
// In a sticky folder that others may write, as /tmp, anyone may put a name there and no one
// may remove another user's: a link or a file that such a user planted there steers no
// report, unless that user owns the folder. Linux refuses a plain program to follow such a
// link or to open such a file for creating (fs.protected_symlinks, fs.protected_regular);
// this holds whatever those settings are.

enum class Trust {
    Trusted,
    Planted,
    Unknown,  // the folder could not be looked at; errno says why
};

// Whether what `owner` put at `path` may steer a report.
Trust TrustOf(const std::filesystem::path& path, uid_t owner);

// The file a name stands for; or an empty path and the errno value the name is refused with.
struct ResolvedName {
    std::filesystem::path path;
    int error = 0;
    bool planted = false;  // refused for a link another user planted
};

// Resolves the name one part at a time, as the system does, but follows a link at its end
// even when the link's target is missing, and follows a link anywhere only where trusted.
// A part that cannot be looked at refuses the name, as nothing then says whether it is a
// link. The name itself when it holds no link.
ResolvedName ResolveName(const std::filesystem::path& name);

// True when the name leads through a link, or to a file, that another user planted. Only
// what is known counts: a name that cannot be looked at is not called planted.
bool Planted(const std::filesystem::path& name);

}  // namespace vodazi

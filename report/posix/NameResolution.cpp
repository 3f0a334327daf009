#include "report/posix/NameResolution.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <system_error>

#include "report/posix/SystemCalls.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

constexpr int LinksFollowedAtMost = 40;  // as many as the system follows

bool SharedSticky(const struct stat& folder) {
    return (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
}

}  // namespace

Trust TrustOf(const fs::path& path, uid_t owner) {
    if (owner == ::geteuid()) return Trust::Trusted;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    struct stat status {};
    if (system_calls::Status(folder.c_str(), &status) != 0) return Trust::Unknown;
    return !SharedSticky(status) || status.st_uid == owner ? Trust::Trusted : Trust::Planted;
}

ResolvedName ResolveName(const fs::path& name) {
    std::deque<fs::path> rest(name.begin(), name.end());
    fs::path done;
    int links = 0;
    while (!rest.empty()) {
        const fs::path next = done / rest.front();
        rest.pop_front();
        struct stat status {};
        if (system_calls::LinkStatus(next.c_str(), &status) != 0) {
            if (errno != ENOENT) return {{}, errno};
            done = next;  // nothing there yet: creating it tells
            continue;
        }
        if (!S_ISLNK(status.st_mode)) {
            done = next;
            continue;
        }
        const Trust trust = TrustOf(next, status.st_uid);
        if (trust == Trust::Planted) return {{}, EACCES, true};
        if (trust == Trust::Unknown) return {{}, errno};
        if (++links > LinksFollowedAtMost) return {{}, ELOOP};
        std::error_code error;
        const fs::path target = fs::read_symlink(next, error);
        if (error) return {{}, error.value()};
        rest.insert(rest.begin(), target.begin(), target.end());
        if (target.is_absolute()) done.clear();
    }
    return {links == 0 ? name : done};
}

bool Planted(const fs::path& name) {
    const ResolvedName resolved = ResolveName(name);
    if (resolved.error != 0) return resolved.planted;
    struct stat status {};
    return system_calls::Status(resolved.path.c_str(), &status) == 0 &&
           TrustOf(resolved.path, status.st_uid) == Trust::Planted;
}

}  // namespace vodazi

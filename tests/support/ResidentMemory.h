#pragma once

#include <unistd.h>

#include <fstream>

namespace vodazi::support {

// What this process holds in memory now, in megabytes.
inline double ResidentMegabytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

}  // namespace vodazi::support

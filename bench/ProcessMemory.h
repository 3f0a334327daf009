#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

namespace vodazi::bench {

// What this process holds in memory now, in megabytes.
inline double ResidentMegabytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

// The most it has held so far, in megabytes.
inline double PeakResidentMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1e3;  // kilobytes
}

}  // namespace vodazi::bench

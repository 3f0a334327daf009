#include "calc/sieve/AllowedCores.h"

#include <windows.h>

#include <bit>

namespace vodazi {

unsigned AllowedCores() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (!::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system)) return 0;
    return static_cast<unsigned>(std::popcount(static_cast<unsigned long long>(process)));
}

}  // namespace vodazi

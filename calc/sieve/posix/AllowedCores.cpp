#include "calc/sieve/AllowedCores.h"

#include <sched.h>

namespace vodazi {

unsigned AllowedCores() {
    cpu_set_t allowed;
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) return 0;
    return static_cast<unsigned>(CPU_COUNT(&allowed));
}

}  // namespace vodazi

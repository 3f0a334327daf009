#include "platform/MemoryArenas.h"

#include <cstdlib>  // says which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vodazi {

void ShareOneMemoryArena() {
#if defined(__GLIBC__)
    // Before any thread exists, as the program's start calls it: nothing can race with it.
    ::mallopt(M_ARENA_MAX, 1);  // NOLINT(concurrency-mt-unsafe)
#endif
}

}  // namespace vodazi

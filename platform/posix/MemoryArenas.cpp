#include "platform/MemoryArenas.h"

#include <cstdlib>  // says which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vodazi {

void ShareOneMemoryArena() {
#if defined(__GLIBC__)
    ::mallopt(M_ARENA_MAX, 1);
#endif
}

}  // namespace vodazi

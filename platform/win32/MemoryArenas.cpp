#include "platform/MemoryArenas.h"

namespace vodazi {

// The process heap reserves nothing per thread.
void ShareOneMemoryArena() {}

}  // namespace vodazi

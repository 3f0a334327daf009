#pragma once

// Where the bytes of a new report go and how they take the place of the old one, in the
// platform's own way. Both ways offer the same: the constructor (the name as typed for
// messages, the path to write), Descriptor(), Written(offset, bytes), Commit(length) and
// Discard(); and to TextStream alone, Fail(error).
#if defined(_WIN32)
#include "report/win32/FileReplacement.h"
#else
#include "report/posix/FileReplacement.h"
#endif

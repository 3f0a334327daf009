#pragma once

// The calls through which the report file reaches the file system, in the platform's own
// terms: one seam for POSIX systems and one for Windows, each with the hook that lets tests
// fail any of its calls.
#if defined(_WIN32)
#include "report/win32/SystemCalls.h"
#else
#include "report/posix/SystemCalls.h"
#endif

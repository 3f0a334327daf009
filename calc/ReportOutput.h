#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "calc/LineSink.h"

namespace vodazi {

// The report file as a run uses it. The primes come as its lines through the LineSink side.
class ReportOutput : public LineSink {
  public:
    using FileNameGetter = std::function<std::string()>;

    // Checks the folder, asks before overwriting and creates the file. Returns false when
    // the run is abandoned (missing folder, or the user kept the old file). Failures of
    // the file system are thrown as RunFailure.
    virtual bool Open(const FileNameGetter& fileName) = 0;
    virtual void Header(std::int32_t start, std::int32_t end) = 0;
    // Writes the trailer and closes the file; only then is the report complete.
    virtual void Finish() = 0;
    // Drops a report that will not be finished, leaving the disk as it was before Open.
    virtual void Abandon() = 0;
};

}  // namespace vodazi

#pragma once

#include "calc/ResultSink.h"

namespace vodazi {

// The result list window as a run uses it. Appending goes through the ResultSink side.
class ListOutput : public ResultSink {
  public:
    // Loads a fresh, empty, hidden list window.
    virtual void Prepare() = 0;
    // Shows it modally over the active window; returns once the user has closed it.
    virtual void ShowModal() = 0;
    // Drops a prepared window that will not be shown (the run failed before the end).
    virtual void Discard() = 0;
};

}  // namespace vodazi

#pragma once

#include <stdexcept>

namespace vodazi {

// A failure the user is told about in a message box, after which the run ends in order.
// Destinations throw it; the run catches it.
class RunFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace vodazi

#pragma once

namespace vodazi {

// How many cores this process may run on, which taskset, a job object or a container can
// make fewer than the machine has; 0 where the system does not say.
unsigned AllowedCores();

}  // namespace vodazi

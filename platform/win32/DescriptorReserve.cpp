#include "platform/DescriptorReserve.h"

namespace vodazi {

// A window on Windows takes no descriptor of the C library's: there is nothing to keep.
void KeepDescriptorReserve() {}
void ReclaimDescriptorReserve() {}

DescriptorsLent::DescriptorsLent() = default;
DescriptorsLent::~DescriptorsLent() = default;

}  // namespace vodazi

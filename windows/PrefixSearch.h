#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "windows/PrimeStore.h"

namespace vodazi {

// The first item at or after `from` whose decimal text begins with `digits`, else the first
// such item before it; none if no item begins so. The items are ascending, so those that begin
// with a prefix of d digits form at most ten ranges of numbers (the prefix times 10^k up to the
// next prefix times 10^k, minus one), each found by binary search: it answers at once on a
// hundred million items.
std::optional<std::size_t> FindItemWithPrefix(const PrimeStore& items, std::string_view digits,
                                              std::size_t from);

}  // namespace vodazi

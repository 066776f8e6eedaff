// A bag's bytes behind a prefix of the caller's, for formats that wrap a
// bag (the object bytes): the bag is written once, straight into the
// buffer that is handed out, instead of being copied again behind a header.
#pragma once

#include <commonvelmora/property_bag.h>

#include <cstdint>
#include <span>
#include <vector>

namespace velmora::bag {

// `prefix` followed by exactly what bag.contents() gives.
std::vector<std::uint8_t> contentsBehind(const PropertyBag& bag,
                                         std::span<const std::uint8_t> prefix);

}  // namespace velmora::bag

// The byte layouts of the picture pair and the object pair.
//
//   offset  size  picture bytes (GetImageData)    object bytes (GetObjectData)
//   0       4     "CVPI"                           "CVOB"
//   4       1     version (1)                      version (1)
//   5       3     zero                             zero
//   8       4     image length, little endian      -
//   8/12    ...   the image's own encoded bytes    a property bag's contents with
//                 (exactly the length given)       the object as its entry "Object"
//
// Version rule: a reader reads every version up to its own and refuses later
// ones (they may mean anything). The version goes up only when what follows
// the header changes; a change that older readers could not skip safely gets
// a new version, never a reuse of the reserved bytes. The fixtures in
// tests/serialize/fixtures are version 1 and must always load.
//
// The distinct magic numbers keep each pair from reading the other's bytes,
// and both from reading a bare property bag's contents (the third pair's).
#pragma once

#include <commonvelmora/property_bag.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velmora::serialize {

inline constexpr std::uint8_t kStoredBytesVersion = 1;

std::vector<std::uint8_t> packPicture(std::span<const std::uint8_t> image);
// The image inside picture bytes, or nothing when the layout does not hold.
std::optional<std::span<const std::uint8_t>> unpackPicture(std::span<const std::uint8_t> bytes);

// The object bytes of `bag`: its contents behind the header, written once.
std::vector<std::uint8_t> packObject(const PropertyBag& bag);
std::optional<std::span<const std::uint8_t>> unpackObject(std::span<const std::uint8_t> bytes);

}  // namespace velmora::serialize

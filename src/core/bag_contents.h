// A bag's contents inside other formats (the object bytes): written straight
// behind the caller's header, and read from the caller's bytes in place.
#pragma once

#include <commonvelmora/property_bag.h>

#include <cstdint>
#include <span>
#include <vector>

namespace velmora::bag {

// `prefix` followed by exactly what bag.contents() gives: the bag is written
// once, straight into the buffer that is handed out.
std::vector<std::uint8_t> contentsBehind(const PropertyBag& bag,
                                         std::span<const std::uint8_t> prefix);

// A bag loaded from bytes it views instead of copying, for reading a few
// entries on the spot: the caller keeps the bytes alive and unchanged while
// this lives. An object read from it that keeps its bag keeps the bag's
// document too, and so the bytes: they are copied for it when this ends.
// Raises as PropertyBag::setContents() does.
class LentContents {
 public:
  explicit LentContents(std::span<const std::uint8_t> bytes);
  ~LentContents();
  LentContents(const LentContents&) = delete;
  LentContents& operator=(const LentContents&) = delete;

  const PropertyBag& bag() const { return bag_; }

 private:
  PropertyBag bag_;
};

}  // namespace velmora::bag

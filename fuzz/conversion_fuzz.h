// Arbitrary bytes into one of Work's bytes-to-object members: it must return
// an object or nothing, never raise, crash or leak. Bound: no call allocates
// pixel memory (pictures read only image headers, and refuse sides beyond
// 32767 pixels), and whatever a call keeps is a copy of at most the input
// plus the registered objects the bytes describe, within PropertyBag's
// limits; the runs use -malloc_limit_mb=64 to hold them to it.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/work.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace velmora::fuzz {

using BytesToObject = ObjectRef (Work::*)(SafeArray&);

inline int convertBytes(BytesToObject member, const std::uint8_t* data, std::size_t size) {
  static const bool initialized = (initializeLibrary(), true);
  (void)initialized;
  Work work;
  SafeArray bytes = SafeArray::ofBytes(std::vector<std::uint8_t>(data, data + size));
  ObjectRef result = (work.*member)(bytes);
  // A picture that came back stays inside the bounds (HIMETRIC at 96 dpi).
  // An empty picture (handle 0, no sides) is a legitimate result: a bag that
  // persisted an empty picture restores one.
  if (result != nullptr && result->typeName() == "Picture") {
    constexpr std::int32_t kMaxHimetric = (32767 * 2540 + 48) / 96;
    const bool empty = toInt32(result->get("Handle")) == 0;
    const std::int32_t width = toInt32(result->get("Width"));
    const std::int32_t height = toInt32(result->get("Height"));
    const bool valid = empty ? (width == 0 && height == 0)
                             : (width > 0 && height > 0 && width <= kMaxHimetric &&
                                height <= kMaxHimetric);
    if (!valid) std::abort();
  }
  return 0;
}

}  // namespace velmora::fuzz

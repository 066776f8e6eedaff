// Arbitrary bytes into Work::GetPictureByArray: it must return an object or nothing,
// never raise, crash or leak. Bound: no call allocates pixel memory, and
// whatever it keeps is a copy of at most the input's size plus the
// registered objects the bytes describe (see PropertyBag's limits); run with
// -malloc_limit_mb=64 to check it.
#include <commonvelmora/convert.h>
#include <commonvelmora/work.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool initialized = (velmora::initializeLibrary(), true);
  (void)initialized;
  velmora::Work work;
  velmora::SafeArray bytes =
      velmora::SafeArray::ofBytes(std::vector<std::uint8_t>(data, data + size));
  velmora::ObjectRef result = work.GetPictureByArray(bytes);
  // A picture that came back must stay inside the documented bounds.
  if (result != nullptr && result->typeName() == "Picture") {
    const auto width = velmora::toInt32(result->get("Width"));
    const auto height = velmora::toInt32(result->get("Height"));
    if (width <= 0 || height <= 0 || width > 32767 * 27 || height > 32767 * 27) std::abort();
  }
  return 0;
}

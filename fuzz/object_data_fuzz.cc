// Arbitrary bytes into Work::GetDataObject (see conversion_fuzz.h).
#include "conversion_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return velmora::fuzz::convertBytes(&velmora::Work::GetDataObject, data, size);
}

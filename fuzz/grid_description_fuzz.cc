// Grid descriptions are files users write: the loader must reject what is
// malformed with an automation error and never crash, and whatever it
// accepts must describe itself into a text that loads to the same layout.
#include <commonvelmora/error.h>
#include <commonvelmora/reference_grid.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string described;
  try {
    described = velmora::describeGrid(*velmora::loadGridDescription(text));
  } catch (const velmora::AutomationError&) {
    return 0;
  }
  try {
    if (velmora::describeGrid(*velmora::loadGridDescription(described)) != described) std::abort();
  } catch (const velmora::AutomationError&) {
    std::abort();
  }
  return 0;
}

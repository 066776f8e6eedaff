// Text typed by users reaches the number and date readers (registry values,
// property values, log dates) and the pattern renderers. None of them may
// crash or hang on any input; a refusal is an AutomationError.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  const std::string text(reinterpret_cast<const char*>(data), size);
  double d = 0;
  if (parseNumber(text, d)) {
    try {
      (void)toText(Variant(d));
      (void)hexText(Variant(d));
    } catch (const AutomationError&) {
    }
  }
  try {
    const Date date = toDate(Variant(text));
    (void)dateToText(date);
  } catch (const AutomationError&) {
  }
  try {
    (void)formatDate(Date{45358.5}, text);
  } catch (const AutomationError&) {
  }
  return 0;
}

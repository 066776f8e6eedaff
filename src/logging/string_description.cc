// Filling numbered placeholders in message templates.
//
// "%" and a decimal index mark a placeholder; there is no escape for a
// literal "%". Each step replaces only the first occurrence of its
// placeholder and searches the text the step before produced, so the text
// inserted for %0 is itself searched for %1, and "%1" may match the start of
// an earlier "%10". Clients depend on exactly this, odd cases included.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <charconv>
#include <cstdint>
#include <string>

#include "logging/log_options.h"

namespace velmora::logging {

namespace {

// Replaces the first occurrence of `placeholder` in `text` with `value`.
void replaceFirst(std::string& text, std::string_view placeholder, std::string_view value) {
  const std::size_t at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, placeholder.size(), value);
}

// The last index to fill: the upper bound of the first dimension, which must
// fit the 16-bit counter that walks the elements.
std::int32_t lastIndex(const SafeArray& array) {
  const std::int32_t upper = array.ubound(1);
  if (upper > INT16_MAX || upper < INT16_MIN) throw AutomationError(err::kOverflow);
  return upper;
}

}  // namespace

std::string GetStringDescription(std::string_view template_, const Variant& arguments) {
  std::string text(template_);
  if (arguments.isMissing()) return text;
  const std::int32_t last = arguments.isArray() ? lastIndex(arguments.array()) : -1;
  if (last < 0) {
    // A single value; an array without elements gets here too, and its text
    // is a type mismatch.
    if (arguments.isArray()) throw AutomationError(err::kTypeMismatch);
    replaceFirst(text, "%0", toText(arguments));
    return text;
  }
  const SafeArray& array = arguments.array();
  char placeholder[8] = {'%'};
  for (std::int32_t i = 0; i <= last; ++i) {
    const char* end = std::to_chars(placeholder + 1, placeholder + sizeof placeholder, i).ptr;
    replaceFirst(text, std::string_view(placeholder, static_cast<std::size_t>(end - placeholder)),
                 toText(array.get({i})));
  }
  return text;
}

}  // namespace velmora::logging

// Folding with utf8proc: full Unicode case folding after canonical
// composition, so that "ПРИВЕТ" and "привет" are one key, and so are a
// precomposed "é" and "e" followed by a combining acute. Full folding also
// maps "ß" (and the capital "ẞ") to "ss": "Straße" and "STRASSE" are one key,
// which is what a user typing either spelling expects.
#include <utf8proc.h>

#include <cstdlib>
#include <memory>

#include "core/unicode_fold_engine.h"

namespace velmora::detail {
namespace {

struct FreeDeleter {
  void operator()(utf8proc_uint8_t* p) const { std::free(p); }
};

}  // namespace

std::optional<std::string> foldUnicodeText(std::string_view text) {
  utf8proc_uint8_t* raw = nullptr;
  const utf8proc_ssize_t n = utf8proc_map(
      reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
      static_cast<utf8proc_ssize_t>(text.size()), &raw,
      static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD));
  std::unique_ptr<utf8proc_uint8_t, FreeDeleter> owned(raw);
  if (n < 0) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(raw), static_cast<std::size_t>(n));
}

}  // namespace velmora::detail

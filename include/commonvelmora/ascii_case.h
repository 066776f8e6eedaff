// Letter case of ASCII text, for the names the library compares without
// regard to case that are ASCII by definition (member names, entry names,
// designators, format letters). Bytes outside A-Z and a-z, UTF-8 included,
// compare as they are. Keys that users type go through Unicode folding
// instead (the keyed collection, the settings store).
#pragma once

#include <cstddef>
#include <string_view>

namespace velmora::detail {

constexpr char asciiLower(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

constexpr bool startsWithIgnoringAsciiCase(std::string_view text,
                                           std::string_view prefix) noexcept {
  return text.size() >= prefix.size() &&
         equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) noexcept {
  return text.size() >= suffix.size() &&
         equalsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace velmora::detail

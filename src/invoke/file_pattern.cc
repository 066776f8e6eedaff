// The wildcard rule of the file utilities, on one name.
#include <cstddef>
#include <string_view>

#include "invoke/extended_procedures.h"

namespace velmora::invoke {
namespace {

// Length of the UTF-8 sequence that starts at `at`: a lead byte and the
// continuation bytes after it, so that `?` stands for one character.
std::size_t characterLength(std::string_view text, std::size_t at) {
  std::size_t end = at + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return end - at;
}

// `*` and `?` without the ".*" rule. Greedy with one backtrack point: on a
// mismatch the last `*` takes one more character. Linear in practice and at
// most name length times pattern length.
bool matchesPlain(std::string_view name, std::string_view pattern) {
  std::size_t n = 0, p = 0;
  std::size_t starAt = std::string_view::npos, resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      n += characterLength(name, n);
      ++p;
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++n;
      ++p;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      resumeAt += characterLength(name, resumeAt);
      n = resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool matchesFilePattern(std::string_view name, std::string_view pattern) noexcept {
  if (matchesPlain(name, pattern)) return true;
  // "report.*" also names "report", and "*.*" every file, as users of
  // wildcards have long been used to.
  return pattern.ends_with(".*") && matchesPlain(name, pattern.substr(0, pattern.size() - 2));
}

}  // namespace velmora::invoke

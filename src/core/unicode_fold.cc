// Keys and names are folded with Unicode case folding after canonical
// composition (see unicode_fold_engine.h for where the tables come from);
// plain ASCII, nearly every key, never reaches the tables.
#include "core/unicode_fold.h"

#include <commonvelmora/ascii_case.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "core/unicode_fold_engine.h"

namespace velmora {
namespace {

std::string asciiFold(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = detail::asciiLower(c);
  return out;
}

}  // namespace

// Eight bytes at a time (keys are short, so a byte-serial hash would dominate
// a look-up), with a final mix so that the low bits a power-of-two table uses
// depend on every byte.
std::size_t hashBytes(std::string_view text) {
  constexpr std::uint64_t kMul = 0xbf58476d1ce4e5b9ull;
  std::uint64_t h = 0x9e3779b97f4a7c15ull ^ text.size();
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    h = (h ^ word) * kMul;
    h ^= h >> 31;
  }
  if (i < text.size()) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, text.size() - i);
    h = (h ^ word) * kMul;
    h ^= h >> 31;
  }
  h *= 0x94d049bb133111ebull;
  h ^= h >> 29;
  return static_cast<std::size_t>(h);
}

bool isAsciiText(std::string_view text) {
  // Eight bytes at a time: names are checked on every look-up.
  std::uint64_t seen = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    seen |= word;
  }
  for (; i < text.size(); ++i) seen |= static_cast<unsigned char>(text[i]);
  return (seen & 0x8080808080808080ull) == 0;
}

std::string foldCase(std::string_view text) {
  if (isAsciiText(text)) return asciiFold(text);
  // Invalid UTF-8 (or any other failure) keeps the bytes, folding only ASCII
  // letters: such a key still works, it just compares more strictly.
  if (std::optional<std::string> folded = detail::foldUnicodeText(text)) return std::move(*folded);
  return asciiFold(text);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (isAsciiText(a) && isAsciiText(b)) return detail::equalsIgnoringAsciiCase(a, b);
  return foldCase(a) == foldCase(b);
}

FoldedKey::FoldedKey(std::string_view text) {
  // One pass lowers the letters into the buffer and finds out whether the
  // text is ASCII at all; the buffer is simply discarded when it is not.
  bool ascii = true;
  if (text.size() <= inline_.size()) {
    unsigned char seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      seen |= static_cast<unsigned char>(c);
      inline_[i] = detail::asciiLower(c);
    }
    ascii = seen < 0x80;
    if (ascii) view_ = std::string_view(inline_.data(), text.size());
  } else {
    ascii = false;
  }
  if (!ascii) {
    heap_ = foldCase(text);
    view_ = heap_;
  }
  hash_ = hashBytes(view_);
}

bool FoldedKey::matchesAscii(std::string_view original) const {
  if (original.size() != view_.size()) return false;
  for (std::size_t i = 0; i < original.size(); ++i) {
    if (detail::asciiLower(original[i]) != view_[i]) return false;
  }
  return true;
}

bool FoldedKey::matches(std::string_view original) const {
  if (isAsciiText(original)) return matchesAscii(original);
  return foldCase(original) == view_;
}

}  // namespace velmora

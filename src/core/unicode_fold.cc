// Keys and names are folded with Unicode case folding after canonical
// composition (see unicode_fold_engine.h for where the tables come from);
// plain ASCII, nearly every key, never reaches the tables.
#include "core/unicode_fold.h"

#include <commonvelmora/ascii_case.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "core/text_words.h"
#include "core/unicode_fold_engine.h"

namespace velmora {
namespace {

std::string asciiFold(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = detail::asciiLower(c);
  return out;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// The eight bytes of `word` with A-Z lowered, without a branch per byte. Exact
// only when no byte has its high bit set; the callers check that from the
// same words and take the slow path otherwise.
constexpr std::uint64_t lowerAsciiWord(std::uint64_t word) noexcept {
  const std::uint64_t atLeastA = word + 0x3f3f3f3f3f3f3f3full;  // high bit: byte >= 'A'
  const std::uint64_t aboveZ = word + 0x2525252525252525ull;    // high bit: byte > 'Z'
  return word | (((atLeastA ^ aboveZ) & kHighBits) >> 2);
}

// The byte hash in three steps, so that a FoldedKey hashes the words it has
// just lowered instead of reading them again.
constexpr std::uint64_t hashStart(std::size_t size) noexcept {
  return 0x9e3779b97f4a7c15ull ^ size;
}
constexpr std::uint64_t hashStep(std::uint64_t h, std::uint64_t word) noexcept {
  h = (h ^ word) * 0xbf58476d1ce4e5b9ull;
  return h ^ (h >> 31);
}
constexpr std::size_t hashEnd(std::uint64_t h) noexcept {
  h *= 0x94d049bb133111ebull;
  return static_cast<std::size_t>(h ^ (h >> 29));
}

// The last, partial word of `text` from byte `at`, zero-filled.
std::uint64_t tailWord(std::string_view text, std::size_t at) noexcept {
  return detail::partialWord(text.data() + at, text.size() - at);
}

std::uint64_t wordAt(std::string_view text, std::size_t at) noexcept {
  return detail::wordAt(text.data() + at);
}

}  // namespace

// Eight bytes at a time (keys are short, so a byte-serial hash would dominate
// a look-up), with a final mix so that the low bits a power-of-two table uses
// depend on every byte.
std::size_t hashBytes(std::string_view text) {
  std::uint64_t h = hashStart(text.size());
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) h = hashStep(h, wordAt(text, i));
  if (i < text.size()) h = hashStep(h, tailWord(text, i));
  return hashEnd(h);
}

bool isAsciiText(std::string_view text) {
  // Eight bytes at a time: names are checked on every look-up.
  std::uint64_t seen = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) seen |= wordAt(text, i);
  if (i < text.size()) seen |= tailWord(text, i);
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
  // One pass of whole words lowers the letters into the buffer, hashes them
  // and finds out whether the text is ASCII at all; the buffer is simply
  // discarded when it is not. The buffer is a whole number of words.
  const std::size_t n = text.size();
  if (n <= inline_.size()) {
    std::uint64_t seen = 0;
    std::uint64_t h = hashStart(n);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      const std::uint64_t word = wordAt(text, i);
      seen |= word;
      const std::uint64_t lower = lowerAsciiWord(word);
      std::memcpy(inline_.data() + i, &lower, 8);
      h = hashStep(h, lower);
    }
    if (i < n) {
      const std::uint64_t word = tailWord(text, i);
      seen |= word;
      const std::uint64_t lower = lowerAsciiWord(word);
      // A whole word: the buffer has room for it, and the bytes past the
      // end are never read as part of the key.
      std::memcpy(inline_.data() + i, &lower, 8);
      h = hashStep(h, lower);
    }
    if ((seen & kHighBits) == 0) {
      view_ = std::string_view(inline_.data(), n);
      hash_ = hashEnd(h);
      return;
    }
  }
  heap_ = foldCase(text);
  view_ = heap_;
  hash_ = hashBytes(view_);
}

// Word by word: the folded key and an ASCII original agree exactly when
// every lowered word of the original equals the key's word.
bool FoldedKey::matchesAscii(std::string_view original) const {
  const std::size_t n = original.size();
  if (n != view_.size()) return false;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    if (lowerAsciiWord(wordAt(original, i)) != wordAt(view_, i)) return false;
  }
  return i == n || lowerAsciiWord(tailWord(original, i)) == tailWord(view_, i);
}

bool FoldedKey::matches(std::string_view original) const {
  // ASCII folding keeps the length, so an ASCII original of another length
  // never matches; other text may fold to any length. One pass over an
  // original of the key's length both compares its lowered words and finds
  // out whether it was ASCII, the only case in which the comparison holds.
  const std::size_t n = original.size();
  if (n != view_.size()) {
    if (isAsciiText(original)) return false;
  } else {
    std::uint64_t seen = 0, differ = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      const std::uint64_t word = wordAt(original, i);
      seen |= word;
      differ |= lowerAsciiWord(word) ^ wordAt(view_, i);
    }
    if (i < n) {
      const std::uint64_t word = tailWord(original, i);
      seen |= word;
      differ |= lowerAsciiWord(word) ^ tailWord(view_, i);
    }
    if ((seen & kHighBits) == 0) return differ == 0;
  }
  return foldCase(original) == view_;
}

}  // namespace velmora

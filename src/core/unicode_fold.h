// Case folding for keys and names that compare "without regard to letter
// case": full Unicode folding (Cyrillic, Greek, ... included), with an
// allocation-free fast path for ASCII. Invalid UTF-8 is folded byte by byte
// for its ASCII letters and otherwise kept as it is, so no key is rejected.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

std::string foldCase(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool isAsciiText(std::string_view text);
// A fast hash of bytes as they are; a FoldedKey hashes its folded text with it.
std::size_t hashBytes(std::string_view bytes);

// A key folded once for hashing and comparing. Short ASCII keys (nearly all
// of them) fold into an inline buffer, so a look-up allocates nothing; only
// text with non-ASCII bytes goes through the full Unicode fold.
class FoldedKey {
 public:
  explicit FoldedKey(std::string_view text);
  FoldedKey(const FoldedKey&) = delete;
  FoldedKey& operator=(const FoldedKey&) = delete;

  std::string_view view() const { return view_; }
  std::size_t hash() const { return hash_; }
  // Whether `original` (unfolded) folds to this key. ASCII text is compared
  // letter by letter; other text is folded first.
  bool matches(std::string_view original) const;
  // Whether an ASCII `original` folds to this key.
  bool matchesAscii(std::string_view original) const;

 private:
  std::array<char, 64> inline_;
  std::string heap_;
  std::string_view view_;
  std::size_t hash_;
};

}  // namespace velmora

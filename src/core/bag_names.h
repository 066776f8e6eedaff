// The strings a property bag's bytes refer to by number: entry names and
// ProgIDs. A tree of a thousand objects of one class names the class, and
// each of its fields, once, and every entry and object after that is a small
// number instead of a copy of the text.
//
// Numbers are handed out in the order strings are first added, so a writer
// that adds each string just before it first writes it produces a table in
// the order of first use, which is the order the loader insists on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_codec.h"
#include "core/flat_key_index.h"

namespace velmora {

class BagNames {
 public:
  struct Name {
    std::string_view text;
    std::uint32_t foldId = 0;  // the first name that folds to the same text
  };

  std::uint32_t size() const { return static_cast<std::uint32_t>(names_.size()); }
  const Name& operator[](std::uint32_t number) const { return names_[number]; }
  // Whether two names are one when letter case is ignored.
  bool sameName(std::uint32_t a, std::uint32_t b) const {
    return names_[a].foldId == names_[b].foldId;
  }

  // Whether two texts are the same bytes; names are short, and this beats a
  // call to memcmp for them.
  static bool sameText(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size()) return false;
    if (n < 8) {
      if (n < 4) {
        for (std::size_t i = 0; i < n; ++i) {
          if (a[i] != b[i]) return false;
        }
        return true;
      }
      // The first four bytes and the last four, overlapping.
      auto half = [](std::string_view t, std::size_t at) {
        std::uint32_t w;
        std::memcpy(&w, t.data() + at, 4);
        return w;
      };
      return half(a, 0) == half(b, 0) && half(a, n - 4) == half(b, n - 4);
    }
    // Eight bytes at a time, the last word overlapping the one before.
    auto word = [](std::string_view t, std::size_t at) {
      std::uint64_t w;
      std::memcpy(&w, t.data() + at, 8);
      return w;
    };
    for (std::size_t i = 0; i + 8 < n; i += 8) {
      if (word(a, i) != word(b, i)) return false;
    }
    return word(a, n - 8) == word(b, n - 8);
  }

  // The number of `text`, added (as a copy) when it is new.
  std::uint32_t intern(std::string_view text);
  // The fold of `text` when some name folds to the same text, without adding
  // anything; kNone otherwise. Bags ask this for every name they look up,
  // so recent answers are remembered (that a text has no name, until names
  // are added).
  static constexpr std::uint32_t kNone = 0xffffffffu;
  std::uint32_t foldOf(std::string_view text);
  // Adds a name whose bytes outlive the table (loaded bytes); false when the
  // same text is there already.
  bool addView(std::string_view text);
  // The names viewing `from` view the same place in `to` instead: the bytes
  // they were added from were copied there.
  void rebase(std::span<const std::uint8_t> from, const std::uint8_t* to);

  // The table as stored: a count and each text, length first.
  void writeTo(bytes::Writer& w) const;

 private:
  std::uint32_t add(std::string_view text, std::size_t exactHash);
  const std::uint32_t* findExact(std::string_view text, std::size_t exactHash) const;

  std::vector<Name> names_;
  std::deque<std::string> owned_;       // texts added by intern(); a deque never moves them
  FlatKeyIndex<std::uint32_t> byText_;  // hash of the text as it is -> number + 1
  FlatKeyIndex<std::uint32_t> byFold_;  // folded hash -> number + 1 of each fold's first name

  // Writers pass the same few names again and again, mostly from the same
  // string constants: a match on address and length, confirmed by comparing
  // the text, skips hashing.
  struct Recent {
    const char* data = nullptr;
    std::size_t size = 0;
    std::uint32_t number = 0;
  };
  std::array<Recent, 16> recent_{};
  Recent& recentSlot(std::string_view text) {
    const auto address = reinterpret_cast<std::uintptr_t>(text.data());
    return recent_[((address >> 4) ^ (address >> 9) ^ text.size()) & (recent_.size() - 1)];
  }
  bool isRecent(const Recent& recent, std::string_view text) const {
    return recent.data == text.data() && recent.size == text.size() &&
           sameText(names_[recent.number].text, text);
  }
  struct Absent {
    std::string text;
    std::uint32_t namesThen = 0;  // size() when it was found absent
  };
  std::array<Absent, 4> absent_{};
};

}  // namespace velmora

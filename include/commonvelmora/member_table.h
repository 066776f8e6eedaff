// Declare an automation class's members once, instead of writing a string
// switch in every invoke():
//
//   const MemberTable<Counter>& table() {
//     static const auto t = MemberTable<Counter>()
//         .get("Value", 0, 0, [](Counter& c, Args) -> Variant { return c.value; })
//         .let("Value", 1, 1, [](Counter& c, Args a) -> Variant { c.value = toInt32(a[0]); return
//         {}; }) .method("Reset", 0, 0, [](Counter& c, Args) -> Variant { c.value = 0; return {};
//         });
//     return t;
//   }
//   Variant Counter::invoke(std::string_view n, CallKind k, Args a) {
//     return table().dispatch(*this, n, k, a);
//   }
//
// A class can also give member ids (see Object::memberId): memberId()
// returns idOf(name), and invokeMember() the dispatch by id, which falls back
// to the name for an id that is not the table's.
//
// Names are matched without regard to ASCII letter case and without
// allocating. A call with fewer arguments than the member's maximum is
// allowed down to its minimum: handlers see only the arguments given and use
// optionalArg() for the rest, so an omitted trailing argument reads as missing.
#pragma once

#include <commonvelmora/ascii_case.h>
#include <commonvelmora/error.h>
#include <commonvelmora/object.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Argument i, or the missing value when the caller passed fewer.
inline Variant optionalArg(Args args, std::size_t i) {
  return i < args.size() ? args[i] : Variant::missing();
}

namespace detail {

// A name's first and last eight bytes (fewer for short names), read as
// words. For a name of at most 16 bytes they hold every byte, so two such
// names of one length are equal exactly when their words are.
struct NameWords {
  std::uint64_t head = 0, tail = 0;
  bool operator==(const NameWords&) const = default;
};

inline NameWords nameWords(std::string_view name) noexcept {
  const char* p = name.data();
  const std::size_t n = name.size();
  NameWords w;
  if (n >= 8) {
    std::memcpy(&w.head, p, 8);
    std::memcpy(&w.tail, p + n - 8, 8);
  } else if (n >= 4) {
    std::uint32_t h = 0, t = 0;
    std::memcpy(&h, p, 4);
    std::memcpy(&t, p + n - 4, 4);
    w.head = h;
    w.tail = t;
  } else if (n > 0) {
    const auto byte = [p](std::size_t at) -> std::uint64_t {
      return static_cast<unsigned char>(p[at]);
    };
    w.head = byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16;
  }
  return w;
}

// A hash that agrees with the comparison that ignores ASCII letter case:
// every byte is taken with bit 0x20 set, which takes A-Z onto a-z and keeps
// equal names equal. It costs the same few instructions for every name;
// names that share length and words only cost a probe more.
inline std::uint64_t memberNameHash(const NameWords& w, std::size_t n) noexcept {
  constexpr std::uint64_t kCaseBits = 0x2020202020202020ull;
  const std::uint64_t h = ((w.head | kCaseBits) * 0x9E3779B97F4A7C15ull) ^
                          (((w.tail | kCaseBits) ^ n) * 0xC2B2AE3D27D4EB4Full);
  return h ^ (h >> 29);
}

}  // namespace detail

template <class T>
class MemberTable {
 public:
  using Handler = Variant (*)(T&, Args);

  MemberTable& method(std::string_view name, int minArgs, int maxArgs, Handler h) {
    return add(name, kMethod, minArgs, maxArgs, h);
  }
  MemberTable& get(std::string_view name, int minArgs, int maxArgs, Handler h) {
    return add(name, kGet, minArgs, maxArgs, h);
  }
  // For let/set the counts include the assigned value (the last argument).
  MemberTable& let(std::string_view name, int minArgs, int maxArgs, Handler h) {
    return add(name, kLet, minArgs, maxArgs, h);
  }
  MemberTable& set(std::string_view name, int minArgs, int maxArgs, Handler h) {
    return add(name, kSet, minArgs, maxArgs, h);
  }

  Variant dispatch(T& self, std::string_view name, CallKind kind, Args args) const {
    const Entry* e = find(name);
    if (e == nullptr) throw AutomationError(err::kNoSuchMember);
    return call(*e, self, kind, args);
  }

  // The member ids of Object::memberId(): a member's place in this table,
  // the same for every object of the class. kNoMemberId for no such member.
  MemberId idOf(std::string_view name) const noexcept {
    const Entry* e = find(name);
    return e != nullptr ? static_cast<MemberId>(e - entries_.data()) : kNoMemberId;
  }
  // Object::invokeMember(): by the id when it is one of this table's, by
  // the name otherwise.
  Variant dispatch(T& self, MemberId id, std::string_view name, CallKind kind, Args args) const {
    const auto at = static_cast<std::size_t>(id);  // kNoMemberId is past every table
    if (at < entries_.size() && entries_[at].used) [[likely]] {
      return call(entries_[at], self, kind, args);
    }
    return byName(self, name, kind, args);
  }

 private:
  static constexpr std::size_t kMethod = 0, kGet = 1, kLet = 2, kSet = 3;
  struct Slot {
    Handler fn = nullptr;
    int minArgs = 0;
    int maxArgs = 0;
  };
  struct Entry {
    bool used = false;
    std::string name;
    detail::NameWords words;
    std::array<Slot, 4> slots;
  };

  static_assert(1u << kMethod == static_cast<unsigned>(CallKind::Method) &&
                1u << kGet == static_cast<unsigned>(CallKind::Get) &&
                1u << kLet == static_cast<unsigned>(CallKind::Let) &&
                1u << kSet == static_cast<unsigned>(CallKind::Set));

  // A call of one kind, nearly every call, goes straight to its slot; the
  // rest, and every failure, are out of line, so that the call by id keeps
  // few registers to save. (A bit test, not std::has_single_bit: without a
  // popcount instruction in the target that is a library call.)
  Variant call(const Entry& e, T& self, CallKind kind, Args args) const {
    const auto bits = static_cast<unsigned>(kind);
    if (bits != 0 && (bits & (bits - 1)) == 0 && bits <= static_cast<unsigned>(CallKind::Set)) {
      const Slot& s = e.slots[static_cast<std::size_t>(std::countr_zero(bits))];
      const auto n = static_cast<int>(args.size());
      if (s.fn != nullptr && n >= s.minArgs && n <= s.maxArgs) [[likely]] {
        return s.fn(self, args);
      }
    }
    return callSlow(e, self, kind, args);
  }

  [[gnu::noinline]] static Variant callSlow(const Entry& e, T& self, CallKind kind, Args args) {
    // Method before property read, as the runtime resolves Method | Get.
    const auto bits = static_cast<unsigned>(kind);
    for (std::size_t slot = 0; slot < 4; ++slot) {
      const Slot& s = e.slots[slot];
      if ((bits >> slot & 1u) == 0 || s.fn == nullptr) continue;
      const auto n = static_cast<int>(args.size());
      if (n < s.minArgs || n > s.maxArgs) throw AutomationError(err::kWrongArgCount);
      return s.fn(self, args);
    }
    throw AutomationError(err::kNoSuchMember);
  }

  [[gnu::noinline]] Variant byName(T& self, std::string_view name, CallKind kind, Args args) const {
    return dispatch(self, name, kind, args);
  }

  // The members sit in an open-addressed table of a power-of-two size at
  // most half full, so that a look-up is one cheap hash, a mask and usually
  // one comparison, with no index to go through first: every call by name
  // passes through here.
  const Entry* find(std::string_view name) const noexcept {
    if (entries_.empty()) return nullptr;
    const std::size_t n = name.size();
    const detail::NameWords words = detail::nameWords(name);
    for (std::size_t i = detail::memberNameHash(words, n) & mask_;; i = (i + 1) & mask_) {
      const Entry& e = entries_[i];
      if (!e.used) return nullptr;
      // Callers nearly always spell a name as it was declared: that case
      // is settled by the words alone.
      if (e.name.size() == n &&
          ((n <= 16 && e.words == words) || detail::equalsIgnoringAsciiCase(e.name, name))) {
        return &e;
      }
    }
  }

  MemberTable& add(std::string_view name, std::size_t slot, int minArgs, int maxArgs, Handler h) {
    const Entry* found = find(name);
    if (found == nullptr) {
      if (2 * (count_ + 1) > entries_.size()) grow();
      found = &place(Entry{true, std::string(name), detail::nameWords(name), {}});
      ++count_;
    }
    entries_[static_cast<std::size_t>(found - entries_.data())].slots[slot] =
        Slot{h, minArgs, maxArgs};
    return *this;
  }

  Entry& place(Entry e) {
    std::size_t i = detail::memberNameHash(e.words, e.name.size()) & mask_;
    while (entries_[i].used) i = (i + 1) & mask_;
    return entries_[i] = std::move(e);
  }

  void grow() {
    std::vector<Entry> old(entries_.empty() ? 8 : 2 * entries_.size());
    old.swap(entries_);
    mask_ = entries_.size() - 1;
    for (Entry& e : old) {
      if (e.used) place(std::move(e));
    }
  }

  std::vector<Entry> entries_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

}  // namespace velmora

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
// Names are matched without regard to ASCII letter case and without
// allocating. A call with fewer arguments than the member's maximum is
// allowed down to its minimum: handlers see only the arguments given and use
// optionalArg() for the rest, so an omitted trailing argument reads as missing.
#pragma once

#include <commonvelmora/ascii_case.h>
#include <commonvelmora/error.h>
#include <commonvelmora/object.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace velmora {

// Argument i, or the missing value when the caller passed fewer.
inline Variant optionalArg(Args args, std::size_t i) {
  return i < args.size() ? args[i] : Variant::missing();
}

namespace detail {
struct AsciiNoCaseHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept {
    std::size_t h = 1469598103934665603ull;
    for (char ch : s) h = (h ^ static_cast<unsigned char>(asciiLower(ch))) * 1099511628211ull;
    return h;
  }
};
struct AsciiNoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    return equalsIgnoringAsciiCase(a, b);
  }
};
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
    auto it = members_.find(name);
    if (it == members_.end()) throw AutomationError(err::kNoSuchMember);
    const Entry& e = it->second;
    // Method before property read, as the runtime resolves Method | Get.
    static constexpr std::array<std::pair<CallKind, std::size_t>, 4> order{
        {{CallKind::Method, kMethod},
         {CallKind::Get, kGet},
         {CallKind::Let, kLet},
         {CallKind::Set, kSet}}};
    for (auto [k, slot] : order) {
      if (!hasKind(kind, k) || e.slots[slot].fn == nullptr) continue;
      const Slot& s = e.slots[slot];
      const int n = static_cast<int>(args.size());
      if (n < s.minArgs || n > s.maxArgs) throw AutomationError(err::kWrongArgCount);
      return s.fn(self, args);
    }
    throw AutomationError(err::kNoSuchMember);
  }

 private:
  static constexpr std::size_t kMethod = 0, kGet = 1, kLet = 2, kSet = 3;
  struct Slot {
    Handler fn = nullptr;
    int minArgs = 0;
    int maxArgs = 0;
  };
  struct Entry {
    std::array<Slot, 4> slots;
  };

  MemberTable& add(std::string_view name, std::size_t slot, int minArgs, int maxArgs, Handler h) {
    auto it = members_.find(name);
    if (it == members_.end()) it = members_.emplace(std::string(name), Entry{}).first;
    it->second.slots[slot] = Slot{h, minArgs, maxArgs};
    return *this;
  }

  std::unordered_map<std::string, Entry, detail::AsciiNoCaseHash, detail::AsciiNoCaseEqual>
      members_;
};

}  // namespace velmora

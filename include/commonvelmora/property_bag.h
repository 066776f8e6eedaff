// A store of named entries, each a variant, that can be turned into bytes and
// back: how persistable objects save themselves.
//
// Writing takes a default and stores nothing when the value equals it (so a
// reader given the same default gets the value back). Reading takes a default
// and returns it when the entry is absent; without one an absent entry raises
// 327. An object written as a value writes itself into a nested bag under its
// ProgID and is re-created through the ClassRegistry and asked to read itself
// when read back. Names compare without regard to letter case.
//
// Bytes from outside are untrusted: setContents() validates everything
// (versioned header, every length checked against what remains, counts
// bounded by the input's size, nesting depth at most kMaxDepth) and raises
// AutomationError 321 ("Invalid file format") instead of crashing or
// allocating without bound.
//
// A bag, the bags it lends to the objects written into or read from it, and
// any of those an object keeps share their state: like the objects that use
// them, they belong to one thread at a time.
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/object.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class VELMORA_EXPORT PropertyBag {
 public:
  // Nested objects (and nested arrays) deeper than this cannot be written or
  // loaded: writing raises 28 (Out of stack space), loading raises 321.
  static constexpr int kMaxDepth = 512;

  PropertyBag();
  ~PropertyBag();
  PropertyBag(const PropertyBag&) = delete;
  PropertyBag& operator=(const PropertyBag&) = delete;
  PropertyBag(PropertyBag&&) noexcept;
  PropertyBag& operator=(PropertyBag&&) noexcept;

  void writeProperty(std::string_view name, const Variant& value,
                     const Variant& defaultValue = Variant::missing());
  Variant readProperty(std::string_view name,
                       const Variant& defaultValue = Variant::missing()) const;
  bool contains(std::string_view name) const;
  std::size_t size() const;  // number of stored entries
  // The stored entries' names in the order they were first written.
  std::vector<std::string> names() const;

  std::vector<std::uint8_t> contents() const;
  void setContents(std::span<const std::uint8_t> bytes);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora

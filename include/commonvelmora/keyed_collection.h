// An ordered collection of variants with optional text keys, the runtime's
// Collection: 1-based positions, keys compared by Unicode case folding
// ("Привет" and "ПРИВЕТ" are one key), insertion before or after a position,
// removal, count and for-each. Key look-up is a hash look-up, not a scan.
//
// Errors, as the runtime raises them: a duplicate key 457, a key that is not
// there 5, a position out of range 9.
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/object.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class VELMORA_EXPORT KeyedCollection : public Object {
 public:
  KeyedCollection();
  ~KeyedCollection() override;

  std::int32_t count() const;

  // Appends `item` (or inserts it before/after the item that `before`/`after`
  // selects, by position or key; pass a missing Variant for neither).
  void add(Variant item, std::optional<std::string_view> key = std::nullopt,
           const Variant& before = Variant::missing(), const Variant& after = Variant::missing());

  // Item by 1-based position (a number) or by key (text).
  const Variant& item(const Variant& index) const;
  const Variant& at(std::int32_t position) const;  // 1-based
  // Key of the item at a position ("" when it was added without one).
  const std::string& keyAt(std::int32_t position) const;
  // Position of the item with this key, or 0 when none (no error).
  std::int32_t find(std::string_view key) const;
  bool containsKey(std::string_view key) const { return find(key) != 0; }

  void remove(const Variant& index);
  void clear();

  // Object: Add, Item (default), Remove, Count; for-each. The enumerator walks
  // the live collection (removing the item it just returned is safe) and keeps
  // a shared_ptr-owned collection alive; one owned otherwise must outlive it.
  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  std::string typeName() const override { return "Collection"; }
  std::unique_ptr<Enumerator> newEnum() override;

 private:
  friend class KZProperties;  // sizes its collections up front when cloning and restoring

  std::int32_t positionOf(const Variant& index) const;  // raises 5 or 9
  // Room for `n` items in all, so adding them does not regrow the storage.
  void reserve(std::size_t n);
  // Appends `item` under the key of `source`'s item at `position` (which has
  // a key), reusing its folded form instead of folding it again: copying a
  // collection. Raises 457 when the key is taken.
  void appendWithKeyOf(const KeyedCollection& source, std::int32_t position, Variant item);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora

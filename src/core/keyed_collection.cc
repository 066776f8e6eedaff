// Items live in a vector of shared entries (the position order); keys live in
// a flat hash index from the folded key's hash to the entry, so a key look-up
// costs one fold (into a stack buffer for short ASCII keys) and one probe.
// Each entry knows its own index, renumbered when an insertion or removal
// shifts it, so finding a key's position is O(1) too.
//
// Decisions where the runtime leaves room:
// - A key must be text; any other kind raises 13. The empty text is a key like
//   any other.
// - An index that is a number (integers, byte, single, double, currency,
//   boolean) is a position, rounded half to even; text is a key; Null raises
//   94 and any other kind 13.
// - For-each walks the live collection: removing the item just returned is
//   safe and the walk goes on with the one that followed it.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/keyed_collection.h>
#include <commonvelmora/member_table.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/flat_key_index.h"
#include "core/unicode_fold.h"

namespace velmora {
namespace {

struct Entry {
  Variant item;
  std::string key;     // as given; "" when the item has no key
  std::string folded;  // the folded key, kept only when the key is not ASCII
  std::size_t hash = 0;
  bool hasKey = false;
  bool asciiKey = false;  // an ASCII key is folded on the fly when compared
  bool removed = false;
  std::size_t index = 0;  // position - 1 while in the collection

  bool matches(const FoldedKey& probe) const {
    return asciiKey ? probe.matchesAscii(key) : folded == probe.view();
  }
};

const std::string kNoKey;

}  // namespace

struct KeyedCollection::Impl {
  std::vector<std::shared_ptr<Entry>> entries;
  FlatKeyIndex<Entry*> byKey;

  void renumberFrom(std::size_t first) {
    for (std::size_t i = first; i < entries.size(); ++i) entries[i]->index = i;
  }
  const Entry* findKey(const FoldedKey& key) const {
    const auto* found = byKey.find(key.hash(), [&](const Entry* e) { return e->matches(key); });
    return found == nullptr ? nullptr : *found;
  }
  const Entry* findKey(std::string_view key) const {
    if (byKey.size() == 0) return nullptr;
    return findKey(FoldedKey(key));
  }
};

KeyedCollection::KeyedCollection() : impl_(std::make_unique<Impl>()) {}
KeyedCollection::~KeyedCollection() = default;

void KeyedCollection::reserve(std::size_t n) {
  impl_->entries.reserve(n);
  impl_->byKey.reserve(n);
}

void KeyedCollection::appendWithKeyOf(const KeyedCollection& source, std::int32_t position,
                                      Variant item) {
  const Entry& from = *source.impl_->entries.at(static_cast<std::size_t>(position) - 1);
  // Keys rarely share a hash, so the probe key is only folded on a match.
  const auto* taken =
      impl_->byKey.find(from.hash, [&](const Entry* e) { return e->matches(FoldedKey(from.key)); });
  if (taken != nullptr) throw AutomationError(err::kDuplicateKey);
  auto entry = std::make_shared<Entry>();
  entry->item = std::move(item);
  entry->key = from.key;
  entry->folded = from.folded;
  entry->hash = from.hash;
  entry->asciiKey = from.asciiKey;
  entry->hasKey = true;
  entry->index = impl_->entries.size();
  Entry* raw = entry.get();
  impl_->entries.push_back(std::move(entry));
  try {
    impl_->byKey.insert(raw->hash, raw);
  } catch (...) {
    impl_->entries.pop_back();
    throw;
  }
}

std::int32_t KeyedCollection::count() const {
  return static_cast<std::int32_t>(impl_->entries.size());
}

std::int32_t KeyedCollection::positionOf(const Variant& index) const {
  if (const auto* key = index.getIf<std::string>()) {
    const Entry* e = impl_->findKey(*key);
    if (e == nullptr) throw AutomationError(err::kInvalidCall);
    return static_cast<std::int32_t>(e->index + 1);
  }
  switch (index.type()) {
    case VarType::Int16:
    case VarType::Int32:
    case VarType::Byte:
    case VarType::Bool:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency: {
      const double p = roundHalfEven(toDouble(index));
      if (!(p >= 1 && p <= static_cast<double>(count()))) {
        throw AutomationError(err::kSubscriptOutOfRange);
      }
      return static_cast<std::int32_t>(p);
    }
    case VarType::Null:
      throw AutomationError(err::kInvalidUseOfNull);
    default:
      throw AutomationError(err::kTypeMismatch);
  }
}

void KeyedCollection::add(Variant item, std::optional<std::string_view> key, const Variant& before,
                          const Variant& after) {
  const bool hasBefore = !before.isMissing();
  const bool hasAfter = !after.isMissing();
  if (hasBefore && hasAfter) throw AutomationError(err::kInvalidCall);
  if (impl_->entries.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw AutomationError(err::kOutOfMemory);
  }

  auto entry = std::make_shared<Entry>();
  if (key) {
    const FoldedKey folded(*key);
    if (impl_->findKey(folded) != nullptr) throw AutomationError(err::kDuplicateKey);
    entry->key = std::string(*key);
    entry->asciiKey = isAsciiText(*key);
    if (!entry->asciiKey) entry->folded = std::string(folded.view());
    entry->hash = folded.hash();
    entry->hasKey = true;
  }

  // Resolve the place before changing anything, so a bad position leaves the
  // collection as it was.
  std::size_t at = impl_->entries.size();
  if (hasBefore) at = static_cast<std::size_t>(positionOf(before)) - 1;
  if (hasAfter) at = static_cast<std::size_t>(positionOf(after));

  entry->item = std::move(item);
  Entry* raw = entry.get();
  impl_->entries.insert(impl_->entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
  impl_->renumberFrom(at);
  if (raw->hasKey) {
    try {
      impl_->byKey.insert(raw->hash, raw);
    } catch (...) {
      impl_->entries.erase(impl_->entries.begin() + static_cast<std::ptrdiff_t>(at));
      impl_->renumberFrom(at);
      throw;
    }
  }
}

const Variant& KeyedCollection::item(const Variant& index) const {
  return impl_->entries[static_cast<std::size_t>(positionOf(index)) - 1]->item;
}

const Variant& KeyedCollection::at(std::int32_t position) const {
  if (position < 1 || position > count()) throw AutomationError(err::kSubscriptOutOfRange);
  return impl_->entries[static_cast<std::size_t>(position) - 1]->item;
}

const std::string& KeyedCollection::keyAt(std::int32_t position) const {
  if (position < 1 || position > count()) throw AutomationError(err::kSubscriptOutOfRange);
  const Entry& e = *impl_->entries[static_cast<std::size_t>(position) - 1];
  return e.hasKey ? e.key : kNoKey;
}

std::int32_t KeyedCollection::find(std::string_view key) const {
  const Entry* e = impl_->findKey(key);
  return e == nullptr ? 0 : static_cast<std::int32_t>(e->index + 1);
}

void KeyedCollection::remove(const Variant& index) {
  const auto at = static_cast<std::size_t>(positionOf(index)) - 1;
  std::shared_ptr<Entry> entry = impl_->entries[at];
  if (entry->hasKey) impl_->byKey.erase(entry->hash, entry.get());
  impl_->entries.erase(impl_->entries.begin() + static_cast<std::ptrdiff_t>(at));
  impl_->renumberFrom(at);
  // The entry's index now names the position of the item that followed it,
  // which is where an enumerator standing on this entry continues.
  entry->removed = true;
  entry->index = at;
}

void KeyedCollection::clear() {
  for (auto& e : impl_->entries) {
    e->removed = true;
    e->index = 0;
  }
  impl_->byKey.clear();
  impl_->entries.clear();
}

namespace {

// Walks the live collection; keeps the collection alive when it is shared.
class CollectionEnumerator : public Enumerator {
 public:
  CollectionEnumerator(std::shared_ptr<const Object> keepAlive,
                       const std::vector<std::shared_ptr<Entry>>& entries)
      : keepAlive_(std::move(keepAlive)), entries_(entries) {}

  bool next(Variant& out) override {
    std::size_t pos = 0;
    if (last_) pos = last_->removed ? last_->index : last_->index + 1;
    if (pos >= entries_.size()) return false;
    last_ = entries_[pos];
    out = last_->item;
    return true;
  }

 private:
  std::shared_ptr<const Object> keepAlive_;
  const std::vector<std::shared_ptr<Entry>>& entries_;
  std::shared_ptr<Entry> last_;  // the entry returned last, null before the first
};

Variant optionalKeyOf(const Variant& key) {
  if (key.isMissing() || key.isText()) return key;
  throw AutomationError(err::kTypeMismatch);
}

const MemberTable<KeyedCollection>& collectionMembers() {
  static const auto table =
      MemberTable<KeyedCollection>()
          .method("Add", 1, 4,
                  [](KeyedCollection& c, Args a) -> Variant {
                    const Variant key = optionalKeyOf(optionalArg(a, 1));
                    std::optional<std::string_view> k;
                    if (key.isText()) k = key.text();
                    c.add(a[0], k, optionalArg(a, 2), optionalArg(a, 3));
                    return {};
                  })
          .method("Item", 1, 1, [](KeyedCollection& c, Args a) -> Variant { return c.item(a[0]); })
          .get("Item", 1, 1, [](KeyedCollection& c, Args a) -> Variant { return c.item(a[0]); })
          .method("", 1, 1, [](KeyedCollection& c, Args a) -> Variant { return c.item(a[0]); })
          .get("", 1, 1, [](KeyedCollection& c, Args a) -> Variant { return c.item(a[0]); })
          .method("Remove", 1, 1,
                  [](KeyedCollection& c, Args a) -> Variant {
                    c.remove(a[0]);
                    return {};
                  })
          .get("Count", 0, 0, [](KeyedCollection& c, Args) -> Variant { return c.count(); })
          .method("Count", 0, 0, [](KeyedCollection& c, Args) -> Variant { return c.count(); });
  return table;
}

}  // namespace

Variant KeyedCollection::invoke(std::string_view name, CallKind kind, Args args) {
  return collectionMembers().dispatch(*this, name, kind, args);
}

std::unique_ptr<Enumerator> KeyedCollection::newEnum() {
  return std::make_unique<CollectionEnumerator>(weak_from_this().lock(), impl_->entries);
}

}  // namespace velmora

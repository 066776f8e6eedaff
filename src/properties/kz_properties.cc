#include <commonvelmora/ascii_case.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/property_bag.h>

#include <algorithm>
#include <array>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/ignore_errors.h"
#include "core/unicode_fold.h"
#include "properties/tree_helpers.h"

namespace velmora {

namespace {

std::string_view delimeterArg(Args a, std::size_t i, std::string& storage) {
  if (!supplied(a, i)) return KZProperties::kDefaultDelimeter;
  storage = toText(a[i]);
  return storage;
}

const MemberTable<KZProperties>& memberTable() {
  static const auto table = [] {
    MemberTable<KZProperties> t;
    t.get("NewItem", 0, 0, [](KZProperties& c, Args) -> Variant { return c.NewItem(); })
        .get("LastRemovedName", 0, 0,
             [](KZProperties& c, Args) -> Variant { return c.LastRemovedName(); })
        .get("Count", 0, 0, [](KZProperties& c, Args) -> Variant { return c.Count(); })
        .get("Properties", 1, 1,
             [](KZProperties& c, Args a) -> Variant { return c.Properties(a[0]); })
        .method("Add", 1, 3,
                [](KZProperties& c, Args a) -> Variant {
                  const bool readOnly = supplied(a, 2) ? toBool(a[2]) : false;
                  return c.Add(toText(a[0]), optionalArg(a, 1), readOnly);
                })
        .method("Remove", 1, 1, [](KZProperties& c, Args a) -> Variant { return c.Remove(a[0]); })
        .get("PropCollection", 0, 0,
             [](KZProperties& c, Args) -> Variant { return c.PropCollection(); })
        .method("Clear", 0, 0, [](KZProperties& c, Args) -> Variant { return c.Clear(); })
        .method("Clone", 0, 0, [](KZProperties& c, Args) -> Variant { return c.Clone(); })
        .get("Parent", 0, 0, [](KZProperties& c, Args) -> Variant { return c.Parent(); })
        .get("ItemIndex", 1, 1,
             [](KZProperties& c, Args a) -> Variant { return c.ItemIndex(toText(a[0])); })
        .method("MoveUp", 1, 1, [](KZProperties& c, Args a) -> Variant { return c.MoveUp(a[0]); })
        .method("MoveDown", 1, 1,
                [](KZProperties& c, Args a) -> Variant { return c.MoveDown(a[0]); })
        .method("Find", 1, 2,
                [](KZProperties& c, Args a) -> Variant {
                  std::string delimeter;
                  return c.Find(toText(a[0]), delimeterArg(a, 1, delimeter));
                })
        .method("FindEx", 1, 2, [](KZProperties& c, Args a) -> Variant {
          std::string delimeter;
          return c.FindEx(toText(a[0]), delimeterArg(a, 1, delimeter));
        });
    return t;
  }();
  return table;
}

// "Properties(1)", "Properties(2)", ...: the entry names of the items in
// order, counted up in place (items are written and read one after the
// other, and formatting each number afresh showed in profiles).
class ItemEntryNames {
 public:
  ItemEntryNames() {
    std::copy(kPrefix.begin(), kPrefix.end(), buffer_.data());
    buffer_[kPrefix.size()] = '1';
    buffer_[kPrefix.size() + 1] = ')';
    size_ = kPrefix.size() + 2;
  }
  std::string_view view() const { return {buffer_.data(), size_}; }
  void next() {
    for (std::size_t i = size_ - 2;; --i) {  // from the last digit
      if (buffer_[i] != '9') {
        ++buffer_[i];
        return;
      }
      buffer_[i] = '0';
      if (i == kPrefix.size()) break;
    }
    // All nines became zeros: one digit more.
    buffer_[kPrefix.size()] = '1';
    buffer_[size_ - 1] = '0';
    buffer_[size_] = ')';
    ++size_;
  }

 private:
  static constexpr std::string_view kPrefix = "Properties(";
  std::array<char, 32> buffer_;  // ten digits of an int32 fit
  std::size_t size_ = 0;
};

// The item number of an entry name "Properties(<n>)" as the writer spells it
// (letter case aside: bag names ignore it), or 0 for any other name.
std::int64_t itemEntryNumber(std::string_view name) {
  constexpr std::string_view kPrefix = "Properties(";
  if (name.size() < kPrefix.size() + 2 || name.back() != ')' ||
      !detail::equalsIgnoringAsciiCase(name.substr(0, kPrefix.size()), kPrefix)) {
    return 0;
  }
  const std::string_view digits = name.substr(kPrefix.size(), name.size() - kPrefix.size() - 1);
  if (digits.size() > 10 || digits.front() == '0') return 0;
  std::int64_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

// Collections being written on this thread, outermost first. Owned by the
// outermost writeProperties call (a pointer, so no thread-exit destructor
// is involved).
thread_local std::unordered_set<const KZProperties*>* tlWriting = nullptr;

class WritingGuard {
 public:
  explicit WritingGuard(const KZProperties* self) : self_(self) {
    if (tlWriting == nullptr) tlWriting = owned_ = new std::unordered_set<const KZProperties*>();
    if (!tlWriting->insert(self).second) {
      release();
      // The collection is already being written further up: a cycle. The
      // property holding it is stored without its value.
      throw AutomationError(err::kOutOfStack);
    }
  }
  ~WritingGuard() {
    tlWriting->erase(self_);
    release();
  }
  WritingGuard(const WritingGuard&) = delete;
  WritingGuard& operator=(const WritingGuard&) = delete;

 private:
  void release() {
    if (owned_ != nullptr) {
      delete owned_;
      owned_ = nullptr;
      tlWriting = nullptr;
    }
  }
  const KZProperties* self_;
  std::unordered_set<const KZProperties*>* owned_ = nullptr;
};

// What collections hold strongly (their item lists and their newest item),
// waiting to be released, owned by the outermost ~KZProperties on this
// thread. Releasing a list releases its properties, whose values may be
// collections again: queuing what they hold here instead of releasing it in
// place keeps the destruction of a 100,000-deep tree off the call stack.
thread_local std::vector<std::shared_ptr<const void>>* tlReleasing = nullptr;

}  // namespace

KZProperties::KZProperties() = default;

// Out of memory, the queue cannot grow: what it cannot take is released in
// place by the members' own destructors (a push_back that fails to grow the
// vector leaves its argument as it was).
KZProperties::~KZProperties() {
  if (!items_ && !newItem_) return;
  if (tlReleasing != nullptr) {
    try {
      tlReleasing->push_back(std::move(items_));
      tlReleasing->push_back(std::move(newItem_));
    } catch (...) {
    }
    return;
  }
  std::vector<std::shared_ptr<const void>> pending;
  try {
    pending.reserve(16);
  } catch (...) {
    return;
  }
  tlReleasing = &pending;
  pending.push_back(std::move(items_));
  pending.push_back(std::move(newItem_));
  while (!pending.empty()) {
    std::shared_ptr<const void> next = std::move(pending.back());
    pending.pop_back();
    next.reset();  // may queue more
  }
  tlReleasing = nullptr;
}

std::shared_ptr<KZProperties> KZProperties::create() { return std::make_shared<KZProperties>(); }

KeyedCollection& KZProperties::items() const {
  if (!items_) items_ = std::make_shared<KeyedCollection>();
  return *items_;
}

std::int32_t KZProperties::Count() const {
  std::int32_t n = -2;
  ignoreErrors([&] { n = items().count(); });
  return n;
}

bool KZProperties::ItemExists(const Variant& Index) const {
  bool exists = false;
  ignoreErrors([&] {
    const ObjectRef* object = items().item(Index).getIf<ObjectRef>();
    exists = object != nullptr && *object != nullptr;
  });
  return exists;
}

std::shared_ptr<KZProperty> KZProperties::Properties(const Variant& Index) const {
  std::shared_ptr<KZProperty> found;
  ignoreErrors([&] {
    const ObjectRef* object = items().item(Index).getIf<ObjectRef>();
    if (object != nullptr) found = std::dynamic_pointer_cast<KZProperty>(*object);
  });
  return found;
}

std::shared_ptr<KZProperty> KZProperties::Add(std::string PropertyName, Variant Value,
                                              bool RedOnly) {
  std::shared_ptr<KZProperty> result;
  ignoreErrors([&] {
    KeyedCollection& list = items();
    const std::int32_t position = list.find(PropertyName);
    const ObjectRef* existing = position != 0 ? list.at(position).getIf<ObjectRef>() : nullptr;
    if (existing == nullptr || *existing == nullptr) {
      auto property = KZProperty::create();
      property->Name(std::move(PropertyName));
      if (!Value.isMissing()) property->Value(std::move(Value));
      property->ReadOnly(RedOnly);
      list.add(Variant(property), std::string_view(property->name_));
      newItem_ = property;
      result = std::move(property);
      return;
    }
    ObjectRef item = *existing;
    if (!Value.isMissing()) {
      if (auto* property = dynamic_cast<KZProperty*>(item.get())) {
        property->Value(std::move(Value));
      } else {
        item->let("Value", std::move(Value));
      }
    }
    result = std::dynamic_pointer_cast<KZProperty>(std::move(item));
  });
  return result;
}

Variant KZProperties::LastRemovedName() const {
  Variant name;
  ignoreErrors([&] { name = lastRemovedName_; });
  return name;
}

bool KZProperties::Remove(const Variant& Index) {
  bool removed = false;
  ignoreErrors([&] {
    if (!ItemExists(Index)) return;
    std::string name;
    ignoreErrors([&] { name = properties::itemName(items().item(Index)); });
    ignoreErrors([&] { items().remove(Index); });
    lastRemovedName_ = Variant(std::move(name));
    removed = true;
  });
  return removed;
}

std::shared_ptr<KeyedCollection> KZProperties::PropCollection() const {
  std::shared_ptr<KeyedCollection> list;
  ignoreErrors([&] {
    items();
    list = items_;
  });
  return list;
}

// A new, empty list comes with the next use; clients holding the old one
// through PropCollection keep what it held. Nothing is allocated here.
Variant KZProperties::Clear() {
  items_.reset();
  return {};
}

// Clone's Add. The copy only receives names that were distinct keys of the
// source, so the look-up Add starts with is skipped; should a name be taken
// after all (a client keyed an item unlike its name), Add's rule applies.
void KZProperties::appendCopy(std::string name, Variant value, bool readOnly) {
  auto property = KZProperty::create();
  property->Name(std::move(name));
  if (!value.isMissing()) property->Value(std::move(value));  // as Add treats it
  property->ReadOnly(readOnly);
  if (ignoreErrors([&] { items().add(Variant(property), std::string_view(property->name_)); })) {
    newItem_ = std::move(property);
    return;
  }
  Add(property->name_, property->value_, readOnly);
}

// The common case of Clone, without the general path's copies: the item is
// our own property holding a plain value and keyed by its name, so the copy
// takes the source's key as it is. The copy ends in the state appendCopy()
// leaves (name, value, flag assigned in that order).
bool KZProperties::appendLeafCopy(const KZProperties& source, std::int32_t position) {
  KeyedCollection& from = source.items();
  const KZProperty* p = properties::propertyOf(from.at(position));
  if (p == nullptr || p->value_.isObject() || from.keyAt(position) != p->name_) return false;
  if (p->name_.empty()) return false;  // keyAt() reads "" for an item without a key too
  auto property = KZProperty::create();
  property->name_ = p->name_;
  if (!p->value_.isMissing()) property->value_ = p->value_;
  property->readOnly_ = p->readOnly_;
  property->announce("ReadOnly");
  if (!ignoreErrors([&] { items().appendWithKeyOf(from, position, Variant(property)); })) {
    Add(property->name_, property->value_, property->readOnly_);
    return true;
  }
  newItem_ = std::move(property);
  return true;
}

// Depth-first with an explicit stack, so the depth of the tree is bounded
// only by memory. Each inner collection's copy is added to its property
// before it is filled, which gives the same result as copying bottom-up: the
// copy is the same object either way.
std::shared_ptr<KZProperties> KZProperties::Clone() const {
  std::shared_ptr<KZProperties> root;
  ignoreErrors([&] { root = cloneTree(); });
  return root;
}

std::shared_ptr<KZProperties> KZProperties::cloneTree() const {
  auto root = create();
  struct Frame {
    std::shared_ptr<const Object> keepAlive;  // null for this collection itself
    const KZProperties* source;
    std::shared_ptr<KZProperties> target;
    std::int32_t next;
  };
  std::vector<Frame> stack;
  // Each copy is sized up front: its items are known before it is filled.
  root->items().reserve(static_cast<std::size_t>(std::max(Count(), 0)));
  stack.push_back(Frame{nullptr, this, root, 1});
  std::unordered_set<const KZProperties*> onPath{this};

  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next > top.source->Count()) {
      onPath.erase(top.source);
      stack.pop_back();
      continue;
    }
    const std::int32_t position = top.next++;
    const KZProperties* source = top.source;
    std::shared_ptr<KZProperties> target = top.target;  // `top` dies on push_back
    ignoreErrors([&] {
      if (target->appendLeafCopy(*source, position)) return;
      properties::ItemFields fields = properties::readItemFields(source->items().at(position));
      const ObjectRef* object = fields.value.getIf<ObjectRef>();
      if (object == nullptr || *object == nullptr || (*object)->typeName() != "KZProperties") {
        target->appendCopy(std::move(fields.name), std::move(fields.value), fields.readOnly);
        return;
      }
      auto* inner = dynamic_cast<const KZProperties*>(object->get());
      if (inner == nullptr) {
        // A client's own collection clones itself.
        target->appendCopy(std::move(fields.name), (*object)->call("Clone"), fields.readOnly);
        return;
      }
      if (onPath.contains(inner)) {
        // A cycle: the collection is its own ancestor. Copying it again would
        // never end, so the copy's property holds Nothing.
        target->appendCopy(std::move(fields.name), Variant::nothing(), fields.readOnly);
        return;
      }
      auto copy = create();
      copy->items().reserve(static_cast<std::size_t>(std::max(inner->Count(), 0)));
      target->appendCopy(std::move(fields.name), Variant(copy), fields.readOnly);
      ObjectRef keep = *object;
      onPath.insert(inner);
      stack.push_back(Frame{std::move(keep), inner, std::move(copy), 1});
    });
  }
  return root;
}

std::int32_t KZProperties::ItemIndex(std::string_view PropKey) const {
  std::int32_t result = -1;
  ignoreErrors([&] {
    if (PropKey.empty() || !items().containsKey(PropKey)) return;
    const std::int32_t n = items().count();
    for (std::int32_t i = 1; i <= n; ++i) {
      std::string name;
      if (!ignoreErrors([&] { name = properties::itemName(items().at(i)); })) continue;
      if (equalsNoCase(name, PropKey)) {
        result = i;
        return;
      }
    }
  });
  return result;
}

std::int32_t KZProperties::positionArgument(const Variant& index) const {
  std::int32_t p = 0;
  ignoreErrors([&] { p = isNumeric(index) ? toInt32(index) : ItemIndex(toText(index)); });
  return p;
}

std::int32_t KZProperties::MoveUp(const Variant& PropIndex) {
  std::int32_t result = -1;
  ignoreErrors([&] {
    const std::int32_t p = positionArgument(PropIndex);
    if (p < 1 || p > Count()) return;
    if (p == 1) {
      result = 1;
      return;
    }
    Variant item = items().at(p);
    if (item.isNothing() || !item.isObject()) return;
    // The name is read before anything changes, so an item without one stays
    // where it is instead of being dropped.
    const std::string name = properties::itemName(item);
    items().remove(Variant(p));
    result = p - 1;
    items().add(std::move(item), std::string_view(name), Variant(p - 1));
  });
  return result;
}

std::int32_t KZProperties::MoveDown(const Variant& PropIndex) {
  std::int32_t result = -1;
  ignoreErrors([&] {
    const std::int32_t p = positionArgument(PropIndex);
    const std::int32_t n = Count();
    if (p < 1 || p > n) return;
    if (p == n) {
      result = p;
      return;
    }
    Variant item = items().at(p);
    if (item.isNothing() || !item.isObject()) return;
    const std::string name = properties::itemName(item);
    items().remove(Variant(p));
    result = p + 1;
    items().add(std::move(item), std::string_view(name), Variant::missing(), Variant(p));
  });
  return result;
}

std::shared_ptr<KZProperty> KZProperties::Find(std::string_view Path,
                                               std::string_view Delimeter) const {
  return find(Path, Delimeter, /*positions=*/false);
}

std::shared_ptr<KZProperty> KZProperties::FindEx(std::string_view Path,
                                                 std::string_view Delimeter) const {
  return find(Path, Delimeter, /*positions=*/true);
}

namespace {

// The item a path segment selects in one collection: by key, or with
// `positions` by 1-based position when the segment reads as a number.
// Null when nothing is found or the item is not one of our properties.
const KZProperty* lookUp(const KeyedCollection& list, std::string_view segment, bool positions) {
  std::int32_t position = 0;
  if (positions && isNumeric(Variant(segment))) {
    position = toInt16(Variant(segment));  // beyond the 16-bit range raises
    if (position < 1 || position > list.count()) return nullptr;
  } else {
    position = list.find(segment);
    if (position == 0) return nullptr;
  }
  return properties::propertyOf(list.at(position));
}

}  // namespace

// The keyed collection of an inner node: ours directly, a client's own
// collection object through its PropCollection.
const KeyedCollection* KZProperties::innerList(const Variant& value,
                                               std::shared_ptr<Object>& keep) {
  if (KZProperties* ours = properties::collectionOf(value)) return &ours->items();
  if (!properties::isCollectionValue(value)) return nullptr;
  keep = toObject(value.object()->get("PropCollection"));
  return dynamic_cast<const KeyedCollection*>(keep.get());
}

std::shared_ptr<KZProperty> KZProperties::find(std::string_view path, std::string_view delimeter,
                                               bool positions) const {
  std::shared_ptr<KZProperty> result;
  if (path.empty()) return result;
  ignoreErrors([&] {
    const KeyedCollection* list = &items();
    std::shared_ptr<Object> keep;
    const KZProperty* current = nullptr;
    std::size_t start = 0;
    while (true) {
      std::size_t end = delimeter.empty() ? std::string_view::npos : path.find(delimeter, start);
      std::string_view segment =
          path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
      if (current != nullptr) {
        list = innerList(current->valueRef(), keep);
        if (list == nullptr) return;
      }
      current = lookUp(*list, segment, positions);
      if (current == nullptr) return;
      if (end == std::string_view::npos) break;
      start = end + delimeter.size();
    }
    result = std::static_pointer_cast<KZProperty>(
        std::const_pointer_cast<Object>(current->shared_from_this()));
  });
  return result;
}

Variant KZProperties::invoke(std::string_view name, CallKind kind, Args args) {
  return memberTable().dispatch(*this, name, kind, args);
}

void KZProperties::writeProperties(PropertyBag& bag) {
  properties::ensureClassesRegistered();
  WritingGuard guard(this);
  const std::int32_t n = Count();
  // The reader's default is a 16-bit 0, but the bag compares kinds exactly, so
  // the 32-bit 0 is what keeps an empty collection from writing an entry.
  ignoreErrors([&] { bag.writeProperty("Count", Variant(n), Variant(std::int32_t{0})); });
  static const Variant kNothing = Variant::nothing();
  // Held: an item written now could clear or replace this very list.
  items();
  const std::shared_ptr<KeyedCollection> list = items_;
  ItemEntryNames entry;
  for (std::int32_t i = 1; i <= n; ++i, entry.next()) {
    ignoreErrors([&] { bag.writeProperty(entry.view(), list->at(i), kNothing); });
  }
}

void KZProperties::readProperties(PropertyBag& bag) {
  properties::ensureClassesRegistered();
  std::int32_t n = 0;
  ignoreErrors([&] { n = toInt32(bag.readProperty("Count", Variant(std::int16_t{0}))); });
  // Entries not yet accounted for: once every one is, the rest cannot exist.
  std::size_t unread = bag.size() - (bag.contains("Count") ? 1u : 0u);
  if (n <= 0 || unread == 0) return;
  items().reserve(static_cast<std::size_t>(items().count()) +
                  std::min(static_cast<std::size_t>(n), unread));
  auto readItem = [&](std::string_view entryName) {
    ignoreErrors([&] {
      Variant item = bag.readProperty(entryName);
      KZProperty* property = properties::propertyOf(item);
      if (property == nullptr) return;  // an entry of another kind or class
      // A duplicate name raises here and the entry is skipped. The key is
      // the property's own name, which outlives the call.
      items().add(std::move(item), std::string_view(property->name_));
    });
  };
  // Items written one after the other are read by name in order. The first
  // missing entry (an item that could not be stored) ends that walk: the
  // rest are found among the names the bag holds, so a long run of missing
  // entries or a damaged "Count" costs no more than the bag's own size.
  std::int32_t i = 1;
  for (ItemEntryNames entry; i <= n && unread > 0; ++i, entry.next()) {
    if (!bag.contains(entry.view())) break;
    --unread;
    readItem(entry.view());
  }
  if (i > n || unread == 0) return;
  std::vector<std::pair<std::int64_t, std::string>> rest;
  for (std::string& name : bag.names()) {
    const std::int64_t k = itemEntryNumber(name);
    if (k > i && k <= n) rest.emplace_back(k, std::move(name));
  }
  std::sort(rest.begin(), rest.end());
  for (const auto& [k, name] : rest) readItem(name);
}

}  // namespace velmora

// KZProperties: an ordered collection of KZProperty objects keyed by their
// names (letter case ignored). A property whose value is a KZProperties makes
// the collections a tree, which clients build, search by path, reorder, clone
// and persist through a PropertyBag.
//
// No member raises: failures give the documented neutral results (Nothing,
// -1, -2, false). Trees of any depth are safe to clone and to destroy (both
// work without recursion); persistence is bounded by the PropertyBag's
// nesting limit, see writeProperties().
//
// The interface's help strings, for a type library built from this header:
// NewItem "Retrieve Last Added Property Item", LastRemovedName "Retrive Last
// Removed Item Name", Count "Retrieve Property Count", Properties "Get Single
// Property Object", Remove "Remove Property From Property Collection",
// PropCollection "Collections Reference (Default Member)", Clear "Clear
// object", Clone "Retrieve New KZProperties Object Like Current", Parent
// "Parents Reference", Find "Find KZProperty Object By Full Path".
//
// Ownership: a collection holds its properties and its NewItem, a property
// holds its value; Parent links are weak. A collection made reachable from
// its own property's value is a reference cycle and stays alive until the
// client breaks it (for instance by assigning another value to the property
// that closes it).
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/keyed_collection.h>
#include <commonvelmora/kz_property.h>
#include <commonvelmora/object.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

class VELMORA_EXPORT KZProperties : public Object {
 public:
  static constexpr std::string_view kProgId = ids::kKZPropertiesProgId;
  static constexpr std::string_view kClassId = ids::kKZPropertiesClassId;
  static constexpr std::string_view kInterfaceId = ids::kKZPropertiesInterfaceId;
  static constexpr std::string_view kInterfaceName = "_KZProperties";
  static constexpr std::string_view kHelpString = "Property Collection Object";
  static constexpr std::string_view kDefaultDelimeter = "\\";

  KZProperties();
  ~KZProperties() override;

  static std::shared_ptr<KZProperties> create();

  // The property most recently created by Add (Nothing at first).
  std::shared_ptr<KZProperty> NewItem() const { return newItem_; }
  // The name of the property last removed by Remove, as text (empty at first).
  Variant LastRemovedName() const;
  std::int32_t Count() const;
  // The item that Index selects: a number is a 1-based position, text a key.
  // Nothing when there is no such item.
  std::shared_ptr<KZProperty> Properties(const Variant& Index) const;

  // Creates the property when no item has this name (letter case ignored):
  // the value is assigned first, then the flag, so a read-only property keeps
  // the value given here. For an existing name only the value is assigned
  // (through the property's own setter, so a read-only one ignores it).
  // `Value` missing means omitted; an explicit empty Variant is a value.
  // Returns the item under the name, or Nothing on failure.
  std::shared_ptr<KZProperty> Add(std::string PropertyName, Variant Value = Variant::missing(),
                                  bool RedOnly = false);
  bool Remove(const Variant& Index);

  // The live keyed collection itself, not a copy: what a client does through
  // it changes this KZProperties.
  std::shared_ptr<KeyedCollection> PropCollection() const;
  Variant Clear();
  // A deep copy of the tree of collections; other objects are shared. A
  // collection met again on its own path (a cycle) is not copied again: the
  // clone's property that would close the cycle holds Nothing instead.
  std::shared_ptr<KZProperties> Clone() const;
  // The property holding this collection as its value; never kept alive by
  // the collection, so it reads Nothing once that property has ended.
  ObjectRef Parent() const { return parent_.lock(); }

  // Position of the first item whose name equals PropKey (letter case
  // ignored), -1 when none.
  std::int32_t ItemIndex(std::string_view PropKey) const;
  // Move an item one place; a number (or text that reads as one) is a
  // position, anything else a name. Return the new position, -1 on failure.
  std::int32_t MoveUp(const Variant& PropIndex);
  std::int32_t MoveDown(const Variant& PropIndex);

  // The property at a path of names, e.g. "Grid\\Columns\\Width". FindEx also
  // takes a segment that reads as a number as a 1-based position.
  std::shared_ptr<KZProperty> Find(std::string_view Path,
                                   std::string_view Delimeter = kDefaultDelimeter) const;
  std::shared_ptr<KZProperty> FindEx(std::string_view Path,
                                     std::string_view Delimeter = kDefaultDelimeter) const;

  // Object
  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  std::string typeName() const override { return "KZProperties"; }
  std::string_view progId() const override { return kProgId; }
  // Writes "Count" and "Properties(1)" ... "Properties(n)". The bag nests each
  // property and each inner collection one level deeper and refuses to go
  // beyond PropertyBag::kMaxDepth (512 levels, two per collection): a property
  // whose collection lies beyond that, or whose collection is already being
  // written further up (a cycle), is stored without its value and reads back
  // holding Nothing.
  void writeProperties(PropertyBag& bag) override;
  // Appends the properties read; missing, unreadable, foreign or duplicate
  // entries are skipped. NewItem is left as it was.
  void readProperties(PropertyBag& bag) override;

 private:
  friend class KZProperty;

  void SetParent(std::weak_ptr<Object> parent) { parent_ = std::move(parent); }
  bool ItemExists(const Variant& Index) const;
  void appendCopy(std::string name, Variant value, bool readOnly);
  // Clone's copy of a plain-valued property of ours; false when the item is
  // anything else (then appendCopy() applies).
  bool appendLeafCopy(const KZProperties& source, std::int32_t position);
  // Clone's body; may raise (out of memory), which Clone turns into Nothing.
  std::shared_ptr<KZProperties> cloneTree() const;
  KeyedCollection& items() const;
  // The keyed collection of an inner node: ours directly, a client's own
  // collection object through its PropCollection (kept alive by `keep`).
  static const KeyedCollection* innerList(const Variant& value, std::shared_ptr<Object>& keep);
  std::shared_ptr<KZProperty> find(std::string_view path, std::string_view delimeter,
                                   bool positions) const;
  std::int32_t positionArgument(const Variant& index) const;

  mutable std::shared_ptr<KeyedCollection> items_;
  std::weak_ptr<Object> parent_;
  std::shared_ptr<KZProperty> newItem_;
  Variant lastRemovedName_;
};

}  // namespace velmora

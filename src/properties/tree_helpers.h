// Small pieces shared by KZProperty and KZProperties.
#pragma once

#include <commonvelmora/kz_properties.h>
#include <commonvelmora/kz_property.h>
#include <commonvelmora/variant.h>

#include <string>

namespace velmora::properties {

// Whether a value counts as a property collection: an object whose type name,
// upper-cased, is "KZPROPERTIES". The test is by name on purpose, so a
// client's own object reporting that type name counts too.
bool isCollectionValue(const Variant& value);

// Our own property behind an item of the keyed collection, or null when the
// item is something else (a client may put anything in via PropCollection).
// No reference count is touched.
KZProperty* propertyOf(const Variant& item);
KZProperties* collectionOf(const Variant& value);

// Name, value and flag of an item: ours directly, any other object by name.
// Raises when the item has none of them.
struct ItemFields {
  std::string name;
  Variant value;
  bool readOnly = false;
};
ItemFields readItemFields(const Variant& item);
std::string itemName(const Variant& item);

// Makes sure both classes can be re-created from persisted bytes.
void ensureClassesRegistered();

}  // namespace velmora::properties

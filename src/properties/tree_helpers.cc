#include "properties/tree_helpers.h"

#include <commonvelmora/ascii_case.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <typeinfo>

#include "properties/register_classes.h"

namespace velmora::properties {

bool isCollectionValue(const Variant& value) {
  const ObjectRef* object = value.getIf<ObjectRef>();
  if (object == nullptr || !*object) return false;
  if (dynamic_cast<const KZProperties*>(object->get()) != nullptr) return true;
  try {
    return detail::equalsIgnoringAsciiCase((*object)->typeName(), "KZProperties");
  } catch (...) {
    return false;  // a type name that cannot be read is no collection
  }
}

namespace {
// Nearly every item is exactly our class; comparing the dynamic type first
// saves the general cast on every step of a path search.
template <class T>
T* exactlyOrDerived(const Variant& v) {
  const ObjectRef* object = v.getIf<ObjectRef>();
  if (object == nullptr || *object == nullptr) return nullptr;
  Object* raw = object->get();
  if (typeid(*raw) == typeid(T)) return static_cast<T*>(raw);
  return dynamic_cast<T*>(raw);
}
}  // namespace

KZProperty* propertyOf(const Variant& item) { return exactlyOrDerived<KZProperty>(item); }

KZProperties* collectionOf(const Variant& value) { return exactlyOrDerived<KZProperties>(value); }

ItemFields readItemFields(const Variant& item) {
  if (const KZProperty* p = propertyOf(item)) {
    return ItemFields{p->Name(), p->Value(), p->ReadOnly()};
  }
  const ObjectRef& object = item.object();  // 13 for a plain value
  if (!object) throw AutomationError(err::kObjectNotSet);
  ItemFields fields;
  fields.name = toText(object->get("Name"));
  fields.value = object->get("Value");
  fields.readOnly = toBool(object->get("ReadOnly"));
  return fields;
}

std::string itemName(const Variant& item) {
  if (const KZProperty* p = propertyOf(item)) return p->Name();
  const ObjectRef& object = item.object();
  if (!object) throw AutomationError(err::kObjectNotSet);
  return toText(object->get("Name"));
}

void ensureClassesRegistered() {
  static const bool registered = (registerPropertyClasses(), true);
  (void)registered;
}

}  // namespace velmora::properties

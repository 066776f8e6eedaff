#include "properties/register_classes.h"

#include <commonvelmora/class_registry.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/kz_property.h>

namespace velmora::properties {

void registerPropertyClasses() {
  auto& registry = ClassRegistry::instance();
  registry.add(KZProperty::kProgId, [] { return ObjectRef(KZProperty::create()); });
  registry.add(KZProperties::kProgId, [] { return ObjectRef(KZProperties::create()); });
}

}  // namespace velmora::properties

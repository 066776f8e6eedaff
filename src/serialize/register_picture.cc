#include "serialize/register_picture.h"

#include <commonvelmora/class_registry.h>
#include <commonvelmora/picture.h>

namespace velmora::serialize {

void registerPictureClass() {
  ClassRegistry::instance().add(Picture::kProgId, [] { return ObjectRef(Picture::create()); });
}

}  // namespace velmora::serialize

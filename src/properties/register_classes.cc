#include "properties/register_classes.h"

namespace velmora::properties {

void registerPropertyClasses() {}

}  // namespace velmora::properties

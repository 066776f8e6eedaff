// The property classes as clients hold them: besides the late-bound face of
// every object of ours, they persist into a client's stream or property bag
// (so a form saves them as it saves any control's property).
#pragma once

#include <commonvelmora/object.h>
#include <oaidl.h>

namespace velmora::com {

// A new reference to the server of a KZProperty or KZProperties; null when
// `object` is neither.
IDispatch* propertyServerFor(const ObjectRef& object);

}  // namespace velmora::com

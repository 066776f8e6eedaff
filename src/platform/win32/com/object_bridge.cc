#include "platform/win32/com/object_bridge.h"

#include <commonvelmora/error.h>

namespace velmora::com {

// Objects and arrays do not cross yet: only their empty forms do.
ObjectRef objectFromDispatch(IDispatch* dispatch) {
  if (dispatch == nullptr) return nullptr;
  throw AutomationError(err::kTypeMismatch);
}

IDispatch* dispatchFromObject(const ObjectRef& object) {
  if (object == nullptr) return nullptr;
  throw AutomationError(err::kTypeMismatch);
}

Variant fromSafeArray(const SAFEARRAY*) { throw AutomationError(err::kTypeMismatch); }

SAFEARRAY* toSafeArray(const SafeArray&) { throw AutomationError(err::kTypeMismatch); }

}  // namespace velmora::com

// Objects and arrays across the boundary: a client's IDispatch seen as one
// of our Objects, our Objects handed to clients as IDispatch, and SAFEARRAY
// beside SafeArray.
#pragma once

#include <commonvelmora/object.h>
#include <commonvelmora/variant.h>
#include <oaidl.h>

namespace velmora::com {

// Null is the empty object reference.
ObjectRef objectFromDispatch(IDispatch* dispatch);
// A new reference the caller releases; null for the empty reference. While
// a client holds one, the same object gives the same IDispatch.
IDispatch* dispatchFromObject(const ObjectRef& object);

Variant fromSafeArray(const SAFEARRAY* array);
// A new array the caller destroys.
SAFEARRAY* toSafeArray(const SafeArray& array);

}  // namespace velmora::com

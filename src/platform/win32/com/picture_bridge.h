// Pictures across the boundary. Ours reach clients as a picture object of
// the system's kind: IPictureDisp, whose properties Handle, Type, Width and
// Height answer by name and by the ids the system gives them. A client's
// own system picture reaches the library as one of ours, made of the image
// bytes the system picture saves.
#pragma once

#include <commonvelmora/object.h>
#include <oaidl.h>
#include <ocidl.h>

namespace velmora::com {

// A new reference to the server of our Picture; null when `object` is no
// Picture of ours.
IDispatch* pictureServerFor(const ObjectRef& object);

// A client's object handed in as a picture: a system picture becomes our
// Picture of the bytes it saves; anything else is taken as it is.
ObjectRef pictureFromDispatch(IDispatch* dispatch);

// A result declared as a picture: our picture's server, or nothing.
void putResult(IPictureDisp** out, const Variant& v);

}  // namespace velmora::com

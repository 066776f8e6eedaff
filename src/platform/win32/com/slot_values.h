// The typed arguments of a function-table slot as the library's values,
// and results and by-reference arguments written back in the slot's types.
// (VARIANT_BOOL is a short: a 16-bit number is written by the slot itself.)
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/variant.h>
#include <oaidl.h>
#include <oleauto.h>

#include "platform/win32/com/interfaces.h"
#include "platform/win32/com/object_bridge.h"
#include "platform/win32/com/variant_bridge.h"

namespace velmora::com {

inline Variant text(BSTR v) { return Variant(fromBstr(v)); }
inline Variant i32(LONG v) { return Variant(static_cast<std::int32_t>(v)); }
inline Variant i16(short v) { return Variant(std::int16_t{v}); }
inline Variant boolean(VARIANT_BOOL v) { return Variant(v != VARIANT_FALSE); }
inline Variant object(IDispatch* v) { return Variant(objectFromDispatch(v)); }
inline Variant array(SAFEARRAY* const* v) { return v == nullptr ? Variant() : fromSafeArray(*v); }

inline void put(BSTR* out, const Variant& v) {
  BSTR fresh = toBstr(toText(v));
  SysFreeString(*out);
  *out = fresh;
}
inline void put(LONG* out, const Variant& v) { *out = toInt32(v); }
inline void put(VARIANT_BOOL* out, const Variant& v) {
  *out = toBool(v) ? VARIANT_TRUE : VARIANT_FALSE;
}
inline void put(VARIANT* out, const Variant& v) { toVariant(v, out); }
inline void put(IDispatch** out, const Variant& v) {
  IDispatch* fresh = dispatchFromObject(toObject(v));
  if (*out != nullptr) (*out)->Release();
  *out = fresh;
}
inline void put(SAFEARRAY** out, const Variant& v) {
  SAFEARRAY* fresh = toSafeArray(v.array());
  if (*out != nullptr) SafeArrayDestroy(*out);
  *out = fresh;
}

// An [out, retval] argument holds nothing the callee may free: it is
// cleared before it is written.
template <class Out>
void putResult(Out* out, const Variant& v) {
  *out = Out{};
  put(out, v);
}
inline void putResult(VARIANT* out, const Variant& v) {
  VariantInit(out);
  put(out, v);
}

// An interface result: our object's server asked for that interface, so a
// client holds the dual interface it declared; nothing when it has none.
template <class Interface>
void putInterface(Interface** out, const Variant& v, REFIID iid) {
  *out = nullptr;
  IDispatch* server = dispatchFromObject(toObject(v));
  if (server == nullptr) return;
  server->QueryInterface(iid, reinterpret_cast<void**>(out));
  server->Release();
}
inline void putResult(_KZProperty** out, const Variant& v) {
  putInterface(out, v, IID__KZProperty);
}
inline void putResult(_KZProperties** out, const Variant& v) {
  putInterface(out, v, IID__KZProperties);
}

}  // namespace velmora::com

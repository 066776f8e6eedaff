// Between the library's automation values and the system's: Variant and
// VARIANT, text and BSTR, and AutomationError and the error a client reads
// (an HRESULT of the control facility with IErrorInfo behind it, so
// Err.Number and Err.Description read the runtime's number and text).
#pragma once

#include <commonvelmora/error.h>
#include <commonvelmora/variant.h>
#include <oaidl.h>

#include <new>
#include <string>

namespace velmora::com {

// REQUIRES: v is a valid VARIANT. By-reference variants are read through.
// Raises AutomationError 13 for a kind the library has no value for.
Variant fromVariant(const VARIANT& v);
// Stores `v` into `out`, clearing what `out` held. Raises on failure.
void toVariant(const Variant& v, VARIANT* out);

std::string fromBstr(BSTR text);
// A new BSTR the caller owns; raises 7 when out of memory.
BSTR toBstr(const std::string& text);

// Hands `error` to the calling thread's error object and returns the
// HRESULT that carries its number.
HRESULT raiseToClient(const AutomationError& error);

// Runs `body`, turning what it raises into the client's error.
template <class Body>
HRESULT guarded(Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (const AutomationError& e) {
    return raiseToClient(e);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace velmora::com

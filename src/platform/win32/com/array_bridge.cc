// SafeArray and SAFEARRAY hold the same arrays in different layouts: ours
// keeps the last index fastest, the system's the first. Both sides are
// walked by their indexes (first dimension first, as the system's element
// functions take them), so neither layout leaks into the other.
#include <commonvelmora/error.h>
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <vector>

#include "platform/win32/com/object_bridge.h"
#include "platform/win32/com/variant_bridge.h"

namespace velmora::com {
namespace {

void check(HRESULT hr) {
  if (hr == E_OUTOFMEMORY) throw AutomationError(err::kOutOfMemory);
  if (FAILED(hr)) throw AutomationError(err::kTypeMismatch);
}

// Steps `index` (natural order, one per dimension) to the next element in
// our order, the last index fastest; false after the last one.
bool advance(std::vector<LONG>& index, const std::vector<SafeArray::Bound>& bounds) {
  for (std::size_t d = index.size(); d-- > 0;) {
    if (++index[d] <= bounds[d].ubound()) return true;
    index[d] = bounds[d].lbound;
  }
  return false;
}

}  // namespace

Variant fromSafeArray(const SAFEARRAY* source) {
  auto* array = const_cast<SAFEARRAY*>(source);
  const UINT dims = array == nullptr ? 0 : SafeArrayGetDim(array);
  if (dims == 0) return Variant(SafeArray());  // never dimensioned
  VARTYPE type = VT_VARIANT;
  check(SafeArrayGetVartype(array, &type));
  std::vector<SafeArray::Bound> bounds(dims);
  for (UINT d = 0; d < dims; ++d) {
    LONG lower = 0, upper = 0;
    check(SafeArrayGetLBound(array, d + 1, &lower));
    check(SafeArrayGetUBound(array, d + 1, &upper));
    bounds[d] = {static_cast<std::int32_t>(lower), static_cast<std::int32_t>(upper - lower + 1)};
  }
  const bool bytes = type == VT_UI1;
  SafeArray out(bytes ? VarType::Byte : VarType::Variant, bounds);
  if (out.size() == 0) return Variant(std::move(out));
  std::vector<LONG> index(dims);
  for (UINT d = 0; d < dims; ++d) index[d] = bounds[d].lbound;
  std::size_t k = 0;
  do {
    std::vector<LONG> at = index;
    if (bytes) {
      check(SafeArrayGetElement(array, at.data(), &out.bytes()[k]));
    } else {
      VARIANT element;
      VariantInit(&element);
      if (type != VT_VARIANT) V_VT(&element) = type;  // the element fills the union
      check(SafeArrayGetElement(array, at.data(),
                                type == VT_VARIANT ? static_cast<void*>(&element)
                                                   : static_cast<void*>(&V_UI1(&element))));
      try {
        out.variants()[k] = fromVariant(element);
      } catch (...) {
        VariantClear(&element);
        throw;
      }
      VariantClear(&element);
    }
    ++k;
  } while (advance(index, bounds));
  return Variant(std::move(out));
}

SAFEARRAY* toSafeArray(const SafeArray& source) {
  if (!source.isDimensioned()) return nullptr;
  const auto& bounds = source.bounds();
  std::vector<SAFEARRAYBOUND> system(bounds.size());
  for (std::size_t d = 0; d < bounds.size(); ++d) {
    system[d] = {static_cast<ULONG>(bounds[d].count), bounds[d].lbound};
  }
  const bool bytes = source.elementType() == VarType::Byte;
  SAFEARRAY* array =
      SafeArrayCreate(bytes ? VT_UI1 : VT_VARIANT, static_cast<UINT>(system.size()), system.data());
  if (array == nullptr) throw AutomationError(err::kOutOfMemory);
  if (source.size() == 0) return array;
  std::vector<LONG> index(bounds.size());
  for (std::size_t d = 0; d < bounds.size(); ++d) index[d] = bounds[d].lbound;
  std::size_t k = 0;
  VARIANT element;
  VariantInit(&element);
  try {
    do {
      std::vector<LONG> at = index;
      if (bytes) {
        std::uint8_t b = source.bytes()[k];
        check(SafeArrayPutElement(array, at.data(), &b));
      } else {
        toVariant(source.variants()[k], &element);
        check(SafeArrayPutElement(array, at.data(), &element));
      }
      ++k;
    } while (advance(index, bounds));
  } catch (...) {
    VariantClear(&element);
    SafeArrayDestroy(array);
    throw;
  }
  VariantClear(&element);
  return array;
}

}  // namespace velmora::com

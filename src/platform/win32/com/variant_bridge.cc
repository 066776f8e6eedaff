#include "platform/win32/com/variant_bridge.h"

#include <commonvelmora/convert.h>
#include <oleauto.h>

#include "platform/win32/com/object_bridge.h"
#include "platform/win32/text/wide_text.h"

namespace velmora::com {
namespace {

// The control facility's HRESULT for a runtime error number, which a
// client's runtime turns back into that number.
constexpr HRESULT kControlFacility = static_cast<HRESULT>(0x800A0000);

void check(HRESULT hr) {
  if (hr == E_OUTOFMEMORY) throw AutomationError(err::kOutOfMemory);
  if (FAILED(hr)) throw AutomationError(err::kTypeMismatch);
}

}  // namespace

std::string fromBstr(BSTR text) {
  if (text == nullptr) return {};
  return win32::utf8FromWide(std::wstring_view(text, SysStringLen(text)));
}

BSTR toBstr(const std::string& text) {
  const std::wstring wide = win32::wideFromUtf8(text);
  BSTR out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (out == nullptr) throw AutomationError(err::kOutOfMemory);
  return out;
}

Variant fromVariant(const VARIANT& source) {
  const VARIANT* v = &source;
  if (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
  VARIANT value;
  VariantInit(&value);
  if (V_ISBYREF(v)) {
    // A typed reference: read the value it points at.
    check(VariantCopyInd(&value, const_cast<VARIANT*>(v)));
    v = &value;
  }
  Variant out;
  if (V_ISARRAY(v)) {
    out = fromSafeArray(V_ARRAY(v));
    VariantClear(&value);
    return out;
  }
  switch (V_VT(v)) {
    case VT_EMPTY:
      break;
    case VT_NULL:
      out = Variant::null();
      break;
    case VT_I2:
      out = Variant(std::int16_t{V_I2(v)});
      break;
    case VT_I4:
      out = Variant(static_cast<std::int32_t>(V_I4(v)));
      break;
    case VT_R4:
      out = Variant(V_R4(v));
      break;
    case VT_R8:
      out = Variant(V_R8(v));
      break;
    case VT_CY:
      out = Variant(Currency{V_CY(v).int64});
      break;
    case VT_DATE:
      out = Variant(Date{V_DATE(v)});
      break;
    case VT_BSTR:
      out = Variant(fromBstr(V_BSTR(v)));
      break;
    case VT_ERROR:
      out = Variant(ErrorCode{static_cast<std::int32_t>(V_ERROR(v))});
      break;
    case VT_BOOL:
      out = Variant(V_BOOL(v) != VARIANT_FALSE);
      break;
    case VT_UI1:
      out = Variant(std::uint8_t{V_UI1(v)});
      break;
    case VT_DISPATCH:
      out = Variant(objectFromDispatch(V_DISPATCH(v)));
      break;
    case VT_UNKNOWN: {
      IDispatch* dispatch = nullptr;
      if (V_UNKNOWN(v) != nullptr && FAILED(V_UNKNOWN(v)->QueryInterface(
                                         IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        VariantClear(&value);
        throw AutomationError(err::kTypeMismatch);
      }
      out = Variant(objectFromDispatch(dispatch));
      if (dispatch != nullptr) dispatch->Release();
      break;
    }
    default: {
      // Other numbers the runtime widens to a double; anything else is no
      // value the library knows.
      VARIANT wide;
      VariantInit(&wide);
      const HRESULT hr = VariantChangeType(&wide, const_cast<VARIANT*>(v), 0, VT_R8);
      VariantClear(&value);
      check(hr);
      return Variant(V_R8(&wide));
    }
  }
  VariantClear(&value);
  return out;
}

void toVariant(const Variant& v, VARIANT* out) {
  VariantClear(out);
  switch (v.type()) {
    case VarType::Empty:
      break;
    case VarType::Null:
      V_VT(out) = VT_NULL;
      break;
    case VarType::Int16:
      V_VT(out) = VT_I2;
      V_I2(out) = v.as<std::int16_t>();
      break;
    case VarType::Int32:
      V_VT(out) = VT_I4;
      V_I4(out) = v.as<std::int32_t>();
      break;
    case VarType::Single:
      V_VT(out) = VT_R4;
      V_R4(out) = v.as<float>();
      break;
    case VarType::Double:
      V_VT(out) = VT_R8;
      V_R8(out) = v.as<double>();
      break;
    case VarType::Currency:
      V_VT(out) = VT_CY;
      V_CY(out).int64 = v.as<Currency>().scaled;
      break;
    case VarType::Date:
      V_VT(out) = VT_DATE;
      V_DATE(out) = v.as<Date>().serial;
      break;
    case VarType::String:
      V_BSTR(out) = toBstr(v.text());
      V_VT(out) = VT_BSTR;
      break;
    case VarType::Error:
      V_VT(out) = VT_ERROR;
      V_ERROR(out) = v.as<ErrorCode>().scode;
      break;
    case VarType::Bool:
      V_VT(out) = VT_BOOL;
      V_BOOL(out) = v.as<bool>() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VarType::Byte:
      V_VT(out) = VT_UI1;
      V_UI1(out) = v.as<std::uint8_t>();
      break;
    case VarType::Object:
      V_DISPATCH(out) = dispatchFromObject(v.object());
      V_VT(out) = VT_DISPATCH;
      break;
    default: {
      const SafeArray& array = v.array();
      V_ARRAY(out) = toSafeArray(array);
      V_VT(out) = static_cast<VARTYPE>(
          VT_ARRAY | (array.elementType() == VarType::Byte ? VT_UI1 : VT_VARIANT));
    }
  }
}

HRESULT raiseToClient(const AutomationError& error) {
  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    const std::wstring description = win32::wideFromUtf8(error.description());
    create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    create->SetSource(const_cast<LPOLESTR>(L"CommonVelmora"));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
  }
  const auto number = static_cast<std::uint32_t>(error.number());
  // Numbers beyond 16 bits are already HRESULTs (a failing system call's).
  if (number > 0xFFFF) return static_cast<HRESULT>(number);
  return static_cast<HRESULT>(static_cast<std::uint32_t>(kControlFacility) | number);
}

}  // namespace velmora::com

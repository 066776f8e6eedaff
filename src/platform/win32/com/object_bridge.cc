// Objects both ways. Our objects reach clients as an IDispatch that names
// members by the ids it hands out and calls Object::invoke; a client's
// IDispatch reaches our code as an Object that calls it by name. Each side
// unwraps the other's wrapper, so an object that makes the round trip is
// the object it was, not a wrapper around a wrapper; and one of ours handed
// out again while a client holds it is the wrapper the client holds.
#include "platform/win32/com/object_bridge.h"

#include <commonvelmora/ascii_case.h>
#include <commonvelmora/error.h>
#include <oleauto.h>
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win32/com/enum_bridge.h"
#include "platform/win32/com/object_server.h"
#include "platform/win32/com/picture_bridge.h"
#include "platform/win32/com/property_server.h"
#include "platform/win32/com/server_module.h"
#include "platform/win32/com/variant_bridge.h"
#include "platform/win32/text/wide_text.h"

namespace velmora::com {
namespace {

#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Writes `value` back into a by-reference argument in the argument's type.
void writeBack(VARIANT& arg, const Variant& value) {
  if (!V_ISBYREF(&arg)) return;
  VARIANT fresh;
  VariantInit(&fresh);
  toVariant(value, &fresh);
  if (V_VT(&arg) == (VT_VARIANT | VT_BYREF)) {
    VariantClear(V_VARIANTREF(&arg));
    *V_VARIANTREF(&arg) = fresh;
    return;
  }
  const auto type = static_cast<VARTYPE>(V_VT(&arg) & ~VT_BYREF);
  if (FAILED(VariantChangeType(&fresh, &fresh, 0, type))) {
    VariantClear(&fresh);
    throw AutomationError(err::kTypeMismatch);
  }
  switch (type) {
    case VT_I2:
      *V_I2REF(&arg) = V_I2(&fresh);
      break;
    case VT_I4:
      *V_I4REF(&arg) = V_I4(&fresh);
      break;
    case VT_R4:
      *V_R4REF(&arg) = V_R4(&fresh);
      break;
    case VT_R8:
      *V_R8REF(&arg) = V_R8(&fresh);
      break;
    case VT_BOOL:
      *V_BOOLREF(&arg) = V_BOOL(&fresh);
      break;
    case VT_UI1:
      *V_UI1REF(&arg) = V_UI1(&fresh);
      break;
    case VT_CY:
      *V_CYREF(&arg) = V_CY(&fresh);
      break;
    case VT_DATE:
      *V_DATEREF(&arg) = V_DATE(&fresh);
      break;
    case VT_BSTR:
      SysFreeString(*V_BSTRREF(&arg));
      *V_BSTRREF(&arg) = V_BSTR(&fresh);
      return;  // the string moved into the argument
    case VT_DISPATCH:
      if (*V_DISPATCHREF(&arg) != nullptr) (*V_DISPATCHREF(&arg))->Release();
      *V_DISPATCHREF(&arg) = V_DISPATCH(&fresh);
      return;
    default:
      break;  // a kind the library never writes back
  }
  VariantClear(&fresh);
}

// Our objects reach clients as this unless a class offers more (the
// property classes' dual interfaces and persistence, see property_server.h).
class ObjectDispatch final : public ObjectServer<ObjectDispatch, IDispatch> {
 public:
  explicit ObjectDispatch(ObjectRef object) : ObjectServer(std::move(object)) {}
  void* interfaceFor(REFIID iid) { return lateBoundInterface(iid); }
};

// The runtime's error for a failed call into a client's object.
[[noreturn]] void raiseFrom(HRESULT hr, const EXCEPINFO& error) {
  if (hr == DISP_E_EXCEPTION) {
    const auto scode = static_cast<std::uint32_t>(error.scode != 0 ? error.scode : error.wCode);
    const bool control = (scode & 0xFFFF0000u) == 0x800A0000u;
    const std::int32_t number =
        control ? static_cast<std::int32_t>(scode & 0xFFFF) : static_cast<std::int32_t>(scode);
    throw AutomationError(number, fromBstr(error.bstrDescription));
  }
  if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME) {
    throw AutomationError(err::kNoSuchMember);
  }
  if (hr == DISP_E_BADPARAMCOUNT || hr == DISP_E_PARAMNOTOPTIONAL) {
    throw AutomationError(err::kWrongArgCount);
  }
  if (hr == DISP_E_OVERFLOW) throw AutomationError(err::kOverflow);
  throw AutomationError(err::kTypeMismatch);
}

class DispatchObject final : public Object {
 public:
  explicit DispatchObject(IDispatch* dispatch) : dispatch_(dispatch) { dispatch_->AddRef(); }
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;
  ~DispatchObject() override { dispatch_->Release(); }

  IDispatch* dispatch() const { return dispatch_; }

  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    std::wstring wide = win32::wideFromUtf8(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_VALUE;  // the default member has no name
    if (!name.empty() &&
        FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
      throw AutomationError(err::kNoSuchMember);
    }
    // Every argument goes by reference, so the callee's changes come back;
    // an assigned property value goes by value, as the runtime passes it.
    const bool assigns = hasKind(kind, CallKind::Let) || hasKind(kind, CallKind::Set);
    std::vector<VARIANT> values(args.size());
    std::vector<VARIANT> passed(args.size());
    for (VARIANT& v : values) VariantInit(&v);
    auto clear = [&] {
      for (VARIANT& v : values) VariantClear(&v);
    };
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO error{};
    HRESULT hr = S_OK;
    try {
      for (std::size_t i = 0; i < args.size(); ++i) {
        toVariant(args[i], &values[i]);
        VARIANT& p = passed[args.size() - 1 - i];
        if (assigns && i + 1 == args.size()) {
          p = values[i];
        } else {
          V_VT(&p) = VT_VARIANT | VT_BYREF;
          V_VARIANTREF(&p) = &values[i];
        }
      }
      DISPID put = DISPID_PROPERTYPUT;
      DISPPARAMS params{passed.data(), assigns ? &put : nullptr, static_cast<UINT>(passed.size()),
                        assigns ? 1u : 0u};
      UINT bad = 0;
      hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, static_cast<WORD>(kind), &params,
                             assigns ? nullptr : &result, &error, &bad);
      if (SUCCEEDED(hr)) {
        for (std::size_t i = 0; i < args.size(); ++i) {
          if (!(assigns && i + 1 == args.size())) args[i] = fromVariant(values[i]);
        }
      }
    } catch (...) {
      clear();
      VariantClear(&result);
      throw;
    }
    clear();
    if (FAILED(hr)) {
      VariantClear(&result);
      const EXCEPINFO copy = error;
      try {
        raiseFrom(hr, copy);
      } catch (...) {
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrHelpFile);
        throw;
      }
    }
    Variant out;
    try {
      out = fromVariant(result);
    } catch (...) {
      VariantClear(&result);
      throw;
    }
    VariantClear(&result);
    return out;
  }

  std::unique_ptr<Enumerator> newEnum() override {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr =
        dispatch_->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                          DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    IEnumVARIANT* items = nullptr;
    if (SUCCEEDED(hr) && (V_VT(&result) == VT_UNKNOWN || V_VT(&result) == VT_DISPATCH) &&
        V_UNKNOWN(&result) != nullptr) {
      V_UNKNOWN(&result)->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items));
    }
    VariantClear(&result);
    if (items == nullptr) throw AutomationError(err::kNoSuchMember);
    return enumeratorFrom(items);
  }

  // The class name the object's type information gives, as the runtime's
  // TypeName reports it.
  std::string typeName() const override {
    ITypeInfo* info = nullptr;
    std::string name = "Object";
    if (SUCCEEDED(dispatch_->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) && info != nullptr) {
      BSTR text = nullptr;
      if (SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, &text, nullptr, nullptr, nullptr))) {
        name = fromBstr(text);
        SysFreeString(text);
      }
      info->Release();
    }
    return name;
  }

 private:
  IDispatch* dispatch_;
};

}  // namespace

const IID kWrappedObjectId = {
    0x5d0c7a31, 0x2b8e, 0x4f6a, {0x9c, 0x41, 0x7e, 0x13, 0xd2, 0x58, 0xa9, 0x06}};

LateBinding::LateBinding(ObjectRef object, std::span<const FixedId> fixed)
    : object_(std::move(object)), fixed_(fixed) {
  for (const FixedId& f : fixed_) firstNamed_ = std::max(firstNamed_, f.id + 1);
}

HRESULT LateBinding::idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  try {
    const std::string name = win32::utf8FromWide(names[0]);
    const auto fixed = std::find_if(fixed_.begin(), fixed_.end(), [&](const FixedId& f) {
      return detail::equalsIgnoringAsciiCase(f.name, name);
    });
    ids[0] = fixed != fixed_.end()                               ? fixed->id
             : detail::equalsIgnoringAsciiCase(name, "_NewEnum") ? DISPID_NEWENUM
                                                                 : idOf(name);
    for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT LateBinding::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* exception) {
  // The empty name is the object's default member.
  std::string_view name;
  const auto fixed =
      std::find_if(fixed_.begin(), fixed_.end(), [id](const FixedId& f) { return f.id == id; });
  if (fixed != fixed_.end()) {
    name = fixed->name;
  } else if (id >= firstNamed_ && static_cast<std::size_t>(id - firstNamed_) < names_.size()) {
    name = names_[static_cast<std::size_t>(id - firstNamed_)];
  } else if (id != DISPID_VALUE && id != DISPID_NEWENUM) {
    return DISP_E_MEMBERNOTFOUND;
  }
  if (params == nullptr) return E_INVALIDARG;
  try {
    if (id == DISPID_NEWENUM) {
      IEnumVARIANT* items = enumVariantFrom(object_->newEnum());
      if (result == nullptr) {
        items->Release();
      } else {
        VariantInit(result);
        V_VT(result) = VT_UNKNOWN;
        V_UNKNOWN(result) = items;
      }
      return S_OK;
    }
    // The system passes arguments last first.
    std::vector<Variant> args;
    args.reserve(params->cArgs);
    for (UINT i = params->cArgs; i-- > 0;) args.push_back(fromVariant(params->rgvarg[i]));
    const auto kind = static_cast<CallKind>(flags & 0xF);
    const Variant r = object_->invoke(name, kind, args);
    for (UINT i = 0; i < params->cArgs; ++i) {
      writeBack(params->rgvarg[params->cArgs - 1 - i], args[i]);
    }
    if (result != nullptr) toVariant(r, result);
    return S_OK;
  } catch (const AutomationError& e) {
    const HRESULT hr = raiseToClient(e);
    if (exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->scode = hr;
      exception->bstrSource = SysAllocString(L"CommonVelmora");
      exception->bstrDescription = SysAllocString(win32::wideFromUtf8(e.description()).c_str());
    }
    return DISP_E_EXCEPTION;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

DISPID LateBinding::idOf(const std::string& name) {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (detail::equalsIgnoringAsciiCase(names_[i], name)) {
      return firstNamed_ + static_cast<DISPID>(i);
    }
  }
  names_.push_back(name);
  return firstNamed_ + static_cast<DISPID>(names_.size() - 1);
}

namespace {

struct ListedWrapper {
  IDispatch* face = nullptr;
  ShareWrapper share = nullptr;
};

// Process-long: wrappers may be released after static destruction began.
// Recursive, as a wrapper whose construction fails leaves the table (finding
// nothing of its own there) while the one making it holds the lock.
struct Wrappers {
  std::recursive_mutex guard;
  std::unordered_map<const Object*, ListedWrapper> byObject;
};
Wrappers& wrappers() {
  static auto* const table = new Wrappers;
  return *table;
}

}  // namespace

IDispatch* sharedWrapper(const ObjectRef& object, MakeWrapper make, ShareWrapper share) {
  Wrappers& table = wrappers();
  const std::lock_guard<std::recursive_mutex> hold(table.guard);
  auto [at, fresh] = table.byObject.try_emplace(object.get());
  if (!fresh) {
    if (IDispatch* live = at->second.share(at->second.face)) return live;
  }
  // None listed, or the one listed is being destroyed: its destructor waits
  // on the lock and then finds the new one listed in its place.
  try {
    at->second = ListedWrapper{make(object), share};
  } catch (...) {
    if (fresh) table.byObject.erase(at);
    throw;
  }
  return at->second.face;
}

void forgetWrapper(const Object* object, const IDispatch* face) {
  Wrappers& table = wrappers();
  const std::lock_guard<std::recursive_mutex> hold(table.guard);
  const auto at = table.byObject.find(object);
  if (at != table.byObject.end() && at->second.face == face) table.byObject.erase(at);
}

ObjectRef objectFromDispatch(IDispatch* dispatch) {
  if (dispatch == nullptr) return nullptr;
  WrappedObject* ours = nullptr;
  if (SUCCEEDED(dispatch->QueryInterface(kWrappedObjectId, reinterpret_cast<void**>(&ours)))) {
    ObjectRef object = ours->wrapped();
    ours->Release();
    return object;
  }
  return std::make_shared<DispatchObject>(dispatch);
}

IDispatch* dispatchFromObject(const ObjectRef& object) {
  if (object == nullptr) return nullptr;
  if (auto* theirs = dynamic_cast<DispatchObject*>(object.get())) {
    theirs->dispatch()->AddRef();
    return theirs->dispatch();
  }
  if (IDispatch* server = propertyServerFor(object)) return server;
  if (IDispatch* server = pictureServerFor(object)) return server;
  return ObjectDispatch::handOut(object);
}

}  // namespace velmora::com

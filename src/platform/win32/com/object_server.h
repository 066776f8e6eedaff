// One of our objects handed to a client: its IDispatch names members by the
// ids it hands out as names are asked for and calls Object::invoke, so the
// object answers any name it has at call time. Classes that offer more than
// IDispatch (a dual interface, persistence) derive from ObjectServer with
// those interfaces and still share this late-bound face.
#pragma once

#include <commonvelmora/object.h>
#include <oaidl.h>

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/com/com_object.h"

namespace velmora::com {

// A member whose id a client may know without asking for it, as one of an
// interface the system defines.
struct FixedId {
  DISPID id;
  std::string_view name;
};

// The late-bound calls on one object, with the names it has handed ids for.
// Those come after the fixed ones.
class LateBinding {
 public:
  explicit LateBinding(ObjectRef object, std::span<const FixedId> fixed = {});

  const ObjectRef& object() const { return object_; }

  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception);

 private:
  DISPID idOf(const std::string& name);

  ObjectRef object_;
  std::span<const FixedId> fixed_;
  DISPID firstNamed_ = 1;
  std::vector<std::string> names_;
};

// COM objects end in Release, never deleted through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// How a server recognises its own wrapper among the IDispatch it is handed:
// only ObjectServer answers kWrappedObjectId, with this interface.
struct WrappedObject : public IUnknown {
  virtual const ObjectRef& wrapped() const = 0;
};
extern const IID kWrappedObjectId;

template <class Derived, class Interface, class... More>
class ObjectServer : public ComObject<Derived, Interface, WrappedObject, More...> {
 public:
  const ObjectRef& object() const { return late_.object(); }
  const ObjectRef& wrapped() const override { return late_.object(); }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out != nullptr) *out = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    return late_.idsOfNames(names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    return late_.invoke(id, flags, params, result, exception);
  }

 protected:
  explicit ObjectServer(ObjectRef object, std::span<const FixedId> fixed = {})
      : late_(std::move(object), fixed) {}

  // IDispatch and the wrapper's own id; the derived class adds the rest.
  void* lateBoundInterface(REFIID iid) {
    if (iid == IID_IDispatch) return static_cast<Interface*>(this);
    if (iid == kWrappedObjectId) return static_cast<WrappedObject*>(this);
    return nullptr;
  }

 private:
  LateBinding late_;
};

#pragma GCC diagnostic pop

}  // namespace velmora::com

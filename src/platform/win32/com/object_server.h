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

// One wrapper an object: while a client holds the wrapper of one of our
// objects, handing the object out again gives that same wrapper, so a
// client comparing the two (VBScript's Is, IUnknown pointers) sees one
// object. The table of wrappers is keyed by the object and holds no
// reference: a wrapper leaves it as it is destroyed, and an object never
// handed out is never in it.
//
// `make` gives a new wrapper's face with the caller's reference; `share`
// a new reference to a face the table lists, or null once the last one has
// gone and the wrapper is being destroyed.
using MakeWrapper = IDispatch* (*)(const ObjectRef& object);
using ShareWrapper = IDispatch* (*)(IDispatch* face);
IDispatch* sharedWrapper(const ObjectRef& object, MakeWrapper make, ShareWrapper share);
void forgetWrapper(const Object* object, const IDispatch* face);

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
  // The wrapper of `object` that clients hold, with a new reference.
  static IDispatch* handOut(const ObjectRef& object) {
    return sharedWrapper(object, &make, &share);
  }

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
  // Out of the table while the object is still held, so no new object can
  // take its address first.
  ~ObjectServer() { forgetWrapper(object().get(), static_cast<Interface*>(this)); }

  // IDispatch and the wrapper's own id; the derived class adds the rest.
  void* lateBoundInterface(REFIID iid) {
    if (iid == IID_IDispatch) return static_cast<Interface*>(this);
    if (iid == kWrappedObjectId) return static_cast<WrappedObject*>(this);
    return nullptr;
  }

 private:
  static IDispatch* make(const ObjectRef& object) {
    return static_cast<Interface*>(new Derived(object));
  }
  // The wrapper may already be in its destructor, waiting on the table's
  // lock: the cast is a fixed offset to the part still alive (no virtual
  // call), and only the count is read.
  static IDispatch* share(IDispatch* face) {
    auto* self = static_cast<ObjectServer*>(static_cast<Interface*>(face));
    return self->addRefUnlessReleased() ? face : nullptr;
  }

  LateBinding late_;
};

#pragma GCC diagnostic pop

}  // namespace velmora::com

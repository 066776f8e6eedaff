// What every COM object of the server shares: a reference count that deletes
// the object when the last reference goes, a module lock for as long as the
// object lives (so DllCanUnloadNow answers no while clients hold one), and
// QueryInterface for IUnknown plus whatever the object itself offers.
// An object that offers more than one interface names the others after
// the first, which also answers for IUnknown:
//
//   class Server final : public ComObject<Server, IDispatch, IPersistStreamInit> ...
//
//   class EnumVariant final : public ComObject<EnumVariant, IEnumVARIANT> {
//     ...
//     void* interfaceFor(REFIID iid) {  // besides IUnknown; null if none
//       return iid == IID_IEnumVARIANT ? static_cast<IEnumVARIANT*>(this) : nullptr;
//     }
//   };
//
// The derived class is named as the first argument (rather than reached
// through a virtual destructor) so that nothing is added to the interface's
// function table: clients see exactly the interface.
#pragma once

#include <windows.h>

#include <atomic>

#include "platform/win32/com/server_module.h"

namespace velmora::com {

// A COM object deletes itself in Release; no one deletes it through an
// interface pointer, whose destructor is not virtual by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

template <class Derived, class Interface, class... More>
class ComObject : public Interface, public More... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  // Defined once, these override the IUnknown members of every base.

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = iid == IID_IUnknown ? static_cast<Interface*>(this)
                               : static_cast<Derived*>(this)->interfaceFor(iid);
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  ComObject() { lockModule(); }
  ~ComObject() { unlockModule(); }

  // A new reference unless the last one has already gone and the object is
  // on its way to deletion: for a table that finds objects without holding
  // a reference of its own (it asks under the lock the destructor takes to
  // remove the object from it).
  bool addRefUnlessReleased() {
    ULONG n = refs_.load();
    while (n != 0) {
      if (refs_.compare_exchange_weak(n, n + 1)) return true;
    }
    return false;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

#pragma GCC diagnostic pop

}  // namespace velmora::com

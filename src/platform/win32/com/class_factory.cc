// The server's entry points for loading: one class factory per creatable
// class, and the answer to whether the DLL may be unloaded.
#include <commonvelmora/error.h>
#include <objbase.h>

#include <string>

#include "platform/win32/com/com_object.h"
#include "platform/win32/com/server_classes.h"
#include "platform/win32/com/server_module.h"
#include "platform/win32/text/wide_text.h"

namespace velmora::com {
namespace {

// A COM object deletes itself in Release; no one deletes it through an
// interface pointer, whose destructor is not virtual by design.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  explicit ClassFactory(const ServerClass& cls) : class_(cls) {}

  void* interfaceFor(REFIID iid) {
    return iid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    IUnknown* instance = nullptr;
    try {
      instance = class_.create();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;
    }
    if (instance == nullptr) return E_FAIL;
    const HRESULT hr = instance->QueryInterface(iid, out);
    instance->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      lockModule();
    } else {
      unlockModule();
    }
    return S_OK;
  }

 private:
  const ServerClass& class_;
};

}  // namespace
}  // namespace velmora::com

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  using namespace velmora::com;
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  for (const ServerClass& cls : serverClasses()) {
    CLSID id;
    const std::wstring text = velmora::win32::wideFromUtf8(cls.classId);
    if (FAILED(CLSIDFromString(text.c_str(), &id)) || !IsEqualCLSID(id, clsid)) continue;
    auto* factory = new (std::nothrow) ClassFactory(cls);
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return velmora::com::moduleInUse() ? S_FALSE : S_OK;
}

// A compiled client of the registered server: it creates CommonVelmora.Work
// by ProgID and calls it through the _Work function table, reading a failed
// slot's error as such a client does, and registers the suite's delegate
// component for the server to find. The late-bound calls are the script
// tests' (scripts/).
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
// The interface identifiers are defined here, as in any client of the header.
#include <initguid.h>

#include <string>

#include "check.h"
#include "platform/win32/com/interfaces.h"
#include "test_objects.h"

namespace {

using velmora::wintest::narrow;

const wchar_t kKey[] = L"Software\\Velmora, Ltd.\\ServerCheck";

_Work* createWork() {
  CLSID clsid;
  _Work* work = nullptr;
  if (SUCCEEDED(CLSIDFromProgID(L"CommonVelmora.Work", &clsid))) {
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__Work,
                     reinterpret_cast<void**>(&work));
  }
  return work;
}

// The function table in its slot order, as a compiled client calls it.
void earlyBound() {
  _Work* work = createWork();
  WCHECK(work != nullptr);
  if (work == nullptr) return;
  BSTR root = nullptr;
  WCHECK(work->get_RegestryString(&root) == S_OK);
  WCHECK_EQ(narrow(root), "Software\\Velmora, Ltd.\\");
  SysFreeString(root);
  WCHECK(work->put_AppNumber(akAuditViewer) == S_OK);
  App_Key code = akTradeManager;
  WCHECK(work->get_AppNumber(&code) == S_OK && code == akAuditViewer);
  VARIANT_BOOL exists = VARIANT_TRUE;
  BSTR file = SysAllocString(L"C:\\no\\such\\file.txt");
  WCHECK(work->CheckExistsFile(file, &exists) == S_OK && exists == VARIANT_FALSE);
  SysFreeString(file);
  LONG result = -1;
  BSTR key = SysAllocString(kKey);
  BSTR name = SysAllocString(L"Caption");
  VARIANT value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocString(L"Prices");
  WCHECK(work->SetRegistryValue(key, name, value, &result) == S_OK && result == 0);
  VariantClear(&value);
  // The code comes back through the reference, the value as the result.
  VARIANT none;
  V_VT(&none) = VT_ERROR;
  V_ERROR(&none) = DISP_E_PARAMNOTFOUND;
  WCHECK(work->ReadRegistryValue(key, name, &result, none, &value) == S_OK && result == 0 &&
         V_VT(&value) == VT_BSTR && narrow(V_BSTR(&value)) == "Prices");
  VariantClear(&value);
  WCHECK(work->DeleteRegistryValue(key, name, &result) == S_OK && result == 0);
  // A failing slot leaves the runtime's error in the thread's error object.
  ISupportErrorInfo* support = nullptr;
  work->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support));
  WCHECK(support != nullptr && support->InterfaceSupportsErrorInfo(IID__Work) == S_OK);
  if (support != nullptr) support->Release();
  VARIANT big;
  V_VT(&big) = VT_R8;
  V_R8(&big) = 1e12;
  WCHECK(work->SetRegistryValue(key, name, big, &result) == static_cast<HRESULT>(0x800A0006));
  IErrorInfo* error = nullptr;
  BSTR description = nullptr;
  if (GetErrorInfo(0, &error) == S_OK) {
    error->GetDescription(&description);
    error->Release();
  }
  WCHECK_EQ(narrow(description), "Overflow");
  SysFreeString(description);
  SysFreeString(key);
  SysFreeString(name);
  work->Release();
}

// A delegate component as the suite registers one with the system: it
// answers the log file name and nothing else.
class Delegate final : public velmora::wintest::NamedDispatch<Delegate, IClassFactory> {
 public:
  static constexpr const wchar_t* kNames[] = {L"LogFileName"};

  void* interfaceFor(REFIID iid) {
    if (iid == IID_IClassFactory) return static_cast<IClassFactory*>(this);
    return iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if ((flags & DISPATCH_PROPERTYGET) == 0 || result == nullptr) return DISP_E_MEMBERNOTFOUND;
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocString(L"C:\\Suite\\Delegated.log");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** out) override {
    return QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// The delegate registered under its ProgID for this process only.
void delegated() {
  const CLSID id = {0x3f2a9c41, 0x7d15, 0x4e08, {0xa2, 0x6b, 0x51, 0x9e, 0x0c, 0x84, 0xd3, 0x77}};
  const wchar_t clsid[] = L"{3F2A9C41-7D15-4E08-A26B-519E0C84D377}";
  RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Tarnlink.SQLConnect\\CLSID", nullptr, REG_SZ, clsid,
                  sizeof(clsid));
  static Delegate component;
  DWORD cookie = 0;
  WCHECK(SUCCEEDED(CoRegisterClassObject(id, static_cast<IClassFactory*>(&component),
                                         CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)));
  _Work* work = createWork();
  BSTR name = nullptr;
  WCHECK(work != nullptr && work->get_LogFileName(&name) == S_OK);
  WCHECK_EQ(narrow(name), "C:\\Suite\\Delegated.log");
  SysFreeString(name);
  if (work != nullptr) work->Release();
  CoRevokeClassObject(cookie);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Tarnlink.SQLConnect");
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  earlyBound();
  delegated();
  CoUninitialize();
  return velmora::wintest::summary();
}

// A client of the registered server, as the suite's applications are: it
// creates CommonVelmora.Work by ProgID and calls members late-bound by
// name (through IDispatch, the way scripts do) and early-bound through the
// _Work function table, and reads the errors a client reads.
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
// The interface identifiers are defined here, as in any client of the header.
#include <initguid.h>

#include <string>
#include <vector>

#include "check.h"
#include "platform/win32/com/interfaces.h"

namespace {

const wchar_t kKey[] = L"Software\\Velmora, Ltd.\\ServerCheck";

VARIANT text(const wchar_t* s) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(s);
  return v;
}

VARIANT byRef(LONG* target) {
  VARIANT v;
  V_VT(&v) = VT_I4 | VT_BYREF;
  V_I4REF(&v) = target;
  return v;
}

std::string narrow(BSTR s) {
  std::string out;
  for (UINT i = 0; s != nullptr && i < SysStringLen(s); ++i) out += static_cast<char>(s[i]);
  return out;
}

struct Call {
  HRESULT hr = E_FAIL;
  VARIANT result{};
  EXCEPINFO error{};
  ~Call() {
    VariantClear(&result);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrHelpFile);
  }
  std::string resultText() {
    VARIANT t;
    VariantInit(&t);
    if (FAILED(VariantChangeType(&t, &result, 0, VT_BSTR))) return "?";
    std::string out = narrow(V_BSTR(&t));
    VariantClear(&t);
    return out;
  }
};

// Calls `name` by name with `args` in the order written, as a script does.
void invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
            Call& call) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  call.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(call.hr)) return;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  UINT bad = 0;
  call.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &call.result,
                           &call.error, &bad);
  for (VARIANT& v : args) VariantClear(&v);
}

IDispatch* createWork() {
  CLSID clsid;
  IDispatch* work = nullptr;
  if (SUCCEEDED(CLSIDFromProgID(L"CommonVelmora.Work", &clsid))) {
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                     reinterpret_cast<void**>(&work));
  }
  return work;
}

void registryByName(IDispatch* work) {
  Call set;
  invoke(work, L"SetRegistryValue", DISPATCH_METHOD,
         {text(kKey), text(L"Caption"), text(L"Prices")}, set);
  WCHECK(set.hr == S_OK && V_VT(&set.result) == VT_I4 && V_I4(&set.result) == 0);

  LONG code = -1;
  Call read;
  invoke(work, L"ReadRegistryValue", DISPATCH_METHOD, {text(kKey), text(L"Caption"), byRef(&code)},
         read);
  WCHECK(read.hr == S_OK && code == 0);
  WCHECK_EQ(read.resultText(), "Prices");

  // The registry's own code reaches the client through the reference.
  Call missing;
  invoke(work, L"readregistryvalue", DISPATCH_METHOD,
         {text(kKey), text(L"NoSuchValue"), byRef(&code)}, missing);
  WCHECK(missing.hr == S_OK && code == ERROR_FILE_NOT_FOUND);
}

void propertiesByName(IDispatch* work, IDispatch* other) {
  Call root;
  invoke(work, L"RegestryString", DISPATCH_PROPERTYGET, {}, root);
  WCHECK_EQ(root.resultText(), "Software\\Velmora, Ltd.\\");

  // Two objects of one thread share the application code.
  VARIANT code;
  V_VT(&code) = VT_I4;
  V_I4(&code) = 1005;
  Call let, get;
  invoke(work, L"AppNumber", DISPATCH_PROPERTYPUT, {code}, let);
  invoke(other, L"AppNumber", DISPATCH_PROPERTYGET, {}, get);
  WCHECK(let.hr == S_OK);
  WCHECK_EQ(get.resultText(), "1005");

  // Optional arguments, by value and by reference, left out as a script
  // leaves them.
  Call message;
  invoke(work, L"MsgActivate", DISPATCH_METHOD, {text(L"Prices are stale")}, message);
  WCHECK(message.hr == S_OK);

  Call unknown;
  invoke(work, L"NoSuchMember", DISPATCH_METHOD, {}, unknown);
  WCHECK(unknown.hr == DISP_E_UNKNOWNNAME);
}

// The runtime's error reaches the client with its number and text.
void errors(IDispatch* work) {
  // A number is stored in the 32-bit hexadecimal form, which 1e12 exceeds.
  VARIANT big;
  V_VT(&big) = VT_R8;
  V_R8(&big) = 1e12;
  Call set;
  invoke(work, L"SetRegistryValue", DISPATCH_METHOD, {text(kKey), text(L"Big"), big}, set);
  WCHECK(set.hr == DISP_E_EXCEPTION);
  WCHECK(set.error.scode == static_cast<HRESULT>(0x800A0006));
  WCHECK_EQ(narrow(set.error.bstrDescription), "Overflow");
}

// The function table in its slot order, as a compiled client calls it.
void earlyBound(IDispatch* dispatch) {
  _Work* work = nullptr;
  WCHECK(SUCCEEDED(dispatch->QueryInterface(IID__Work, reinterpret_cast<void**>(&work))));
  if (work == nullptr) return;
  BSTR root = nullptr;
  WCHECK(work->get_RegestryString(&root) == S_OK);
  WCHECK_EQ(narrow(root), "Software\\Velmora, Ltd.\\");
  SysFreeString(root);
  WCHECK(work->put_AppNumber(akAuditViewer) == S_OK);
  App_Key code = akTradeManager;
  WCHECK(work->get_AppNumber(&code) == S_OK && code == akAuditViewer);
  VARIANT_BOOL exists = VARIANT_TRUE;
  BSTR none = SysAllocString(L"C:\\no\\such\\file.txt");
  WCHECK(work->CheckExistsFile(none, &exists) == S_OK && exists == VARIANT_FALSE);
  SysFreeString(none);
  LONG result = -1;
  BSTR key = SysAllocString(kKey);
  BSTR name = SysAllocString(L"Caption");
  WCHECK(work->DeleteRegistryValue(key, name, &result) == S_OK && result == 0);
  SysFreeString(key);
  SysFreeString(name);
  work->Release();
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  IDispatch* work = createWork();
  IDispatch* other = createWork();
  WCHECK(work != nullptr && other != nullptr);
  if (work != nullptr && other != nullptr) {
    registryByName(work);
    propertiesByName(work, other);
    errors(work);
    earlyBound(work);
  }
  if (work != nullptr) work->Release();
  if (other != nullptr) other->Release();
  CoUninitialize();
  return velmora::wintest::summary();
}

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

VARIANT byRefVariant(VARIANT* target) {
  VARIANT v;
  V_VT(&v) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&v) = target;
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

IDispatch* create(const wchar_t* progId) {
  CLSID clsid;
  IDispatch* object = nullptr;
  if (SUCCEEDED(CLSIDFromProgID(progId, &clsid))) {
    CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(&object));
  }
  return object;
}

VARIANT number(LONG n) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = n;
  return v;
}

VARIANT objectRef(IDispatch** target) {
  VARIANT v;
  V_VT(&v) = VT_DISPATCH | VT_BYREF;
  V_DISPATCHREF(&v) = target;
  return v;
}

VARIANT arrayRef(SAFEARRAY** target) {
  VARIANT v;
  V_VT(&v) = VT_ARRAY | VT_VARIANT | VT_BYREF;
  V_ARRAYREF(&v) = target;
  return v;
}

// A one-dimensional variant array from `lbound`.
SAFEARRAY* list(LONG lbound, std::vector<VARIANT> items) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(items.size()), lbound};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
  for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
    LONG at = lbound + i;
    SafeArrayPutElement(array, &at, &items[static_cast<std::size_t>(i)]);
    VariantClear(&items[static_cast<std::size_t>(i)]);
  }
  return array;
}

std::string countOf(IDispatch* collection) {
  Call count;
  invoke(collection, L"Count", DISPATCH_PROPERTYGET, {}, count);
  return count.resultText();
}

// Property trees created by ProgID and by Work, and objects and arrays
// through the late-bound members: ours come back as themselves, a client's
// is called by name.
void objectsAndArrays(IDispatch* work) {
  IDispatch* tree = create(L"CommonVelmora.KZProperties");
  WCHECK(tree != nullptr);
  if (tree == nullptr) return;
  Call add;
  invoke(tree, L"Add", DISPATCH_METHOD, {text(L"Width"), number(5)}, add);
  WCHECK(add.hr == S_OK && V_VT(&add.result) == VT_DISPATCH);
  Call value;
  if (V_VT(&add.result) == VT_DISPATCH) {
    invoke(V_DISPATCH(&add.result), L"Value", DISPATCH_PROPERTYGET, {}, value);
  }
  WCHECK_EQ(value.resultText(), "5");

  // The default member of a property is its value.
  Call byDefault;
  DISPPARAMS noArguments{nullptr, nullptr, 0, 0};
  if (V_VT(&add.result) == VT_DISPATCH) {
    byDefault.hr = V_DISPATCH(&add.result)
                       ->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                &noArguments, &byDefault.result, nullptr, nullptr);
  }
  WCHECK_EQ(byDefault.resultText(), "5");

  SAFEARRAY* args = list(0, {text(L"Height"), number(7)});
  Call exec;
  invoke(work, L"ExecMetod", DISPATCH_METHOD, {objectRef(&tree), text(L"Add"), arrayRef(&args)},
         exec);
  WCHECK(exec.hr == S_OK && V_VT(&exec.result) == VT_BOOL && V_BOOL(&exec.result) == VARIANT_TRUE);
  WCHECK_EQ(countOf(tree), "2");

  // For Each over the collection's items, as a client enumerates them.
  Call items, walk;
  invoke(tree, L"PropCollection", DISPATCH_PROPERTYGET, {}, items);
  if (V_VT(&items.result) == VT_DISPATCH) {
    walk.hr = V_DISPATCH(&items.result)
                  ->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                           DISPATCH_METHOD | DISPATCH_PROPERTYGET, &noArguments, &walk.result,
                           nullptr, nullptr);
  }
  IEnumVARIANT* each = nullptr;
  if (V_VT(&walk.result) == VT_UNKNOWN) {
    V_UNKNOWN(&walk.result)->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&each));
  }
  WCHECK(each != nullptr);
  if (each != nullptr) {
    VARIANT found[3];
    ULONG fetched = 0;
    WCHECK(each->Next(3, found, &fetched) == S_FALSE && fetched == 2);
    for (ULONG i = 0; i < fetched; ++i) VariantClear(&found[i]);
    each->Release();
  }

  IDispatch* dictionary = create(L"Scripting.Dictionary");
  WCHECK(dictionary != nullptr);
  if (dictionary != nullptr) {
    Call put;
    invoke(dictionary, L"Add", DISPATCH_METHOD, {text(L"Key"), number(9)}, put);
    SAFEARRAY* noArgs = nullptr;
    VARIANT counted = number(-1);
    Call onTheirs;
    invoke(work, L"ReturnProperty", DISPATCH_METHOD,
           {objectRef(&dictionary), text(L"Count"), byRefVariant(&counted), arrayRef(&noArgs)},
           onTheirs);
    WCHECK(V_VT(&onTheirs.result) == VT_BOOL && V_BOOL(&onTheirs.result) == VARIANT_TRUE);
    WCHECK(V_VT(&counted) == VT_I4 && V_I4(&counted) == 1);
    dictionary->Release();
  }

  Call fresh;
  invoke(work, L"GetKZProperties", DISPATCH_METHOD, {}, fresh);
  WCHECK(V_VT(&fresh.result) == VT_DISPATCH && V_DISPATCH(&fresh.result) != nullptr);
  if (V_VT(&fresh.result) == VT_DISPATCH) WCHECK_EQ(countOf(V_DISPATCH(&fresh.result)), "0");

  // Lower bound 1 holds elements; a never-dimensioned array holds none.
  Call holds, none;
  SAFEARRAY* never = nullptr;
  invoke(work, L"CheckArray", DISPATCH_METHOD, {arrayRef(&args)}, holds);
  invoke(work, L"CheckArray", DISPATCH_METHOD, {arrayRef(&never)}, none);
  WCHECK(V_VT(&holds.result) == VT_BOOL && V_BOOL(&holds.result) == VARIANT_TRUE);
  WCHECK(V_VT(&none.result) == VT_BOOL && V_BOOL(&none.result) == VARIANT_FALSE);
  SafeArrayDestroy(args);
  tree->Release();
}

// A whole key read as its two-dimensional table and written to another key.
void wholeKeys(IDispatch* work) {
  Call read;
  invoke(work, L"ReadAllValue", DISPATCH_METHOD, {text(kKey)}, read);
  WCHECK(V_VT(&read.result) == (VT_ARRAY | VT_VARIANT) &&
         SafeArrayGetDim(V_ARRAY(&read.result)) == 2);
  Call write, back;
  invoke(work, L"SetAllValue", DISPATCH_METHOD,
         {text(L"Software\\Velmora, Ltd.\\ServerCopy"), byRefVariant(&read.result)}, write);
  WCHECK(write.hr == S_OK && V_I4(&write.result) == 0);
  LONG code = -1;
  invoke(work, L"ReadRegistryValue", DISPATCH_METHOD,
         {text(L"Software\\Velmora, Ltd.\\ServerCopy"), text(L"Caption"), byRef(&code)}, back);
  WCHECK_EQ(back.resultText(), "Prices");
}

// A delegate component as the suite registers one with the system: it
// answers the log file name and nothing else. COM objects end in Release.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Delegate final : public IDispatch, public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
    } else if (iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives in main
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) override {
    if (_wcsicmp(names[0], L"LogFileName") != 0) return DISP_E_UNKNOWNNAME;
    *ids = 1;
    return S_OK;
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
  IDispatch* work = createWork();
  Call name;
  invoke(work, L"LogFileName", DISPATCH_PROPERTYGET, {}, name);
  WCHECK_EQ(name.resultText(), "C:\\Suite\\Delegated.log");
  work->Release();
  CoRevokeClassObject(cookie);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Tarnlink.SQLConnect");
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
    objectsAndArrays(work);
    wholeKeys(work);
    delegated();
    earlyBound(work);
  }
  if (work != nullptr) work->Release();
  if (other != nullptr) other->Release();
  CoUninitialize();
  return velmora::wintest::summary();
}

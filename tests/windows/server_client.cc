// A compiled client of the registered server, as a form is: it creates the
// classes by ProgID and calls them through their function tables (_Work,
// _KZProperties, _KZProperty), asking about a failed slot's error as such a
// client does; it registers the suite's delegate component for the server to find;
// it persists property trees into a stream and into a property bag of its
// own, as it persists its controls; and it hands a system picture to Work
// and gets a picture back. The late-bound calls are the script tests'
// (scripts/).
#include <oaidl.h>
#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>
#include <windows.h>
// The interface identifiers are defined here, as in any client of the header.
#include <initguid.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "check.h"
#include "platform/win32/com/interfaces.h"
#include "test_objects.h"

namespace {

using velmora::wintest::narrow;

const wchar_t kKey[] = L"Software\\Velmora, Ltd.\\ServerCheck";

template <class Interface>
Interface* create(const wchar_t* progId, REFIID iid) {
  CLSID clsid{};
  Interface* object = nullptr;
  if (SUCCEEDED(CLSIDFromProgID(progId, &clsid))) {
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&object));
  }
  return object;
}
_Work* createWork() { return create<_Work>(L"CommonVelmora.Work", IID__Work); }
_KZProperties* newTree() {
  return create<_KZProperties>(L"CommonVelmora.KZProperties", IID__KZProperties);
}

template <class Interface>
Interface* as(IUnknown* object, REFIID iid) {
  Interface* out = nullptr;
  if (object != nullptr) object->QueryInterface(iid, reinterpret_cast<void**>(&out));
  return out;
}

VARIANT number(LONG n) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = n;
  return v;
}
VARIANT text(const wchar_t* s) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(s);
  return v;
}

// A failing _Work slot called as a compiled client calls it. The scripts
// reach the same slots through DispInvoke (by-reference arguments too) and
// read the text of the error object a failure leaves; a compiled client
// asks first whether the object keeps one, and reads the code it returns.
void earlyBound() {
  _Work* work = createWork();
  WCHECK(work != nullptr);
  if (work == nullptr) return;
  ISupportErrorInfo* support = as<ISupportErrorInfo>(work, IID_ISupportErrorInfo);
  WCHECK(support != nullptr && support->InterfaceSupportsErrorInfo(IID__Work) == S_OK);
  if (support != nullptr) support->Release();
  LONG result = -1;
  BSTR key = SysAllocString(kKey);
  BSTR name = SysAllocString(L"Caption");
  VARIANT big;
  V_VT(&big) = VT_R8;
  V_R8(&big) = 1e12;
  WCHECK(work->SetRegistryValue(key, name, big, &result) == static_cast<HRESULT>(0x800A0006));
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
    return NamedDispatch::interfaceFor(iid);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if ((flags & DISPATCH_PROPERTYGET) == 0 || result == nullptr) return DISP_E_MEMBERNOTFOUND;
    *result = text(L"C:\\Suite\\Delegated.log");
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

// The container's side of IPersistPropertyBag: named values kept in memory.
class Bag final : public velmora::wintest::Unowned<Bag, IPropertyBag> {
 public:
  ~Bag() {
    for (auto& entry : entries_) VariantClear(&entry.second);
  }
  void* interfaceFor(REFIID iid) {
    return iid == IID_IPropertyBag ? static_cast<IPropertyBag*>(this) : nullptr;
  }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    const auto found = entries_.find(name);
    return found == entries_.end() ? E_INVALIDARG : VariantCopy(value, &found->second);
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
    VARIANT& slot = entries_[name];
    VariantClear(&slot);
    return VariantCopy(&slot, value);
  }

 private:
  std::map<std::wstring, VARIANT> entries_;
};

void add(_KZProperties* tree, const wchar_t* name, VARIANT value, bool readOnly = false) {
  BSTR key = SysAllocString(name);
  _KZProperty* item = nullptr;
  WCHECK(tree->Add(key, value, readOnly ? VARIANT_TRUE : VARIANT_FALSE, &item) == S_OK);
  if (item != nullptr) item->Release();
  SysFreeString(key);
  VariantClear(&value);
}

// What a stream holds after `object` saved itself into it.
std::vector<char> saved(IUnknown* object) {
  std::vector<char> bytes;
  IStream* stream = nullptr;
  auto* persist = as<IPersistStreamInit>(object, IID_IPersistStreamInit);
  if (persist == nullptr || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return bytes;
  ULARGE_INTEGER size{};
  WCHECK(persist->Save(stream, TRUE) == S_OK && persist->GetSizeMax(&size) == S_OK);
  bytes.resize(size.QuadPart);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  ULONG got = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
  WCHECK(got == bytes.size() && persist->IsDirty() == S_FALSE);
  stream->Release();
  persist->Release();
  return bytes;
}

// What `object` answers when it loads itself from a stream holding `bytes`;
// a load that succeeds leaves it clean.
HRESULT load(IUnknown* object, const std::vector<char>& bytes) {
  IStream* stream = nullptr;
  auto* persist = as<IPersistStreamInit>(object, IID_IPersistStreamInit);
  if (persist == nullptr || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return E_FAIL;
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  const HRESULT result = persist->Load(stream);
  if (SUCCEEDED(result)) WCHECK(persist->IsDirty() == S_FALSE);
  stream->Release();
  persist->Release();
  return result;
}

void release(std::initializer_list<IUnknown*> objects) {
  for (IUnknown* o : objects) {
    if (o != nullptr) o->Release();
  }
}

// A tree of two levels through the function tables. What its members read
// is the scripts' to check: each slot calls the member of its name.
_KZProperties* sampleTree() {
  _KZProperties* tree = newTree();
  _KZProperties* grid = newTree();
  if (tree == nullptr || grid == nullptr) return tree;
  add(grid, L"Sort", text(L"Price"));
  add(tree, L"Width", number(120));
  add(tree, L"Caption", text(L"Prices"), true);
  VARIANT inner;
  V_VT(&inner) = VT_DISPATCH;
  V_DISPATCH(&inner) = grid;  // handed over: add() clears it
  add(tree, L"Grid", inner);

  LONG count = 0;
  WCHECK(tree->get_Count(&count) == S_OK && count == 3);
  return tree;
}

void throughStreams(_KZProperties* tree) {
  // What a copy loaded from the stream saves again is what the tree saved.
  const std::vector<char> bytes = saved(tree);
  _KZProperties* copy = newTree();
  if (copy == nullptr) return;
  WCHECK(load(copy, bytes) == S_OK && saved(copy) == bytes);
  auto* persist = as<IPersistStreamInit>(copy, IID_IPersistStreamInit);
  add(copy, L"Height", number(7));
  WCHECK(persist != nullptr && persist->IsDirty() == S_OK);
  if (persist != nullptr) persist->Release();
  copy->Release();

  // A stream that ends before the length it gives loads nothing.
  _KZProperties* broken = newTree();
  WCHECK(broken != nullptr &&
         FAILED(load(broken, std::vector<char>(bytes.begin(), bytes.end() - 1))));
  release({broken});
}

void throughPropertyBag(_KZProperties* tree) {
  Bag bag;
  auto* saver = as<IPersistPropertyBag>(tree, IID_IPersistPropertyBag);
  WCHECK(saver != nullptr && saver->Save(&bag, TRUE, TRUE) == S_OK);
  _KZProperties* copy = newTree();
  auto* loader = as<IPersistPropertyBag>(copy, IID_IPersistPropertyBag);
  WCHECK(loader != nullptr && loader->Load(&bag, nullptr) == S_OK);
  if (copy != nullptr) WCHECK(saved(copy) == saved(tree));
  release({saver, loader, copy});
}

DISPID idOf(IDispatch* object, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// While the client holds a property, handing it out again gives the same
// COM object. Released, the wrapper goes: the next one has handed out no
// member ids yet, so its first name gets the first id. It answers through
// its own function table too, in the one slot that converts its result itself.
void oneWrapper(_KZProperties* tree) {
  _KZProperty* first = nullptr;
  _KZProperty* second = nullptr;
  tree->get_Properties(number(1), &first);
  tree->get_Properties(number(1), &second);
  IUnknown* one = as<IUnknown>(first, IID_IUnknown);
  IUnknown* two = as<IUnknown>(second, IID_IUnknown);
  WCHECK(one != nullptr && one == two);
  const DISPID firstId = one != nullptr ? idOf(first, L"Zeta") : DISPID_UNKNOWN;
  release({first, second, one, two});
  _KZProperty* again = nullptr;
  WCHECK(tree->get_Properties(number(1), &again) == S_OK && again != nullptr);
  if (again != nullptr) {
    WCHECK(firstId != DISPID_UNKNOWN && idOf(again, L"Alpha") == firstId);
    short type = -1;
    WCHECK(again->get_ValueType(&type) == S_OK && type == 2);
    again->Release();
  }
}

// A 4 x 2 bitmap file, loaded as the system loads a picture.
IPictureDisp* systemPicture() {
  BYTE file[78] = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                   0,   0,   0,  4, 0, 0, 0, 2, 0, 0, 0,  1, 0, 24, 0};
  for (std::size_t i = 54; i < sizeof file; ++i) file[i] = static_cast<BYTE>(i * 7);
  IStream* stream = nullptr;
  IPictureDisp* picture = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return nullptr;
  stream->Write(file, sizeof file, nullptr);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  OleLoadPicture(stream, sizeof file, FALSE, IID_IPictureDisp, reinterpret_cast<void**>(&picture));
  stream->Release();
  return picture;
}

// A picture property by the id the system gives it.
LONG pictureProperty(IDispatch* picture, DISPID id) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  if (picture == nullptr ||
      FAILED(picture->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                             nullptr, nullptr)) ||
      FAILED(VariantChangeType(&value, &value, 0, VT_I4))) {
    return -1;
  }
  return V_I4(&value);
}

std::vector<BYTE> bytesOf(const VARIANT& array) {
  std::vector<BYTE> bytes;
  if (V_VT(&array) != (VT_ARRAY | VT_UI1)) return bytes;
  void* data = nullptr;
  SafeArrayAccessData(V_ARRAY(&array), &data);
  bytes.assign(static_cast<BYTE*>(data),
               static_cast<BYTE*>(data) + V_ARRAY(&array)->rgsabound[0].cElements);
  SafeArrayUnaccessData(V_ARRAY(&array));
  return bytes;
}

// Bytes to picture to bytes, from a system picture and from ours. The other
// pair's bytes are the library's own, the same on every platform.
void pictures() {
  _Work* work = createWork();
  IPictureDisp* system = systemPicture();
  WCHECK(work != nullptr && system != nullptr);
  if (work == nullptr || system == nullptr) return;
  VARIANT first, second;
  WCHECK(work->GetImageData(&system, &first) == S_OK && bytesOf(first).size() > 78);
  SAFEARRAY* data = V_VT(&first) == (VT_ARRAY | VT_UI1) ? V_ARRAY(&first) : nullptr;
  IPictureDisp* ours = nullptr;
  WCHECK(work->GetDataImage(&data, &ours) == S_OK && ours != nullptr);
  V_ARRAY(&first) = data;  // an argument in and out may come back as another array
  WCHECK(pictureProperty(ours, DISPID_PICT_HANDLE) > 0);
  WCHECK(pictureProperty(ours, DISPID_PICT_TYPE) == PICTYPE_BITMAP);
  for (DISPID side : {DISPID_PICT_WIDTH, DISPID_PICT_HEIGHT}) {
    WCHECK(pictureProperty(ours, side) == pictureProperty(system, side));
  }
  WCHECK(work->GetImageData(&ours, &second) == S_OK && bytesOf(second) == bytesOf(first));
  for (VARIANT* v : {&first, &second}) VariantClear(v);
  release({work, system, ours});
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  earlyBound();
  delegated();
  _KZProperties* tree = sampleTree();
  WCHECK(tree != nullptr);
  if (tree != nullptr) {
    throughStreams(tree);
    throughPropertyBag(tree);
    oneWrapper(tree);
    tree->Release();
  }
  pictures();
  CoUninitialize();
  return velmora::wintest::summary();
}

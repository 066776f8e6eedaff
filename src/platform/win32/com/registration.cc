// Registering the server: each creatable class under its class identifier
// (the DLL as its in-process server, apartment threaded) and its ProgID,
// and the type library, so clients bind by name and by identifier alike.
#include <commonvelmora/identifiers.h>
#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>
#include <windows.h>

#include <string>

#include "platform/win32/com/interfaces.h"
#include "platform/win32/com/server_classes.h"
#include "platform/win32/com/server_module.h"
#include "platform/win32/text/wide_text.h"

namespace velmora::com {
namespace {

bool setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS status =
      RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

}  // namespace
}  // namespace velmora::com

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  using namespace velmora::com;
  using velmora::win32::wideFromUtf8;
  const std::wstring path = modulePath();
  for (const ServerClass& cls : serverClasses()) {
    const std::wstring progId = wideFromUtf8(cls.progId);
    const std::wstring clsid = wideFromUtf8(cls.classId);
    const std::wstring key = L"CLSID\\" + clsid;
    const bool ok =
        setValue(key, nullptr, progId) && setValue(key + L"\\InprocServer32", nullptr, path) &&
        setValue(key + L"\\InprocServer32", L"ThreadingModel", std::wstring(L"Apartment")) &&
        setValue(key + L"\\ProgID", nullptr, progId) &&
        setValue(key + L"\\TypeLib", nullptr, wideFromUtf8(velmora::ids::kTypeLibraryId)) &&
        setValue(progId, nullptr, progId) && setValue(progId + L"\\CLSID", nullptr, clsid);
    if (!ok) return SELFREG_E_CLASS;
  }
  ITypeLib* lib = loadTypeLibrary();
  if (lib == nullptr) return SELFREG_E_TYPELIB;
  const HRESULT hr = RegisterTypeLib(lib, std::wstring(path).data(), nullptr);
  lib->Release();
  return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  using namespace velmora::com;
  using velmora::win32::wideFromUtf8;
  for (const ServerClass& cls : serverClasses()) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + wideFromUtf8(cls.classId)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, wideFromUtf8(cls.progId).c_str());
  }
  UnRegisterTypeLib(LIBID_CommonVelmora, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
  return S_OK;
}

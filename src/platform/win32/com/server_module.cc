#include "platform/win32/com/server_module.h"

#include <windows.h>
// After windows.h: the identifiers are defined in this one file.
#include <initguid.h>
#include <oleauto.h>

#include <atomic>
#include <map>
#include <mutex>

#include "platform/win32/com/interfaces.h"

namespace velmora::com {
namespace {

std::atomic<long> locks{0};

HMODULE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&thisModule), &module);
  return module;
}

}  // namespace

std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(thisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void lockModule() { ++locks; }
void unlockModule() { --locks; }
bool moduleInUse() { return locks.load() != 0; }

ITypeLib* loadTypeLibrary() {
  ITypeLib* lib = nullptr;
  if (FAILED(LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, &lib))) return nullptr;
  return lib;
}

ITypeInfo* interfaceTypeInfo(REFIID iid) {
  // Type information is free-threaded; the table is guarded for the first
  // load from two apartments at once. Entries live as long as the process.
  static std::mutex guard;
  static auto* const loaded = new std::map<GUID, ITypeInfo*, bool (*)(const GUID&, const GUID&)>(
      [](const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) < 0; });
  const std::lock_guard<std::mutex> hold(guard);
  if (auto it = loaded->find(iid); it != loaded->end()) return it->second;
  ITypeLib* lib = loadTypeLibrary();
  if (lib == nullptr) return nullptr;
  ITypeInfo* dispatch = nullptr;
  ITypeInfo* vtable = nullptr;
  HREFTYPE ref = 0;
  if (SUCCEEDED(lib->GetTypeInfoOfGuid(iid, &dispatch))) {
    if (SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref))) {
      dispatch->GetRefTypeInfo(ref, &vtable);
    }
    dispatch->Release();
  }
  lib->Release();
  if (vtable != nullptr) (*loaded)[iid] = vtable;
  return vtable;
}

}  // namespace velmora::com

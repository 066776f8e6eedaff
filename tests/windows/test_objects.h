// COM objects that a Windows test program owns itself (a script host's
// objects, a stand-in component it registers, a container's property bag):
// they outlive every use the server makes of them, so their reference counts
// are not kept.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <iterator>
#include <string>

namespace velmora::wintest {

// ASCII text of a wide string; other characters as "?".
inline std::string narrow(const wchar_t* s) {
  std::string out;
  for (; s != nullptr && *s != 0; ++s) out += static_cast<char>(*s < 128 ? *s : '?');
  return out;
}

// COM objects end in Release; none is deleted through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// IUnknown over the interfaces First, More...: QueryInterface answers the
// interfaces that Self::interfaceFor(iid) names.
template <class Self, class First, class... More>
class Unowned : public First, public More... {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown ? static_cast<void*>(static_cast<First*>(this))
                               : static_cast<Self*>(this)->interfaceFor(iid);
    return *out == nullptr ? E_NOINTERFACE : S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

 protected:
  ~Unowned() = default;
};

// A late-bound object without type information: the names of Self::kNames
// (any letter case) have the ids 1, 2, ...; Self writes Invoke.
template <class Self, class... More>
class NamedDispatch : public Unowned<Self, IDispatch, More...> {
 public:
  void* interfaceFor(REFIID iid) {
    return iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) override {
    for (DISPID i = 0; i < static_cast<DISPID>(std::size(Self::kNames)); ++i) {
      if (_wcsicmp(names[0], Self::kNames[i]) == 0) {
        *ids = i + 1;
        return S_OK;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }

 protected:
  ~NamedDispatch() = default;
};

#pragma GCC diagnostic pop

}  // namespace velmora::wintest

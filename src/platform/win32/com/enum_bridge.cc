#include "platform/win32/com/enum_bridge.h"

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <utility>

#include "platform/win32/com/com_object.h"
#include "platform/win32/com/server_module.h"
#include "platform/win32/com/variant_bridge.h"

namespace velmora::com {
namespace {

#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class EnumVariant final : public ComObject<EnumVariant, IEnumVARIANT> {
 public:
  explicit EnumVariant(std::unique_ptr<Enumerator> items) : items_(std::move(items)) {}

  void* interfaceFor(REFIID iid) {
    return iid == IID_IEnumVARIANT ? static_cast<IEnumVARIANT*>(this) : nullptr;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    ULONG n = 0;
    try {
      Variant item;
      while (n < count && items_->next(item)) {
        VariantInit(&out[n]);
        toVariant(item, &out[n]);
        ++n;
      }
    } catch (...) {
      for (ULONG i = 0; i < n; ++i) VariantClear(&out[i]);
      if (fetched != nullptr) *fetched = 0;
      return E_FAIL;
    }
    if (fetched != nullptr) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    Variant item;
    for (ULONG i = 0; i < count; ++i) {
      if (!items_->next(item)) return S_FALSE;
    }
    return S_OK;
  }
  // Our enumerators run forward once, as For Each uses them.
  HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  std::unique_ptr<Enumerator> items_;
};

class ClientEnumerator final : public Enumerator {
 public:
  explicit ClientEnumerator(IEnumVARIANT* items) : items_(items) {}
  ClientEnumerator(const ClientEnumerator&) = delete;
  ClientEnumerator& operator=(const ClientEnumerator&) = delete;
  ~ClientEnumerator() override { items_->Release(); }

  bool next(Variant& out) override {
    VARIANT item;
    VariantInit(&item);
    ULONG fetched = 0;
    if (items_->Next(1, &item, &fetched) != S_OK || fetched != 1) return false;
    try {
      out = fromVariant(item);
    } catch (...) {
      VariantClear(&item);
      throw;
    }
    VariantClear(&item);
    return true;
  }

 private:
  IEnumVARIANT* items_;
};

}  // namespace

IEnumVARIANT* enumVariantFrom(std::unique_ptr<Enumerator> items) {
  return new EnumVariant(std::move(items));
}

std::unique_ptr<Enumerator> enumeratorFrom(IEnumVARIANT* items) {
  return std::make_unique<ClientEnumerator>(items);
}

}  // namespace velmora::com

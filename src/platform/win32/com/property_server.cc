// What a client saves of a property or collection is the contents of the
// library's own property bag after the object wrote itself into it: the
// bytes a tree nested in any bag is stored as. A stream holds their length
// (32 bits, little endian) before them, since a form writes one object after
// another into one stream; a client's property bag holds them as the byte
// array of a single entry.
#include "platform/win32/com/property_server.h"

#include <commonvelmora/error.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/kz_property.h>
#include <commonvelmora/property_bag.h>
#include <ocidl.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/win32/com/interfaces.h"
#include "platform/win32/com/object_server.h"
#include "platform/win32/com/slot_values.h"
#include "platform/win32/com/variant_bridge.h"
#include "platform/win32/text/wide_text.h"

namespace velmora::com {
namespace {

#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

constexpr wchar_t kBagEntry[] = L"Contents";

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void invalidFormat() { throw AutomationError(err::kBadFileFormat); }

void readExactly(IStream* stream, std::span<std::uint8_t> into) {
  ULONG got = 0;
  if (FAILED(stream->Read(into.data(), static_cast<ULONG>(into.size()), &got)) ||
      got != into.size()) {
    invalidFormat();
  }
}

HRESULT writeAll(IStream* stream, std::span<const std::uint8_t> bytes) {
  ULONG put = 0;
  const HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &put);
  return FAILED(hr) ? hr : put != bytes.size() ? STG_E_MEDIUMFULL : S_OK;
}

// The stream's length is untrusted: the contents are read as they arrive,
// so a length beyond the stream's end fails instead of allocating it.
Bytes readStreamed(IStream* stream) {
  std::uint8_t header[4];
  readExactly(stream, header);
  const std::uint32_t length =
      header[0] | header[1] << 8 | header[2] << 16 | static_cast<std::uint32_t>(header[3]) << 24;
  Bytes bytes;
  constexpr std::size_t kChunk = 64 * 1024;
  while (bytes.size() < length) {
    const std::size_t at = bytes.size();
    bytes.resize(at + std::min<std::size_t>(kChunk, length - at));
    readExactly(stream, std::span(bytes).subspan(at));
  }
  return bytes;
}

// IPersistStreamInit and IPersistPropertyBag over the object's own
// persistence. Dirty means that saving now would store something other
// than what was last loaded or saved.
template <class Derived>
class Persistence : public IPersistStreamInit, public IPersistPropertyBag {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override {
    if (out == nullptr) return E_POINTER;
    return guarded([&] {
      const std::wstring text = win32::wideFromUtf8(Derived::kClassId);
      if (FAILED(CLSIDFromString(text.c_str(), out))) throw AutomationError(err::kTypeMismatch);
    });
  }
  HRESULT STDMETHODCALLTYPE IsDirty() override {
    bool dirty = true;
    const HRESULT hr = guarded([&] { dirty = contents() != saved_; });
    return FAILED(hr) ? hr : dirty ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE InitNew() override {
    return guarded([&] { saved_ = contents(); });
  }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
    if (size == nullptr) return E_POINTER;
    return guarded([&] { size->QuadPart = 4 + contents().size(); });
  }

  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
    if (stream == nullptr) return E_POINTER;
    return guarded([&] { load(readStreamed(stream)); });
  }
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override {
    if (stream == nullptr) return E_POINTER;
    Bytes bytes;
    HRESULT hr = guarded([&] { bytes = contents(); });
    if (FAILED(hr)) return hr;
    const auto n = static_cast<std::uint32_t>(bytes.size());
    const std::uint8_t header[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                    static_cast<std::uint8_t>(n >> 16),
                                    static_cast<std::uint8_t>(n >> 24)};
    hr = writeAll(stream, header);
    if (SUCCEEDED(hr)) hr = writeAll(stream, bytes);
    if (SUCCEEDED(hr) && clearDirty) saved_ = std::move(bytes);
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override {
    if (bag == nullptr) return E_POINTER;
    VARIANT entry;
    VariantInit(&entry);
    HRESULT hr = bag->Read(kBagEntry, &entry, log);
    if (FAILED(hr)) return hr;
    hr = guarded([&] {
      const Variant value = fromVariant(entry);
      if (!value.isArray() || value.array().elementType() != VarType::Byte) invalidFormat();
      load(value.array().bytes());
    });
    VariantClear(&entry);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL) override {
    if (bag == nullptr) return E_POINTER;
    VARIANT entry;
    VariantInit(&entry);
    HRESULT hr = guarded([&] {
      Bytes bytes = contents();
      toVariant(Variant(SafeArray::ofBytes(bytes)), &entry);
      if (clearDirty) saved_ = std::move(bytes);
    });
    if (SUCCEEDED(hr)) hr = bag->Write(kBagEntry, &entry);
    VariantClear(&entry);
    return hr;
  }

 protected:
  void* persistenceInterface(REFIID iid) {
    if (iid == IID_IPersist || iid == IID_IPersistStreamInit || iid == IID_IPersistStream) {
      // IPersistStream's table is the first part of IPersistStreamInit's.
      return static_cast<IPersistStreamInit*>(this);
    }
    return iid == IID_IPersistPropertyBag ? static_cast<IPersistPropertyBag*>(this) : nullptr;
  }

 private:
  Object& target() { return *static_cast<Derived*>(this)->object(); }

  Bytes contents() {
    PropertyBag bag;
    target().writeProperties(bag);
    return bag.contents();
  }
  void load(Bytes bytes) {
    PropertyBag bag;
    bag.setContents(bytes);
    target().readProperties(bag);
    saved_ = std::move(bytes);
  }

  Bytes saved_;
};

auto none() {
  return [] { return std::vector<Variant>(); };
}

// The slots of both dual interfaces call the member of the same name, so
// the member table's conversions and rules apply as for late-bound callers.
template <class Derived, class Interface>
class DualServer : public ObjectServer<Derived, Interface, Persistence<Derived>> {
 public:
  void* interfaceFor(REFIID iid) {
    if (void* late = this->lateBoundInterface(iid)) return late;
    if (iid == Derived::kInterfaceId) return static_cast<Interface*>(this);
    return this->persistenceInterface(iid);
  }

 protected:
  explicit DualServer(ObjectRef object)
      : ObjectServer<Derived, Interface, Persistence<Derived>>(std::move(object)) {}

  template <class MakeArgs, class Out>
  HRESULT call(const char* name, CallKind kind, MakeArgs makeArgs, Out* out) {
    return guarded([&] {
      std::vector<Variant> args = makeArgs();
      const Variant r = this->object()->invoke(name, kind, args);
      putResult(out, r);
    });
  }
  template <class Out>
  HRESULT get(const char* name, Out* out) {
    return call(name, CallKind::Get, none(), out);
  }
  // An object is assigned as a client's Set assigns it.
  template <class MakeValue>
  HRESULT assign(const char* name, MakeValue makeValue) {
    return guarded([&] {
      Variant args[] = {makeValue()};
      const CallKind kind = args[0].isObject() ? CallKind::Set : CallKind::Let;
      this->object()->invoke(name, kind, args);
    });
  }
};

class PropertyServer final : public DualServer<PropertyServer, _KZProperty> {
 public:
  static constexpr std::string_view kClassId = KZProperty::kClassId;
  static constexpr const IID& kInterfaceId = IID__KZProperty;

  explicit PropertyServer(ObjectRef object) : DualServer(std::move(object)) {}

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* Result) override { return get("Name", Result); }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR NewName) override {
    return assign("Name", [&] { return text(NewName); });
  }
  HRESULT STDMETHODCALLTYPE get_Value(VARIANT* Result) override { return get("Value", Result); }
  HRESULT STDMETHODCALLTYPE put_Value(VARIANT NewValue) override {
    return assign("Value", [&] { return fromVariant(NewValue); });
  }
  HRESULT STDMETHODCALLTYPE get_ReadOnly(VARIANT_BOOL* Result) override {
    return get("ReadOnly", Result);
  }
  HRESULT STDMETHODCALLTYPE put_ReadOnly(VARIANT_BOOL NewValue) override {
    return assign("ReadOnly", [&] { return boolean(NewValue); });
  }
  HRESULT STDMETHODCALLTYPE get_ValueType(short* Result) override {
    return guarded([&] { *Result = toInt16(object()->invoke("ValueType", CallKind::Get, {})); });
  }
  HRESULT STDMETHODCALLTYPE get_IsParent(VARIANT_BOOL* Result) override {
    return get("IsParent", Result);
  }
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** Result) override {
    return get("Parent", Result);
  }
};

class PropertiesServer final : public DualServer<PropertiesServer, _KZProperties> {
 public:
  static constexpr std::string_view kClassId = KZProperties::kClassId;
  static constexpr const IID& kInterfaceId = IID__KZProperties;

  explicit PropertiesServer(ObjectRef object) : DualServer(std::move(object)) {}

  HRESULT STDMETHODCALLTYPE get_NewItem(_KZProperty** Result) override {
    return get("NewItem", Result);
  }
  HRESULT STDMETHODCALLTYPE get_LastRemovedName(VARIANT* Result) override {
    return get("LastRemovedName", Result);
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* Result) override { return get("Count", Result); }
  HRESULT STDMETHODCALLTYPE get_Properties(VARIANT Index, _KZProperty** Result) override {
    return call(
        "Properties", CallKind::Get, [&] { return std::vector{fromVariant(Index)}; }, Result);
  }
  HRESULT STDMETHODCALLTYPE Add(BSTR PropertyName, VARIANT Value, VARIANT_BOOL RedOnly,
                                _KZProperty** Result) override {
    return call(
        "Add", CallKind::Method,
        [&] {
          return std::vector{text(PropertyName), fromVariant(Value), boolean(RedOnly)};
        },
        Result);
  }
  HRESULT STDMETHODCALLTYPE Remove(VARIANT Index, VARIANT_BOOL* Result) override {
    return call(
        "Remove", CallKind::Method, [&] { return std::vector{fromVariant(Index)}; }, Result);
  }
  HRESULT STDMETHODCALLTYPE get_PropCollection(IDispatch** Result) override {
    return get("PropCollection", Result);
  }
  HRESULT STDMETHODCALLTYPE Clear(VARIANT* Result) override {
    return call("Clear", CallKind::Method, none(), Result);
  }
  HRESULT STDMETHODCALLTYPE Clone(_KZProperties** Result) override {
    return call("Clone", CallKind::Method, none(), Result);
  }
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** Result) override {
    return get("Parent", Result);
  }
  HRESULT STDMETHODCALLTYPE get_ItemIndex(BSTR PropKey, LONG* Result) override {
    return call(
        "ItemIndex", CallKind::Get, [&] { return std::vector{text(PropKey)}; }, Result);
  }
  HRESULT STDMETHODCALLTYPE MoveUp(VARIANT PropIndex, LONG* Result) override {
    return call(
        "MoveUp", CallKind::Method, [&] { return std::vector{fromVariant(PropIndex)}; }, Result);
  }
  HRESULT STDMETHODCALLTYPE MoveDown(VARIANT PropIndex, LONG* Result) override {
    return call(
        "MoveDown", CallKind::Method, [&] { return std::vector{fromVariant(PropIndex)}; }, Result);
  }
  HRESULT STDMETHODCALLTYPE Find(BSTR Path, BSTR Delimeter, _KZProperty** Result) override {
    return call(
        "Find", CallKind::Method,
        [&] {
          return std::vector{text(Path), text(Delimeter)};
        },
        Result);
  }
  HRESULT STDMETHODCALLTYPE FindEx(BSTR Path, BSTR Delimeter, _KZProperty** Result) override {
    return call(
        "FindEx", CallKind::Method,
        [&] {
          return std::vector{text(Path), text(Delimeter)};
        },
        Result);
  }
};

}  // namespace

IDispatch* propertyServerFor(const ObjectRef& object) {
  if (dynamic_cast<KZProperty*>(object.get()) != nullptr) return PropertyServer::handOut(object);
  if (dynamic_cast<KZProperties*>(object.get()) != nullptr) {
    return PropertiesServer::handOut(object);
  }
  return nullptr;
}

}  // namespace velmora::com

// The property bag keeps each entry's value already encoded: writing an entry
// takes a snapshot of the value (an object writes itself at that moment, as
// the runtime's bag does), and contents() is a concatenation. Reading decodes
// the entry afresh, so every read of an object entry makes a new object.
//
// Byte format, version 1. All integers are little-endian and fixed-width.
//
//   bag    := "CVPB" version:u8(=1) body
//   body   := count:u32 entry{count}
//   entry  := name:str value
//   str    := length:u32 bytes{length}          (kept as bytes; need not be UTF-8)
//   value  := tag:u16 payload                   (tag = the variant's VarType)
//     Empty 0, Null 1   nothing
//     Int16 2           i16          Int32 3     i32
//     Single 4          f32 bits     Double 5    f64 bits
//     Currency 6        i64 (scaled by 10,000)   Date 7  f64 bits
//     String 8          str          Error 10    i32
//     Bool 11           u8, 0 or 1   Byte 17     u8
//     Object 9          progId:str; an empty progId is Nothing, otherwise
//                       bodyLength:u32 body (the object's own entries)
//     Array|Byte 0x2011 bounds, then the elements' bytes
//     Array|Variant 0x200C
//                       bounds, then payloadLength:u32 value{elements}
//   bounds := dims:u32 (lbound:i32 count:u32){dims}; no dimensions is the
//             never-dimensioned array; elements in row-major order.
//
// Objects and arrays each nest one level deeper than what holds them; the
// entries of a bag are at level 0. Nothing deeper than kMaxDepth is written
// (error 28) or loaded (error 321), which also bounds the recursion here.
//
// Loading is strict so that contents() of a loaded bag reproduces its input:
// every length is checked against the bytes that remain before anything is
// allocated, counts are bounded by the size of the input, element counts may
// not overflow, booleans are 0 or 1, names are unique (letter case ignored),
// and no byte may be left over at any level.
//
// Decisions where the runtime leaves room:
// - Writing a value equal to its default removes an earlier entry of that
//   name, so that a reader given the same default gets the value back.
// - Overwriting an entry keeps its place and its first spelling.
// - An object is persistable when its progId() is non-empty and registered in
//   the ClassRegistry; otherwise writing it raises 330. Unknown ProgIDs in
//   loaded bytes are accepted when loading and raise 429 when the entry is read.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>
#include <commonvelmora/property_bag.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/byte_codec.h"
#include "core/unicode_fold.h"

namespace velmora {
namespace {

constexpr char kMagic[4] = {'C', 'V', 'P', 'B'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kMinEntrySize = 4 + 2;  // empty name and a tag
constexpr std::size_t kBoundSize = 4 + 4;
constexpr std::int32_t kNotPersistable = 330;

constexpr std::uint16_t tagOf(VarType t) { return static_cast<std::uint16_t>(t); }
constexpr std::uint16_t kByteArray = tagOf(VarType::Array) | tagOf(VarType::Byte);
constexpr std::uint16_t kVariantArray = tagOf(VarType::Array) | tagOf(VarType::Variant);

[[noreturn]] void throwTooDeep() { throw AutomationError(err::kOutOfStack); }

void checkPersistable(const Object& object, const std::string& progId) {
  if (progId.empty()) {
    throw AutomationError(kNotPersistable,
                          "Illegal Parameter. Can't write object because it does not support "
                          "persistence.");
  }
  if (!ClassRegistry::instance().contains(progId)) {
    throw AutomationError(kNotPersistable,
                          "Illegal Parameter. Can't write object because its class '" + progId +
                              "' (" + object.typeName() + ") is not registered.");
  }
}

// Bounds of an array as read, and the number of elements they make.
struct ReadBounds {
  std::vector<SafeArray::Bound> bounds;
  std::size_t elements = 0;
};

// Reads dims and bounds; `limit` is the most elements the bytes can hold.
ReadBounds readBounds(bytes::Reader& r, const std::function<std::size_t()>& limit) {
  const std::uint32_t dims = r.u32();
  if (dims > r.remaining() / kBoundSize) r.fail("too many array dimensions");
  ReadBounds out;
  out.bounds.reserve(dims);
  // The element count as SafeArray works it out: a running product that may
  // never pass 2^32 - 1 before it meets a dimension without elements.
  std::uint64_t n = dims == 0 ? 0 : 1;
  for (std::uint32_t d = 0; d < dims; ++d) {
    const std::int32_t lbound = r.i32();
    const std::uint32_t count = r.u32();
    if (count > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) ||
        static_cast<std::int64_t>(lbound) + count - 1 > std::numeric_limits<std::int32_t>::max()) {
      r.fail("array bound out of range");
    }
    if (count != 0 && n > std::numeric_limits<std::uint32_t>::max() / count) {
      r.fail("array element count out of range");
    }
    n *= count;
    out.bounds.push_back({lbound, static_cast<std::int32_t>(count)});
  }
  // Every element takes at least one byte, so no more than the data holds.
  if (n != 0 && n > limit()) r.fail("array larger than its data");
  out.elements = static_cast<std::size_t>(n);
  return out;
}

}  // namespace

struct PropertyBag::Impl {
  struct Entry {
    std::string name;
    std::vector<std::uint8_t> value;  // tag and payload
  };
  std::vector<Entry> entries;
  std::unordered_map<std::string, std::size_t> index;  // folded name -> position
  int depth = 0;                                       // nesting level of this bag's owner

  const Entry* find(std::string_view name) const {
    auto it = index.find(foldCase(name));
    return it == index.end() ? nullptr : &entries[it->second];
  }

  void writeBody(bytes::Writer& w) const {
    w.u32(static_cast<std::uint32_t>(entries.size()));
    for (const Entry& e : entries) {
      w.lengthPrefixed(e.name);
      w.raw(e.value);
    }
  }

  // Parses a body into `into`. With `check` every value is validated in full
  // (untrusted bytes); without it the bytes are known good and nested
  // objects and arrays are stepped over by their lengths.
  static void parseBody(bytes::Reader& r, int depth, bool check, Impl& into) {
    const std::uint32_t count = r.u32();
    if (count > r.remaining() / kMinEntrySize) r.fail("entry count larger than its data");
    into.entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t nameAt = r.offset();
      std::string name(r.lengthPrefixed("entry name"));
      const std::size_t mark = r.mark();
      walkValue(r, depth, check);
      auto value = r.since(mark);
      if (!into.index.emplace(foldCase(name), into.entries.size()).second) {
        bytes::Reader(value, nameAt).fail("duplicate entry name '" + name + "'");
      }
      into.entries.push_back({std::move(name), {value.begin(), value.end()}});
    }
  }

  // Steps over one value, validating it (nested levels too when `check`).
  static void walkValue(bytes::Reader& r, int depth, bool check) {
    const std::uint16_t tag = r.u16();
    switch (tag) {
      case tagOf(VarType::Empty):
      case tagOf(VarType::Null):
        return;
      case tagOf(VarType::Int16):
        r.u16();
        return;
      case tagOf(VarType::Int32):
      case tagOf(VarType::Single):
      case tagOf(VarType::Error):
        r.u32();
        return;
      case tagOf(VarType::Double):
      case tagOf(VarType::Currency):
      case tagOf(VarType::Date):
        r.i64();
        return;
      case tagOf(VarType::Byte):
        r.u8();
        return;
      case tagOf(VarType::Bool):
        if (r.u8() > 1) r.fail("boolean neither 0 nor 1");
        return;
      case tagOf(VarType::String):
        r.lengthPrefixed("text");
        return;
      case tagOf(VarType::Object): {
        if (r.lengthPrefixed("ProgID").empty()) return;  // Nothing
        if (check && depth + 1 > kMaxDepth) r.fail("objects nested too deep");
        bytes::Reader body = r.subReader("object");
        if (!check) return;
        Impl nested;
        parseBody(body, depth + 1, true, nested);
        if (!body.atEnd()) body.fail("bytes left over after an object");
        return;
      }
      case kByteArray: {
        if (check && depth + 1 > kMaxDepth) r.fail("arrays nested too deep");
        const ReadBounds b = readBounds(r, [&] { return r.remaining(); });
        r.take(b.elements, "byte array");
        return;
      }
      case kVariantArray: {
        if (check && depth + 1 > kMaxDepth) r.fail("arrays nested too deep");
        // The payload length comes after the bounds; peek it for the limit.
        const ReadBounds b = readBounds(r, [&] {
          bytes::Reader ahead = r;
          return static_cast<std::size_t>(ahead.u32());
        });
        bytes::Reader elements = r.subReader("array");
        if (!check) return;
        for (std::size_t i = 0; i < b.elements; ++i) walkValue(elements, depth + 1, true);
        if (!elements.atEnd()) elements.fail("bytes left over after an array");
        return;
      }
      default:
        r.fail("unknown value type " + std::to_string(tag));
    }
  }

  // Decodes one value from known-good bytes, re-creating objects.
  static Variant decodeValue(bytes::Reader& r, int depth) {
    const std::uint16_t tag = r.u16();
    switch (tag) {
      case tagOf(VarType::Empty):
        return {};
      case tagOf(VarType::Null):
        return Variant::null();
      case tagOf(VarType::Int16):
        return static_cast<std::int16_t>(r.u16());
      case tagOf(VarType::Int32):
        return r.i32();
      case tagOf(VarType::Single):
        return r.f32();
      case tagOf(VarType::Double):
        return r.f64();
      case tagOf(VarType::Currency):
        return Currency{r.i64()};
      case tagOf(VarType::Date):
        return Date{r.f64()};
      case tagOf(VarType::String):
        return std::string(r.lengthPrefixed("text"));
      case tagOf(VarType::Error):
        return ErrorCode{r.i32()};
      case tagOf(VarType::Bool):
        return r.u8() != 0;
      case tagOf(VarType::Byte):
        return r.u8();
      case tagOf(VarType::Object): {
        const std::string progId(r.lengthPrefixed("ProgID"));
        if (progId.empty()) return Variant::nothing();
        bytes::Reader body = r.subReader("object");
        PropertyBag nested;
        parseBody(body, depth + 1, false, *nested.impl_);
        nested.impl_->depth = depth + 1;
        ObjectRef object = createObject(progId);
        object->readProperties(nested);
        return object;
      }
      case kByteArray: {
        const ReadBounds b = readBounds(r, [&] { return r.remaining(); });
        SafeArray array(VarType::Byte, b.bounds);
        auto data = r.take(b.elements, "byte array");
        std::copy(data.begin(), data.end(), array.bytes().begin());
        return array;
      }
      case kVariantArray: {
        const ReadBounds b = readBounds(r, [&] {
          bytes::Reader ahead = r;
          return static_cast<std::size_t>(ahead.u32());
        });
        bytes::Reader elements = r.subReader("array");
        SafeArray array(VarType::Variant, b.bounds);
        for (Variant& v : array.variants()) v = decodeValue(elements, depth + 1);
        return array;
      }
      default:
        r.fail("unknown value type " + std::to_string(tag));
    }
  }

  static void encodeValue(bytes::Writer& w, const Variant& v, int depth) {
    const VarType type = v.type();
    if (type == VarType::Object && v.isNothing()) {
      w.u16(tagOf(type));
      w.u32(0);
      return;
    }
    if ((type == VarType::Object || v.isArray()) && depth + 1 > kMaxDepth) throwTooDeep();
    switch (type) {
      case VarType::Object: {
        const ObjectRef& object = v.object();
        const std::string progId = object->progId();
        checkPersistable(*object, progId);
        PropertyBag nested;
        nested.impl_->depth = depth + 1;
        object->writeProperties(nested);
        w.u16(tagOf(type));
        w.lengthPrefixed(progId);
        const std::size_t at = w.reserveLength();
        nested.impl_->writeBody(w);
        w.patchLength(at);
        return;
      }
      case VarType::Empty:
      case VarType::Null:
        w.u16(tagOf(type));
        return;
      case VarType::Int16:
        w.u16(tagOf(type));
        w.u16(static_cast<std::uint16_t>(v.as<std::int16_t>()));
        return;
      case VarType::Int32:
        w.u16(tagOf(type));
        w.i32(v.as<std::int32_t>());
        return;
      case VarType::Single:
        w.u16(tagOf(type));
        w.f32(v.as<float>());
        return;
      case VarType::Double:
        w.u16(tagOf(type));
        w.f64(v.as<double>());
        return;
      case VarType::Currency:
        w.u16(tagOf(type));
        w.i64(v.as<Currency>().scaled);
        return;
      case VarType::Date:
        w.u16(tagOf(type));
        w.f64(v.as<Date>().serial);
        return;
      case VarType::String:
        w.u16(tagOf(type));
        w.lengthPrefixed(v.text());
        return;
      case VarType::Error:
        w.u16(tagOf(type));
        w.i32(v.as<ErrorCode>().scode);
        return;
      case VarType::Bool:
        w.u16(tagOf(type));
        w.u8(v.as<bool>() ? 1 : 0);
        return;
      case VarType::Byte:
        w.u16(tagOf(type));
        w.u8(v.as<std::uint8_t>());
        return;
      default:
        break;
    }
    const SafeArray& array = v.array();
    const bool isBytes = array.elementType() == VarType::Byte;
    w.u16(isBytes ? kByteArray : kVariantArray);
    w.u32(static_cast<std::uint32_t>(array.bounds().size()));
    for (const auto& b : array.bounds()) {
      w.i32(b.lbound);
      w.u32(static_cast<std::uint32_t>(b.count));
    }
    if (isBytes) {
      w.raw(array.bytes());
      return;
    }
    const std::size_t at = w.reserveLength();
    for (const Variant& element : array.variants()) encodeValue(w, element, depth + 1);
    w.patchLength(at);
  }
};

PropertyBag::PropertyBag() : impl_(std::make_unique<Impl>()) {}
PropertyBag::~PropertyBag() = default;
PropertyBag::PropertyBag(PropertyBag&&) noexcept = default;
PropertyBag& PropertyBag::operator=(PropertyBag&&) noexcept = default;

// A moved-from bag reads as empty and works again once written or loaded.
void PropertyBag::writeProperty(std::string_view name, const Variant& value,
                                const Variant& defaultValue) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  Impl& d = *impl_;
  std::string folded = foldCase(name);
  auto it = d.index.find(folded);
  if (!defaultValue.isMissing() && value == defaultValue) {
    if (it == d.index.end()) return;
    const std::size_t at = it->second;
    d.entries.erase(d.entries.begin() + static_cast<std::ptrdiff_t>(at));
    d.index.erase(it);
    for (auto& [key, position] : d.index) {
      if (position > at) --position;
    }
    return;
  }
  bytes::Writer w;
  Impl::encodeValue(w, value, d.depth);
  if (it != d.index.end()) {
    d.entries[it->second].value = std::move(w.data());
    return;
  }
  d.index.emplace(std::move(folded), d.entries.size());
  d.entries.push_back({std::string(name), std::move(w.data())});
}

Variant PropertyBag::readProperty(std::string_view name, const Variant& defaultValue) const {
  const Impl::Entry* e = impl_ ? impl_->find(name) : nullptr;
  if (e == nullptr) {
    if (defaultValue.isMissing()) {
      throw AutomationError(err::kDataValueNotFound,
                            "Data value named '" + std::string(name) + "' not found");
    }
    return defaultValue;
  }
  bytes::Reader r(e->value);
  return Impl::decodeValue(r, impl_->depth);
}

bool PropertyBag::contains(std::string_view name) const {
  return impl_ && impl_->find(name) != nullptr;
}

std::size_t PropertyBag::size() const { return impl_ ? impl_->entries.size() : 0; }

std::vector<std::string> PropertyBag::names() const {
  std::vector<std::string> out;
  if (!impl_) return out;
  out.reserve(impl_->entries.size());
  for (const auto& e : impl_->entries) out.push_back(e.name);
  return out;
}

std::vector<std::uint8_t> PropertyBag::contents() const {
  bytes::Writer w;
  w.raw(std::string_view(kMagic, sizeof kMagic));
  w.u8(kVersion);
  if (impl_) {
    impl_->writeBody(w);
  } else {
    w.u32(0);
  }
  return std::move(w.data());
}

void PropertyBag::setContents(std::span<const std::uint8_t> bytes) {
  bytes::Reader r(bytes);
  auto magic = r.take(sizeof kMagic, "header");
  if (std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) r.fail("not a property bag");
  const std::uint8_t version = r.u8();
  if (version != kVersion) r.fail("unsupported version " + std::to_string(version));
  auto loaded = std::make_unique<Impl>();
  Impl::parseBody(r, 0, true, *loaded);
  if (!r.atEnd()) r.fail("bytes left over after the last entry");
  loaded->depth = impl_ ? impl_->depth : 0;
  impl_ = std::move(loaded);
}

}  // namespace velmora

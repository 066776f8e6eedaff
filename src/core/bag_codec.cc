#include "core/bag_codec.h"

#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>

#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "core/bag_names.h"
#include "core/byte_codec.h"
#include "core/factory_cache.h"
#include "core/unicode_fold.h"

namespace velmora {
using namespace bag;  // NOLINT: the codec speaks in the document's types
namespace {

[[noreturn]] void throwTooDeep() { throw AutomationError(err::kOutOfStack); }

// An object is persistable when its class has a ProgID registered in the
// ClassRegistry, so that reading can re-create it.
[[noreturn]] void throwNotPersistable(const Object& object, std::string_view progId) {
  if (progId.empty()) {
    throw AutomationError(kNotPersistable,
                          "Illegal Parameter. Can't write object because it does not support "
                          "persistence.");
  }
  throw AutomationError(kNotPersistable,
                        "Illegal Parameter. Can't write object because its class '" +
                            std::string(progId) + "' (" + object.typeName() +
                            ") is not registered.");
}

// Bounds of an array as read, and the number of elements they make.
struct ReadBounds {
  std::vector<SafeArray::Bound> bounds;
  std::size_t elements = 0;
};

// Reads dims and bounds. Every element takes at least one byte, so an array
// may not have more elements than bytes remain.
ReadBounds readBounds(bytes::Reader& r) {
  const std::uint32_t dims = r.varint("array dimensions");
  if (dims > r.remaining() / 2) r.fail("too many array dimensions");
  ReadBounds out;
  out.bounds.reserve(dims);
  // The element count as SafeArray works it out: a running product that may
  // never pass 2^32 - 1 before it meets a dimension without elements.
  std::uint64_t n = dims == 0 ? 0 : 1;
  for (std::uint32_t d = 0; d < dims; ++d) {
    const std::int32_t lbound = bytes::unzigzag(r.varint("array bound"));
    const std::uint32_t count = r.varint("array bound");
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
  if (n != 0 && n > r.remaining()) r.fail("array larger than its data");
  out.elements = static_cast<std::size_t>(n);
  return out;
}

void writeBounds(bytes::Writer& w, const SafeArray& array) {
  w.varint(array.bounds().size());
  for (const auto& b : array.bounds()) {
    w.varint(bytes::zigzag(b.lbound));
    w.varint(static_cast<std::uint32_t>(b.count));
  }
}

}  // namespace

// Parses and validates a body; returns its number + 1. `checks` is null
// for bytes this library wrote itself into the stream.
std::uint32_t PropertyBag::Impl::parseBody(Document& doc, bytes::Reader& r, bool inStream,
                                           int depth, LoadChecks* checks,
                                           std::vector<Entry>& pending) {
  const std::size_t first = pending.size();
  for (;;) {
    const std::uint32_t ref = r.varint("entry name");
    if (ref == 0) break;
    Entry e;
    e.name = ref - 1;
    if (checks != nullptr) checks->name(r, e.name, doc.names);
    e.inStream = inStream;
    e.at = r.offset();
    e.object = parseValue(doc, r, inStream, depth, checks, pending, true);
    e.size = r.offset() - e.at;
    pending.push_back(e);
  }
  // Names are checked once the body is read: the bodies nested in it use
  // the same marks.
  if (checks != nullptr) {
    const auto entries = std::span<const Entry>(pending).subspan(first);
    if (const std::size_t at = doc.repeatedName(entries); at != entries.size()) {
      bytes::Reader({}, entries[at].at)
          .fail("duplicate entry name '" + std::string(doc.names[entries[at].name].text) + "'");
    }
  }
  doc.bodies.push_back({doc.parsed.size(), pending.size() - first, r.offset()});
  doc.parsed.insert(doc.parsed.end(), pending.begin() + static_cast<std::ptrdiff_t>(first),
                    pending.end());
  pending.resize(first);
  return static_cast<std::uint32_t>(doc.bodies.size());
}

// Steps over one value, validating it in full. For an object that is an
// entry's own value returns its body's number + 1; other objects' bodies
// are recorded by place.
std::uint32_t PropertyBag::Impl::parseValue(Document& doc, bytes::Reader& r, bool inStream,
                                            int depth, LoadChecks* checks,
                                            std::vector<Entry>& pending, bool entryLevel) {
  const std::uint8_t tag = r.u8();
  switch (tag) {
    case tagOf(VarType::Empty):
    case tagOf(VarType::Null):
      return 0;
    case tagOf(VarType::Int16):
      r.take(2, "16-bit value");
      return 0;
    case tagOf(VarType::Int32):
    case tagOf(VarType::Single):
    case tagOf(VarType::Error):
      r.take(4, "32-bit value");
      return 0;
    case tagOf(VarType::Double):
    case tagOf(VarType::Currency):
    case tagOf(VarType::Date):
      r.take(8, "64-bit value");
      return 0;
    case tagOf(VarType::Byte):
      r.u8();
      return 0;
    case tagOf(VarType::Bool):
      if (r.u8() > 1) r.fail("boolean neither 0 nor 1");
      return 0;
    case tagOf(VarType::String):
      r.text("text");
      return 0;
    case kObjectTag: {
      const std::uint32_t ref = r.varint("class");
      if (ref == 0) return 0;  // Nothing
      if (checks != nullptr) checks->name(r, ref - 1, doc.names);
      if (depth + 1 > kMaxDepth) r.fail("objects nested too deep");
      const std::size_t bodyAt = r.offset();
      const std::uint32_t body = parseBody(doc, r, inStream, depth + 1, checks, pending);
      if (entryLevel) return body;
      doc.bodyAt[(static_cast<std::uint64_t>(bodyAt) << 1) | (inStream ? 1 : 0)] = body;
      return 0;
    }
    case kByteArray: {
      if (depth + 1 > kMaxDepth) r.fail("arrays nested too deep");
      r.take(readBounds(r).elements, "byte array");
      return 0;
    }
    case kVariantArray: {
      if (depth + 1 > kMaxDepth) r.fail("arrays nested too deep");
      const std::size_t n = readBounds(r).elements;
      for (std::size_t i = 0; i < n; ++i) {
        parseValue(doc, r, inStream, depth + 1, checks, pending, false);
      }
      return 0;
    }
    default:
      r.fail("unknown value type " + std::to_string(tag));
  }
}

// Re-creates an object from its class name and its parsed body.
ObjectRef PropertyBag::Impl::readObject(const DocRef& doc, std::uint32_t className,
                                        std::size_t body, int depth) {
  // A copy: the factory may read persisted objects itself, into this
  // very document.
  const ClassRegistry::Factory factory = doc->factoryOf(className);
  ObjectRef object = factory ? factory() : nullptr;
  if (!object) throw AutomationError(err::kCantCreateObject);
  LentBag lent(*doc, depth + 1);
  Node& node = lent.bag().impl_->node;
  node.doc = doc;
  node.viewOf = body;
  object->readProperties(lent.bag());
  return object;
}

// The body of an object that is not an entry's own loaded value, parsed
// the first time it is read.
std::size_t PropertyBag::Impl::bodyOf(Document& doc, bool inStream, std::size_t bodyAt, int depth) {
  const std::uint64_t key = (static_cast<std::uint64_t>(bodyAt) << 1) | (inStream ? 1 : 0);
  if (auto it = doc.bodyAt.find(key); it != doc.bodyAt.end()) return it->second;
  const auto bytes = doc.source(inStream);
  bytes::Reader r(bytes.subspan(bodyAt), bodyAt);
  std::vector<Entry> pending;
  const std::uint32_t body = parseBody(doc, r, inStream, depth + 1, nullptr, pending);
  doc.bodyAt.emplace(key, body);
  return body;
}

// Decodes one value from known-good bytes, re-creating objects.
Variant PropertyBag::Impl::decodeValue(const DocRef& doc, bytes::Reader& r, bool inStream,
                                       int depth) {
  const std::uint8_t tag = r.u8();
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
      return std::string(r.text("text"));
    case tagOf(VarType::Error):
      return ErrorCode{r.i32()};
    case tagOf(VarType::Bool):
      return r.u8() != 0;
    case tagOf(VarType::Byte):
      return r.u8();
    case kObjectTag: {
      const std::uint32_t ref = r.varint("class");
      if (ref == 0) return Variant::nothing();
      const std::size_t body = bodyOf(*doc, inStream, r.offset(), depth);
      r.take(doc->bodies[body - 1].end - r.offset(), "object");
      return readObject(doc, ref - 1, body, depth);
    }
    case kByteArray: {
      const ReadBounds b = readBounds(r);
      auto data = r.take(b.elements, "byte array");
      // Built from the data at once: a picture's megabytes are copied once
      // and never cleared first.
      return SafeArray(b.bounds, std::vector<std::uint8_t>(data.begin(), data.end()));
    }
    case kVariantArray: {
      const ReadBounds b = readBounds(r);
      SafeArray array(VarType::Variant, b.bounds);
      for (Variant& v : array.variants()) v = decodeValue(doc, r, inStream, depth + 1);
      return array;
    }
    default:
      r.fail("unknown value type " + std::to_string(tag));
  }
}

Variant PropertyBag::Impl::readEntry(const DocRef& doc, const Entry& e, int depth) {
  bytes::Reader r(doc->bytesOf(e), e.at);
  if (e.object == 0) return decodeValue(doc, r, e.inStream, depth);
  r.u8();  // a loaded object, parsed already
  const std::uint32_t ref = r.varint("class");
  return readObject(doc, ref - 1, e.object, depth);
}

// Writes an object: its header, then its body, which the bag lent to it
// lays out in place right behind (see the top of this file).
Range PropertyBag::Impl::encodeObject(const DocRef& doc, Object& object, int depth) {
  const std::string_view progId = object.progId();
  if (progId.empty()) throwNotPersistable(object, progId);
  const std::uint32_t classRef = doc->persistableClass(progId);
  if (classRef == 0) throwNotPersistable(object, progId);
  const std::uint32_t className = classRef - 1;
  bytes::Writer& w = doc->stream;
  const std::size_t at = w.size();
  w.u8(kObjectTag);
  w.varint(className + 1);
  LentBag lent(*doc, depth + 1);
  Impl* const lentImpl = lent.bag().impl_.get();
  Node& node = lentImpl->node;
  node.doc = doc;
  node.inPlace = true;
  node.start = node.end = w.size();
  object.writeProperties(lent.bag());

  const bool kept = lent.bag().impl_.get() == lentImpl;
  if (kept && node.unchecked) node.settle();
  if (kept && node.inPlace && node.end == w.size()) {
    w.varint(0);
    return {at, w.size() - at};
  }
  bytes::Writer value;
  value.u8(kObjectTag);
  value.varint(className + 1);
  if (kept) {
    for (const Entry& e : node.entries()) {
      value.varint(e.name + 1);
      value.raw(doc->bytesOf(e));
    }
  }
  value.varint(0);
  const std::size_t moved = w.size();
  w.raw(value.bytes());
  return {moved, value.size()};
}

Range PropertyBag::Impl::encodeValue(const DocRef& doc, const Variant& v, int depth) {
  bytes::Writer& w = doc->stream;
  const std::size_t at = w.size();
  if (v.isObject()) {
    if (v.isNothing()) {
      w.u8(kObjectTag);
      w.varint(0);
      return {at, w.size() - at};
    }
    if (depth + 1 > kMaxDepth) throwTooDeep();
    return encodeObject(doc, *v.object(), depth);
  }
  if (v.isArray()) {
    if (depth + 1 > kMaxDepth) throwTooDeep();
    return encodeArray(doc, v.array(), depth);
  }
  encodePlain(w, v);
  return {at, w.size() - at};
}

Range PropertyBag::Impl::encodeArray(const DocRef& doc, const SafeArray& array, int depth) {
  bytes::Writer& w = doc->stream;
  const std::size_t at = w.size();
  const bool isBytes = array.elementType() == VarType::Byte;
  w.u8(isBytes ? kByteArray : kVariantArray);
  writeBounds(w, array);
  if (isBytes) {
    w.raw(array.bytes());
    return {at, w.size() - at};
  }
  // Elements follow one another unless an object among them had to be put
  // together elsewhere; then the whole array is, too.
  std::vector<Range> elements;
  bool contiguous = true;
  for (const Variant& element : array.variants()) {
    const std::size_t expected = w.size();
    const Range r = encodeValue(doc, element, depth + 1);
    contiguous = contiguous && r.at == expected && r.at + r.size == w.size();
    elements.push_back(r);
  }
  if (contiguous) return {at, w.size() - at};
  bytes::Writer value;
  value.u8(kVariantArray);
  writeBounds(value, array);
  for (const Range& r : elements) value.raw(w.bytes().subspan(r.at, r.size));
  const std::size_t moved = w.size();
  w.raw(value.bytes());
  return {moved, value.size()};
}

// Copies a value from the document into `out`, numbering its names anew
// in `names`.
void PropertyBag::Impl::transcodeValue(const Document& doc, bytes::Reader& r, bytes::Writer& out,
                                       BagNames& names) {
  const std::uint8_t tag = r.u8();
  out.u8(tag);
  auto copy = [&](std::size_t n) { out.raw(r.take(n, "value")); };
  switch (tag) {
    case tagOf(VarType::Empty):
    case tagOf(VarType::Null):
      return;
    case tagOf(VarType::Int16):
      return copy(2);
    case tagOf(VarType::Int32):
    case tagOf(VarType::Single):
    case tagOf(VarType::Error):
      return copy(4);
    case tagOf(VarType::Double):
    case tagOf(VarType::Currency):
    case tagOf(VarType::Date):
      return copy(8);
    case tagOf(VarType::Byte):
    case tagOf(VarType::Bool):
      return copy(1);
    case tagOf(VarType::String):
      return out.text(r.text("text"));
    case kObjectTag: {
      const std::uint32_t ref = r.varint("class");
      if (ref == 0) return out.varint(0);
      out.varint(names.intern(doc.names[ref - 1].text) + 1);
      for (std::uint32_t name; (name = r.varint("entry name")) != 0;) {
        out.varint(names.intern(doc.names[name - 1].text) + 1);
        transcodeValue(doc, r, out, names);
      }
      return out.varint(0);
    }
    default: {
      const std::size_t boundsAt = r.mark();
      const std::size_t n = readBounds(r).elements;
      out.raw(r.since(boundsAt));
      if (tag == kByteArray) return copy(n);
      for (std::size_t i = 0; i < n; ++i) transcodeValue(doc, r, out, names);
    }
  }
}

std::vector<std::uint8_t> PropertyBag::Impl::withHeader(std::span<const std::uint8_t> prefix,
                                                        const BagNames& names,
                                                        std::span<const std::uint8_t> entries) {
  bytes::Writer head;
  head.raw(std::string_view(kMagic, sizeof kMagic));
  head.u8(kVersion);
  names.writeTo(head);
  std::vector<std::uint8_t> out;
  out.reserve(prefix.size() + head.size() + entries.size() + 1);
  out.insert(out.end(), prefix.begin(), prefix.end());
  out.insert(out.end(), head.bytes().begin(), head.bytes().end());
  out.insert(out.end(), entries.begin(), entries.end());
  out.push_back(0);
  return out;
}

}  // namespace velmora

// The property bag keeps each entry's value already encoded: writing an entry
// takes a snapshot of the value (an object writes itself at that moment, as
// the runtime's bag does). Reading decodes the entry afresh, so every read of
// an object entry makes a new object.
//
// No level copies the bytes of the levels below it. While an object is
// written, its bag lays the object's entries out in place at the end of the
// enclosing output, so a whole tree is encoded in one pass into one buffer
// (see Node for when that layout has to be reassembled). Loaded bytes are
// kept once, shared by every node parsed from them; entries are views into
// them, and each stored object's entries are parsed once, while validating,
// and handed to the object as they are when it is read. Nodes are shared
// between a bag and the nested bags read from it, and copied before a shared
// one is written (copy on write).
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
#include <utility>
#include <vector>

#include "core/byte_codec.h"
#include "core/factory_cache.h"
#include "core/flat_key_index.h"
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

void checkPersistable(const Object& object, std::string_view progId) {
  if (progId.empty()) {
    throw AutomationError(kNotPersistable,
                          "Illegal Parameter. Can't write object because it does not support "
                          "persistence.");
  }
  if (!FactoryCache::local().find(progId)) {
    throw AutomationError(kNotPersistable,
                          "Illegal Parameter. Can't write object because its class '" +
                              std::string(progId) + "' (" + object.typeName() +
                              ") is not registered.");
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

// The entries of one bag: the top level of a bag, or a stored object.
struct Node {
  // Where an entry's value bytes (tag and payload) are.
  enum class Where : std::uint8_t {
    kBlob,    // loaded: in `blob`
    kStream,  // written in place: in `stream`
    kOwned,   // written apart: in the entry's own `owned`
  };
  struct Entry {
    std::string name;      // as first written
    std::size_t hash = 0;  // of the folded name
    std::size_t at = 0;    // offset of the value in the blob or the stream
    std::size_t size = 0;
    Where where = Where::kOwned;
    std::vector<std::uint8_t> owned;
    // A loaded object's entries, parsed while validating (null otherwise).
    std::shared_ptr<Node> object;
  };

  // Small bags (an object's few fields) are searched linearly; larger ones
  // get a hash index of 1-based positions.
  static constexpr std::size_t kLinearLimit = 8;

  std::vector<Entry> entries;
  FlatKeyIndex<std::uint32_t> index;
  std::shared_ptr<const std::vector<std::uint8_t>> blob;  // loaded bytes

  // A bag nested in an object being written lays its body out in place, at
  // the end of the enclosing output: [count][name value]... from `bodyAt`.
  // It stays in place while entries are only appended and nothing else
  // writes to the stream in between (`streamEnd` is where the next entry
  // goes); otherwise the body is reassembled from the entries when the
  // object is done.
  bytes::Writer* stream = nullptr;
  bool inPlace = false;
  std::size_t bodyAt = 0;
  std::size_t streamEnd = 0;

  std::span<const std::uint8_t> valueOf(const Entry& e) const {
    switch (e.where) {
      case Where::kBlob:
        return {blob->data() + e.at, e.size};
      case Where::kStream:
        return {stream->bytes().data() + e.at, e.size};
      case Where::kOwned:
        break;
    }
    return e.owned;
  }

  // 1-based position of the entry named `key`, 0 when none.
  std::size_t position(const FoldedKey& key) const {
    if (entries.size() <= kLinearLimit) {
      for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].hash == key.hash() && key.matches(entries[i].name)) return i + 1;
      }
      return 0;
    }
    const std::uint32_t* found = index.find(
        key.hash(), [&](std::uint32_t ref) { return key.matches(entries[ref - 1].name); });
    return found == nullptr ? 0 : *found;
  }
  const Entry* find(std::string_view name) const {
    const std::size_t at = position(FoldedKey(name));
    return at == 0 ? nullptr : &entries[at - 1];
  }

  void add(Entry e) {
    if (entries.empty()) entries.reserve(4);
    entries.push_back(std::move(e));
    if (entries.size() > kLinearLimit) {
      if (index.size() == 0) {
        reindex();
      } else {
        index.insert(entries.back().hash, static_cast<std::uint32_t>(entries.size()));
      }
    }
  }
  void erase(std::size_t at) {
    inPlace = false;
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at));
    reindex();
  }
  void reindex() {
    index.clear();
    if (entries.size() <= kLinearLimit) return;
    index.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      index.insert(entries[i].hash, static_cast<std::uint32_t>(i + 1));
    }
  }

  // Entries kept in the stream get their own copy, for a node that outlives
  // the stream or is copied.
  void detachFromStream() {
    for (Entry& e : entries) {
      if (e.where != Where::kStream) continue;
      const auto bytes = valueOf(e);
      e.owned.assign(bytes.begin(), bytes.end());
      e.where = Where::kOwned;
    }
    stream = nullptr;
    inPlace = false;
  }

  // The number of bytes writeBody() produces, to allocate the output once.
  std::size_t bodySize() const {
    std::size_t n = 4;
    for (const Entry& e : entries) n += 4 + e.name.size() + e.size;
    return n;
  }

  void writeBody(bytes::Writer& w) const {
    w.u32(static_cast<std::uint32_t>(entries.size()));
    for (const Entry& e : entries) {
      w.lengthPrefixed(e.name);
      w.raw(valueOf(e));
    }
  }
};

}  // namespace

struct PropertyBag::Impl {
  std::shared_ptr<Node> node;  // null until something is written or loaded
  int depth = 0;               // nesting level of this bag's owner

  // The node to write into, copied first when another bag shares it.
  Node& mutableNode() {
    if (!node) {
      node = std::make_shared<Node>();
    } else if (node.use_count() > 1) {
      auto copy = std::make_shared<Node>(*node);
      copy->detachFromStream();
      node = std::move(copy);
    }
    return *node;
  }

  // Parses and validates a body into `into`; offsets are the reader's, which
  // are offsets into the loaded blob.
  static void parseBody(bytes::Reader& r, int depth, Node& into) {
    const std::uint32_t count = r.u32();
    if (count > r.remaining() / kMinEntrySize) r.fail("entry count larger than its data");
    into.entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t nameAt = r.offset();
      Node::Entry e;
      e.name = std::string(r.lengthPrefixed("entry name"));
      e.at = r.offset();
      e.object = parseValue(r, depth, into.blob);
      e.size = r.offset() - e.at;
      e.where = Node::Where::kBlob;
      const FoldedKey key(e.name);
      if (into.position(key) != 0) {
        bytes::Reader({}, nameAt).fail("duplicate entry name '" + e.name + "'");
      }
      e.hash = key.hash();
      into.add(std::move(e));
    }
  }

  // Steps over one value, validating it in full; for a stored object returns
  // its parsed entries.
  static std::shared_ptr<Node> parseValue(
      bytes::Reader& r, int depth, const std::shared_ptr<const std::vector<std::uint8_t>>& blob) {
    const std::uint16_t tag = r.u16();
    switch (tag) {
      case tagOf(VarType::Empty):
      case tagOf(VarType::Null):
        return nullptr;
      case tagOf(VarType::Int16):
        r.u16();
        return nullptr;
      case tagOf(VarType::Int32):
      case tagOf(VarType::Single):
      case tagOf(VarType::Error):
        r.u32();
        return nullptr;
      case tagOf(VarType::Double):
      case tagOf(VarType::Currency):
      case tagOf(VarType::Date):
        r.i64();
        return nullptr;
      case tagOf(VarType::Byte):
        r.u8();
        return nullptr;
      case tagOf(VarType::Bool):
        if (r.u8() > 1) r.fail("boolean neither 0 nor 1");
        return nullptr;
      case tagOf(VarType::String):
        r.lengthPrefixed("text");
        return nullptr;
      case tagOf(VarType::Object): {
        if (r.lengthPrefixed("ProgID").empty()) return nullptr;  // Nothing
        if (depth + 1 > kMaxDepth) r.fail("objects nested too deep");
        bytes::Reader body = r.subReader("object");
        auto nested = std::make_shared<Node>();
        nested->blob = blob;
        parseBody(body, depth + 1, *nested);
        if (!body.atEnd()) body.fail("bytes left over after an object");
        return nested;
      }
      case kByteArray: {
        if (depth + 1 > kMaxDepth) r.fail("arrays nested too deep");
        const ReadBounds b = readBounds(r, [&] { return r.remaining(); });
        r.take(b.elements, "byte array");
        return nullptr;
      }
      case kVariantArray: {
        if (depth + 1 > kMaxDepth) r.fail("arrays nested too deep");
        // The payload length comes after the bounds; peek it for the limit.
        const ReadBounds b = readBounds(r, [&] {
          bytes::Reader ahead = r;
          return static_cast<std::size_t>(ahead.u32());
        });
        bytes::Reader elements = r.subReader("array");
        for (std::size_t i = 0; i < b.elements; ++i) parseValue(elements, depth + 1, blob);
        if (!elements.atEnd()) elements.fail("bytes left over after an array");
        return nullptr;
      }
      default:
        r.fail("unknown value type " + std::to_string(tag));
    }
  }

  // Re-creates an object from its ProgID and its entries.
  static ObjectRef readObject(std::string_view progId, std::shared_ptr<Node> entries, int depth) {
    PropertyBag nested;
    nested.impl_->node = std::move(entries);
    nested.impl_->depth = depth + 1;
    const ClassRegistry::Factory factory = FactoryCache::local().find(progId);
    ObjectRef object = factory ? factory() : nullptr;
    if (!object) throw AutomationError(err::kCantCreateObject);
    object->readProperties(nested);
    return object;
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
        // Only objects inside arrays come here (an entry's own object is
        // parsed already); their bytes are copied into a blob of their own.
        const std::string_view progId = r.lengthPrefixed("ProgID");
        if (progId.empty()) return Variant::nothing();
        bytes::Reader sized = r.subReader("object");
        const auto data = sized.take(sized.remaining(), "object");
        auto nested = std::make_shared<Node>();
        nested->blob = std::make_shared<const std::vector<std::uint8_t>>(data.begin(), data.end());
        bytes::Reader body(*nested->blob);
        parseBody(body, depth + 1, *nested);
        return readObject(progId, std::move(nested), depth);
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

  // Writes an object: its ProgID, then its body, which its entries lay out
  // in place at the end of `w` (see Node).
  static void encodeObject(bytes::Writer& w, Object& object, int depth) {
    const std::string_view progId = object.progId();
    checkPersistable(object, progId);
    w.u16(tagOf(VarType::Object));
    w.lengthPrefixed(progId);
    const std::size_t lengthAt = w.reserveLength();
    const std::size_t bodyAt = w.size();
    w.u32(0);  // the count, patched when the object is done
    PropertyBag nested;
    nested.impl_->depth = depth + 1;
    auto node = std::make_shared<Node>();
    node->stream = &w;
    node->inPlace = true;
    node->bodyAt = bodyAt;
    node->streamEnd = w.size();
    // Only the bag owns the node, so that writing it never copies it.
    const std::weak_ptr<Node> weak = node;
    const Node* const laidOut = node.get();
    nested.impl_->node = std::move(node);
    // A node the object took elsewhere (by moving the bag) keeps working on
    // its own copies once the stream is gone.
    auto detachStray = [&](const Node* current) {
      if (auto held = weak.lock(); held && held.get() != current) held->detachFromStream();
    };
    try {
      object.writeProperties(nested);
    } catch (...) {
      detachStray(nullptr);
      throw;
    }

    const Node* current = nested.impl_ ? nested.impl_->node.get() : nullptr;
    detachStray(current);
    if (current == laidOut && current->inPlace) {
      w.patchCount(bodyAt, current->entries.size());
    } else {
      bytes::Writer body;
      if (current != nullptr) {
        current->writeBody(body);
      } else {
        body.u32(0);
      }
      w.truncate(bodyAt);
      w.raw(body.bytes());
    }
    w.patchLength(lengthAt);
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
      case VarType::Object:
        encodeObject(w, *v.object(), depth);
        return;
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
  const FoldedKey key(name);
  const std::size_t found = d.node ? d.node->position(key) : 0;
  if (!defaultValue.isMissing() && value == defaultValue) {
    if (found != 0) d.mutableNode().erase(found - 1);
    return;
  }
  Node& node = d.mutableNode();
  if (node.inPlace && (found != 0 || node.stream->size() != node.streamEnd)) node.inPlace = false;
  Node::Entry fresh;
  Node::Entry& e = found != 0 ? node.entries[found - 1] : fresh;
  if (node.inPlace) {
    // Appended where the body is laid out; a failure leaves no trace.
    bytes::Writer& w = *node.stream;
    const std::size_t recordAt = w.size();
    try {
      w.lengthPrefixed(name);
      e.at = w.size();
      Impl::encodeValue(w, value, d.depth);
    } catch (...) {
      w.truncate(recordAt);
      throw;
    }
    e.size = w.size() - e.at;
    e.where = Node::Where::kStream;
    node.streamEnd = w.size();
  } else {
    bytes::Writer w;
    Impl::encodeValue(w, value, d.depth);
    e.owned = w.release();
    e.at = 0;
    e.size = e.owned.size();
    e.where = Node::Where::kOwned;
  }
  e.object = nullptr;
  if (found != 0) return;
  e.name = std::string(name);
  e.hash = key.hash();
  node.add(std::move(fresh));
}

Variant PropertyBag::readProperty(std::string_view name, const Variant& defaultValue) const {
  const Node::Entry* e = impl_ && impl_->node ? impl_->node->find(name) : nullptr;
  if (e == nullptr) {
    if (defaultValue.isMissing()) {
      throw AutomationError(err::kDataValueNotFound,
                            "Data value named '" + std::string(name) + "' not found");
    }
    return defaultValue;
  }
  const Node& node = *impl_->node;
  bytes::Reader r(node.valueOf(*e));
  if (!e->object) return Impl::decodeValue(r, impl_->depth);
  // A loaded object: its entries are parsed already.
  r.u16();
  const std::string_view progId = r.lengthPrefixed("ProgID");
  return Impl::readObject(progId, e->object, impl_->depth);
}

bool PropertyBag::contains(std::string_view name) const {
  return impl_ && impl_->node && impl_->node->find(name) != nullptr;
}

std::size_t PropertyBag::size() const {
  return impl_ && impl_->node ? impl_->node->entries.size() : 0;
}

std::vector<std::string> PropertyBag::names() const {
  std::vector<std::string> out;
  if (size() == 0) return out;
  out.reserve(impl_->node->entries.size());
  for (const auto& e : impl_->node->entries) out.push_back(e.name);
  return out;
}

std::vector<std::uint8_t> PropertyBag::contents() const {
  bytes::Writer w;
  w.reserve(sizeof kMagic + 1 + (size() != 0 ? impl_->node->bodySize() : 4));
  w.raw(std::string_view(kMagic, sizeof kMagic));
  w.u8(kVersion);
  if (size() != 0) {
    impl_->node->writeBody(w);
  } else {
    w.u32(0);
  }
  return w.release();
}

void PropertyBag::setContents(std::span<const std::uint8_t> bytes) {
  bytes::Reader r(bytes);
  auto magic = r.take(sizeof kMagic, "header");
  if (std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) r.fail("not a property bag");
  const std::uint8_t version = r.u8();
  if (version != kVersion) r.fail("unsupported version " + std::to_string(version));
  // The entries keep views into one copy of the input, taken up front.
  auto loaded = std::make_shared<Node>();
  loaded->blob = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
  bytes::Reader body(*loaded->blob);
  body.take(r.offset(), "header");
  Impl::parseBody(body, 0, *loaded);
  if (!body.atEnd()) body.fail("bytes left over after the last entry");
  if (!impl_) impl_ = std::make_unique<Impl>();
  impl_->node = std::move(loaded);
}

}  // namespace velmora

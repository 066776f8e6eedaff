// The byte format of property bags, and PropertyBag::Impl: a bag's entries
// with the routines that load, read, write and copy them. The routines
// live in bag_codec.cc, the bag's own members in property_bag.cc.
//
// Byte format, version 2. The version byte says how the rest is laid out:
// a build reads every version ever written (version 1 through
// bag_format_v1.h), writes only the newest, and refuses a higher version
// with 321, as it cannot know its layout. A change to the layout takes the
// next version and keeps a reader of the one before. Fixture bytes of every
// version live in tests/properties/fixtures.
// Fixed-width numbers are little-endian; lengths,
// counts and numbers are unsigned LEB128 varints in their shortest form.
//
//   bag    := "CVPB" version:u8(=2) names body
//   names  := count:varint str{count}     (entry names and ProgIDs)
//   str    := length:varint bytes{length} (kept as bytes; need not be UTF-8)
//   body   := entry* 0:varint
//   entry  := name:varint(number + 1) value
//   value  := tag:u8 payload              (tag = the variant's VarType)
//     Empty 0, Null 1   nothing
//     Int16 2           i16          Int32 3     i32
//     Single 4          f32 bits     Double 5    f64 bits
//     Currency 6        i64 (scaled by 10,000)   Date 7  f64 bits
//     String 8          str          Error 10    i32
//     Bool 11           u8, 0 or 1   Byte 17     u8
//     Object 9          class:varint, 0 for Nothing, otherwise the number + 1
//                       of its ProgID in names, followed by its body
//     Byte array 0x91   bounds, then the elements' bytes
//     Variant array 0x8C
//                       bounds, then value{elements}
//   bounds := dims:varint (lbound:zigzag varint count:varint){dims}; no
//             dimensions is the never-dimensioned array; elements in
//             row-major order.
//
// Objects and arrays each nest one level deeper than what holds them; the
// entries of a bag are at level 0. Nothing deeper than kMaxDepth is written
// (error 28) or loaded (error 321), which also bounds the recursion here.
//
// Loading is strict so that contents() of a loaded bag reproduces its input,
// and bytes that load are exactly the bytes a writer would produce: every
// length is checked against the bytes that remain before anything is
// allocated, element counts may not overflow, booleans are 0 or 1, varints
// are in their shortest form, names are unique and each is used, first used
// in table order, entry names are unique within a body (letter case
// ignored), and no byte may be left over.
#pragma once

#include <commonvelmora/property_bag.h>
#include <commonvelmora/variant.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "core/bag_document.h"

namespace velmora {
namespace bag {

constexpr char kMagic[4] = {'C', 'V', 'P', 'B'};
constexpr std::uint8_t kVersion = 2;
constexpr std::int32_t kNotPersistable = 330;

constexpr std::uint8_t tagOf(VarType t) { return static_cast<std::uint8_t>(t); }
constexpr std::uint8_t kArrayFlag = 0x80;
constexpr std::uint8_t kByteArray = kArrayFlag | tagOf(VarType::Byte);
constexpr std::uint8_t kVariantArray = kArrayFlag | tagOf(VarType::Variant);
constexpr std::uint8_t kObjectTag = tagOf(VarType::Object);

// Where a value is: a range of the stream.
struct Range {
  std::size_t at = 0;
  std::size_t size = 0;
};

// What loading checks across the whole input.
struct LoadChecks {
  std::uint32_t nextNew = 0;  // the next name to be used for the first time

  std::uint32_t name(bytes::Reader& r, std::uint32_t number, const BagNames& names) {
    if (number >= names.size()) r.fail("name number out of range");
    if (number > nextNew) r.fail("names not in order of first use");
    if (number == nextNew) ++nextNew;
    return number;
  }
};

}  // namespace bag

struct PropertyBag::Impl {
  using BagNames = velmora::BagNames;
  using Body = bag::Body;
  using DocRef = bag::DocRef;
  using Document = bag::Document;
  using Entry = bag::Entry;
  using LoadChecks = bag::LoadChecks;
  using Node = bag::Node;
  using Range = bag::Range;

  Node node;
  int depth = 0;  // nesting level of this bag's owner

  // A bag lent to an object being written or read: the document's bag for
  // its nesting level when that is free, otherwise one of its own.
  class LentBag {
   public:
    LentBag(Document& doc, int depth) {
      auto& slots = doc.lent;
      const auto level = static_cast<std::size_t>(depth);
      while (slots.size() <= level) slots.push_back(std::make_unique<Document::LentSlot>());
      Document::LentSlot& slot = *slots[level];
      if (slot.busy) {
        local_ = std::make_unique<PropertyBag>();
        bag_ = local_.get();
      } else {
        slot.busy = true;
        bag_ = &slot.bag;
        busy_ = &slot.busy;
      }
      if (!bag_->impl_) bag_->impl_ = std::make_unique<Impl>();
      bag_->impl_->depth = depth;
    }
    ~LentBag() {
      if (bag_->impl_) bag_->impl_->node.recycle();
      if (busy_ != nullptr) *busy_ = false;
    }
    LentBag(const LentBag&) = delete;
    LentBag& operator=(const LentBag&) = delete;

    PropertyBag& bag() { return *bag_; }

   private:
    PropertyBag* bag_ = nullptr;
    std::unique_ptr<PropertyBag> local_;
    bool* busy_ = nullptr;  // of the document's slot, while this has it
  };

  // ---- entry points ------------------------------------------------------

  // Writing a value equal to its default: the entry goes, if it is there.
  void remove(std::string_view name) {
    if (!node.doc) return;
    const std::uint32_t fold = node.doc->names.foldOf(name);
    if (fold == BagNames::kNone) return;  // no entry can have that name
    if (const std::size_t found = node.findFold(fold)) node.erase(found - 1);
  }

  // Writing anything else, where PropertyBag::writeProperty has no short cut.
  // `bag` owns this Impl when the call begins; an object written meanwhile
  // may take it away (or destroy it), which is checked through `bag`.
  [[gnu::noinline]] void write(PropertyBag& bag, std::string_view name, const Variant& value) {
    if (!node.doc) {
      node.doc = bag::newDocument();
      node.inPlace = true;
    }
    const bool runsObjects = value.isObject() || value.isArray();
    // Held here while objects write themselves: one could reload or move this
    // very bag.
    const DocRef keep = runsObjects ? node.doc : DocRef();
    const DocRef& docRef = runsObjects ? keep : node.doc;
    Document& doc = *docRef;
    bytes::Writer& w = doc.stream;
    std::uint32_t number = 0;
    std::size_t found = 0;
    if (node.inPlace && w.size() == node.end) {
      number = node.nameNumber(name);
    } else {
      number = doc.names.intern(name);
      node.inPlace = false;
      node.fromLast = false;
      node.settle();
      found = node.findFold(doc.names[number].foldId);
      if (found != 0) number = node.entries()[found - 1].name;  // keeps the first spelling
    }
    if (node.inPlace) w.varint(number + 1);
    const std::size_t valueAt = w.size();
    Range r;
    try {
      r = Impl::encodeValue(docRef, value, depth);
    } catch (...) {
      // What was written so far stays in the stream, unreferenced; the entry
      // keeps its old value, or stays absent.
      doc.strayNames = true;
      throw;
    }
    if (runsObjects && (bag.impl_.get() != this || node.doc != keep)) return;  // replaced
    if (node.inPlace) {
      node.inPlace = r.at == valueAt && r.at + r.size == w.size();
      node.end = w.size();
    }
    const Entry e{number, 0, r.at, r.size, true};
    if (found != 0) {
      node.ownEntries()[found - 1] = e;
    } else {
      node.add(e);
    }
  }

  // ---- loading -----------------------------------------------------------

  // Validates `bytes` and gives them to `bag`, copied or, when `lend`, only
  // viewed (see LentContents).
  static void load(PropertyBag& bag, std::span<const std::uint8_t> bytes, bool lend);
  // The end of a loan: the bag lets go, and a document still kept elsewhere
  // takes a copy of the bytes.
  static void endLoan(PropertyBag& bag);

  // Parses and validates a body; returns its number + 1. `checks` is null
  // for bytes this library wrote itself into the stream.
  static std::uint32_t parseBody(Document& doc, bytes::Reader& r, bool inStream, int depth,
                                 LoadChecks* checks, std::vector<Entry>& pending);

  // Steps over one value, validating it in full. For an object that is an
  // entry's own value returns its body's number + 1; other objects' bodies
  // are recorded by place.
  static std::uint32_t parseValue(Document& doc, bytes::Reader& r, bool inStream, int depth,
                                  LoadChecks* checks, std::vector<Entry>& pending, bool entryLevel);

  // ---- reading -----------------------------------------------------------

  // Re-creates an object from its class name and its parsed body.
  static ObjectRef readObject(const DocRef& doc, std::uint32_t className, std::size_t body,
                              int depth);

  // The body of an object that is not an entry's own loaded value, parsed
  // the first time it is read.
  static std::size_t bodyOf(Document& doc, bool inStream, std::size_t bodyAt, int depth);

  // Decodes one value from known-good bytes, re-creating objects.
  static Variant decodeValue(const DocRef& doc, bytes::Reader& r, bool inStream, int depth);

  static Variant readEntry(const DocRef& doc, const Entry& e, int depth);

  // ---- writing -----------------------------------------------------------

  // Writes an object: its header, then its body, which the bag lent to it
  // lays out in place right behind (see the top of this file).
  static Range encodeObject(const DocRef& doc, Object& object, int depth);

  static Range encodeValue(const DocRef& doc, const Variant& v, int depth);

  // A value that is neither an object nor an array: its tag and payload.
  static void encodePlain(bytes::Writer& w, const Variant& v);

  static Range encodeArray(const DocRef& doc, const SafeArray& array, int depth);

  // ---- contents ----------------------------------------------------------

  // Copies a value from the document into `out`, numbering its names anew
  // in `names`.
  static void transcodeValue(const Document& doc, bytes::Reader& r, bytes::Writer& out,
                             BagNames& names);

  // The bag's bytes behind `prefix`, in one buffer (see bag_contents.h).
  static std::vector<std::uint8_t> contents(const PropertyBag& bag,
                                            std::span<const std::uint8_t> prefix);

  // `prefix`, then the whole bag: header, names, the entries and the end of
  // the body.
  static std::vector<std::uint8_t> withHeader(std::span<const std::uint8_t> prefix,
                                              const BagNames& names,
                                              std::span<const std::uint8_t> entries);
};

// Inline: the short path of writing a plain value calls it for every entry.
inline void PropertyBag::Impl::encodePlain(bytes::Writer& w, const Variant& v) {
  const VarType type = v.type();
  w.u8(bag::tagOf(type));
  switch (type) {
    case VarType::Int16:
      w.u16(static_cast<std::uint16_t>(v.as<std::int16_t>()));
      return;
    case VarType::Int32:
      w.i32(v.as<std::int32_t>());
      return;
    case VarType::Single:
      w.f32(v.as<float>());
      return;
    case VarType::Double:
      w.f64(v.as<double>());
      return;
    case VarType::Currency:
      w.i64(v.as<Currency>().scaled);
      return;
    case VarType::Date:
      w.f64(v.as<Date>().serial);
      return;
    case VarType::String:
      w.text(v.text());
      return;
    case VarType::Error:
      w.i32(v.as<ErrorCode>().scode);
      return;
    case VarType::Bool:
      w.u8(v.as<bool>() ? 1 : 0);
      return;
    case VarType::Byte:
      w.u8(v.as<std::uint8_t>());
      return;
    default:  // Empty and Null have no payload
      return;
  }
}

}  // namespace velmora

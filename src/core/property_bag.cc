// The property bag keeps each entry's value already encoded: writing an entry
// takes a snapshot of the value (an object writes itself at that moment, as
// the runtime's bag does). Reading decodes the entry afresh, so every read of
// an object entry makes a new object.
//
// Everything a bag and the bags nested in it hold lives in one Document: the
// bytes it was loaded from, a stream that every value written since is
// appended to, and the table of names both refer to. An entry is a name
// number and the place of its value in the blob or the stream, so nothing is
// copied from one level to the next:
// - While an object is written, the bag it is given appends its entries to
//   the stream right after the object's header, so a tree is encoded in one
//   pass into one buffer. Should the object break that layout (overwrite or
//   remove an entry, write to another bag meanwhile, take its bag away), its
//   body is put together again from its entries at the end of the stream.
// - Loading validates every byte once and keeps the parsed entries of every
//   object; reading an object hands them to its bag as a view.
// The bags handed to objects are lent, one per nesting level and thread, and
// reused from object to object.
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
//
// Decisions where the runtime leaves room:
// - Writing a value equal to its default removes an earlier entry of that
//   name, so that a reader given the same default gets the value back.
// - Overwriting an entry keeps its place and its first spelling.
// - An object is persistable when its progId() is non-empty and registered in
//   the ClassRegistry; otherwise writing it raises 330. Unknown ProgIDs in
//   loaded bytes are accepted when loading and raise 429 when the entry is
//   read.
// - An object that takes its bag away (moves it elsewhere) stores an empty
//   body; the bag it took stays usable.
// - A bag and the bags read from it share their Document, so they belong to
//   one thread at a time, like the objects that use them.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>
#include <commonvelmora/property_bag.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/bag_format_v1.h"
#include "core/bag_names.h"
#include "core/byte_codec.h"
#include "core/factory_cache.h"
#include "core/flat_key_index.h"
#include "core/unicode_fold.h"

namespace velmora {
namespace {

constexpr char kMagic[4] = {'C', 'V', 'P', 'B'};
constexpr std::uint8_t kVersion = 2;
constexpr std::int32_t kNotPersistable = 330;

constexpr std::uint8_t tagOf(VarType t) { return static_cast<std::uint8_t>(t); }
constexpr std::uint8_t kArrayFlag = 0x80;
constexpr std::uint8_t kByteArray = kArrayFlag | tagOf(VarType::Byte);
constexpr std::uint8_t kVariantArray = kArrayFlag | tagOf(VarType::Variant);
constexpr std::uint8_t kObjectTag = tagOf(VarType::Object);

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

// One stored entry: its name and where its value's bytes are.
struct Entry {
  std::uint32_t name = 0;    // number in the Document's names
  std::uint32_t object = 0;  // for a loaded object: its parsed body + 1
  std::size_t at = 0;        // value bytes (tag and payload)
  std::size_t size = 0;
  bool inStream = false;  // in the stream, else in the loaded blob
};

// A parsed body: a run of Document::parsed, and where its bytes end.
struct Body {
  std::size_t first = 0;
  std::size_t count = 0;
  std::size_t end = 0;
};

// The stream of the last document a thread was done with, kept for the
// next: a program that writes its settings again and again then writes
// into memory it already has instead of faulting in fresh pages each time.
// Streams above kSpareLimit are given back.
constexpr std::size_t kSpareLimit = 16 << 20;
thread_local bytes::Writer tlSpareStream;

struct Document {
  Document() { stream.takeBufferOf(tlSpareStream); }
  ~Document() {
    if (stream.capacity() <= kSpareLimit && stream.capacity() > tlSpareStream.capacity()) {
      tlSpareStream.takeBufferOf(stream);
    }
  }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  std::vector<std::uint8_t> blob;  // the loaded bytes
  bytes::Writer stream;            // every value written since
  BagNames names;
  std::vector<Entry> parsed;  // the entries of every parsed body, a run each
  std::vector<Body> bodies;
  std::size_t loadedRoot = 0;  // the top level of the blob + 1
  // Bodies of objects that are no entry of their own (array elements, values
  // written and read back), parsed when first read: by place (stream << 1).
  std::unordered_map<std::uint64_t, std::uint32_t> bodyAt;
  // A write failed part way, so the names may hold one nothing refers to.
  bool strayNames = false;
  // Per name used as a class: its factory, looked up once per generation
  // of the registry (a tree names a handful of classes a hundred thousand
  // times).
  struct Class {
    std::uint64_t generation = 0;  // of the registry, + 1
    ClassRegistry::Factory factory;
  };
  std::vector<Class> classes;
  const ClassRegistry& registry = ClassRegistry::instance();
  const ClassRegistry::Factory& factoryOf(std::uint32_t name) {
    const std::uint64_t generation = registry.generation() + 1;
    if (name >= classes.size()) classes.resize(name + 1);
    Class& c = classes[name];
    if (c.generation != generation) {
      c.factory = FactoryCache::local().find(names[name].text);
      c.generation = generation;
    }
    return c.factory;
  }
  // The name number of a persistable class, from its ProgID; 0 when the
  // class is not registered. The objects of a tree mostly share their
  // class, so the last answer is tried first.
  std::uint32_t persistableClass(std::string_view progId) {
    if (progId.data() != lastProgId.data() || progId.size() != lastProgId.size() ||
        !BagNames::sameText(names[lastClass].text, progId)) {
      lastClass = names.intern(progId);
      lastProgId = progId;
    }
    return factoryOf(lastClass) ? lastClass + 1 : 0;
  }
  std::string_view lastProgId;  // as the object gave it, only compared by address
  std::uint32_t lastClass = 0;
  // The first of `entries` whose name folds like an earlier one's, or
  // entries.size() when the names are unique. One pass, with a mark per
  // fold of a name (the number of the pass that last met it).
  std::size_t repeatedName(std::span<const Entry> entries) {
    if (++passes == 0) {
      std::fill(seenIn.begin(), seenIn.end(), 0);
      passes = 1;
    }
    if (seenIn.size() < names.size()) seenIn.resize(names.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      std::uint32_t& seen = seenIn[names[entries[i].name].foldId];
      if (seen == passes) return i;
      seen = passes;
    }
    return entries.size();
  }
  std::vector<std::uint32_t> seenIn;
  std::uint32_t passes = 0;
  std::size_t refs = 0;  // see DocRef
  // The bags lent to the objects being written or read, one per nesting
  // level, reused from object to object (see Impl::LentBag).
  struct LentSlot {
    PropertyBag bag;
    bool busy = false;
  };
  std::vector<std::unique_ptr<LentSlot>> lent;  // slots stay put as levels are added

  std::span<const std::uint8_t> source(bool inStream) const {
    return inStream ? stream.bytes() : std::span<const std::uint8_t>(blob);
  }
  std::span<const std::uint8_t> bytesOf(const Entry& e) const {
    return source(e.inStream).subspan(e.at, e.size);
  }
};

// Shared ownership of a Document. Bags that share one belong to one thread
// at a time, so the count is a plain integer: the atomic one of shared_ptr
// cost more than anything else about handing a bag to an object.
class DocRef {
 public:
  DocRef() = default;
  static DocRef create() { return DocRef(new Document()); }
  DocRef(const DocRef& other) : doc_(other.doc_) {
    if (doc_ != nullptr) ++doc_->refs;
  }
  DocRef(DocRef&& other) noexcept : doc_(std::exchange(other.doc_, nullptr)) {}
  DocRef& operator=(const DocRef& other) noexcept {
    if (other.doc_ != nullptr) ++other.doc_->refs;  // first: other may be this
    reset();
    doc_ = other.doc_;
    return *this;
  }
  DocRef& operator=(DocRef&& other) noexcept {
    if (this != &other) {
      reset();
      doc_ = std::exchange(other.doc_, nullptr);
    }
    return *this;
  }
  ~DocRef() { reset(); }
  void reset() {
    if (doc_ != nullptr && --doc_->refs == 0) destroy(doc_);
    doc_ = nullptr;
  }

  Document* get() const { return doc_; }
  Document* operator->() const { return doc_; }
  Document& operator*() const { return *doc_; }
  explicit operator bool() const { return doc_ != nullptr; }
  friend bool operator==(const DocRef& a, const DocRef& b) { return a.doc_ == b.doc_; }

 private:
  explicit DocRef(Document* doc) : doc_(doc) { ++doc_->refs; }
  [[gnu::noinline]] static void destroy(Document* doc) { delete doc; }
  Document* doc_ = nullptr;
};

// The entries of one bag: its own, or a view of a parsed body.
struct Node {
  // Small bags (an object's few fields) are searched linearly; larger ones
  // get a hash index of 1-based positions by the fold of the name.
  static constexpr std::size_t kLinearLimit = 8;

  DocRef doc;  // null until something is written or loaded
  std::vector<Entry> own;
  std::size_t viewOf = 0;  // a parsed body + 1 whose entries these are; 0: own
  FlatKeyIndex<std::uint32_t> index;
  std::size_t hint = 0;  // where the last entry asked for was
  // In place: every entry so far lies in the stream one after the other
  // from `start`, and the next one goes at `end`.
  bool inPlace = false;
  std::size_t start = 0;
  std::size_t end = 0;
  bool unchecked = false;  // see settle()
  // The names of the entries the last object given this (lent) bag wrote,
  // in order: the next object of a tree mostly writes the same ones.
  std::vector<std::uint32_t> lastNames;
  bool fromLast = true;  // every entry so far took its name from lastNames

  std::span<const Entry> entries() const {
    if (viewOf == 0) return own;
    const Body& b = doc->bodies[viewOf - 1];
    return {doc->parsed.data() + b.first, b.count};
  }
  std::vector<Entry>& ownEntries() {
    if (viewOf != 0) {
      const auto view = entries();
      own.assign(view.begin(), view.end());
      viewOf = 0;
    }
    return own;
  }

  // The number of `text` as the name of the next entry written in place.
  // An entry named as the last object's entry in the same place keeps the
  // names unique as long as all before it did the same (the last object's
  // names were settled), so only other names leave the node unchecked.
  std::uint32_t nameNumber(std::string_view text) {
    BagNames& names = doc->names;
    const std::size_t next = own.size();
    if (next < lastNames.size() && lastNames[next] < names.size() &&
        BagNames::sameText(names[lastNames[next]].text, text)) {
      return lastNames[next];
    }
    unchecked = true;
    fromLast = false;
    return names.intern(text);
  }

  // Empties a lent bag for the next object, remembering the names it wrote.
  void recycle() {
    // Entries that all took the last object's names in their places and as
    // many leave those names as they are.
    const bool sameNames = fromLast && own.size() == lastNames.size();
    if (viewOf == 0 && !own.empty() && !sameNames) {
      settle();
      lastNames.clear();
      for (const Entry& e : own) lastNames.push_back(e.name);
    }
    reset();
  }

  void reset() {
    doc.reset();
    own.clear();
    viewOf = 0;
    index.clear();
    hint = 0;
    inPlace = false;
    start = end = 0;
    unchecked = false;
    fromLast = true;
  }

  // 1-based position of the entry named `text` (letter case ignored), 0 when
  // none. Readers mostly ask for entries in the order they were written, and
  // in the spelling they were written with, so that is tried first.
  std::size_t find(std::string_view text) {
    if (!unchecked) {
      const auto list = entries();
      const BagNames& names = doc->names;
      for (std::size_t i = hint; i < list.size() && i < hint + 2; ++i) {
        if (BagNames::sameText(names[list[i].name].text, text)) return found(i);
      }
    }
    const std::uint32_t fold = doc->names.foldOf(text);
    return fold == BagNames::kNone ? 0 : findFold(fold);
  }
  bool hasFold(std::uint32_t fold) const {
    for (const Entry& e : own) {
      if (doc->names[e.name].foldId == fold) return true;
    }
    return false;
  }
  // 1-based position of the entry whose name has the fold `fold`, 0 when none.
  std::size_t findFold(std::uint32_t fold) {
    if (unchecked) {
      // As in find(): an absent name needs no settling to be sure of.
      if (own.size() <= kLinearLimit && !hasFold(fold)) return 0;
      settle();
    }
    const auto list = entries();
    const BagNames& names = doc->names;
    if (list.size() <= kLinearLimit) {
      for (std::size_t i = 0; i < list.size(); ++i) {
        if (names[list[i].name].foldId == fold) return found(i);
      }
      return 0;
    }
    if (index.size() == 0) reindex();
    const std::uint32_t* at = index.find(foldHash(fold), [&](std::uint32_t ref) {
      return names[list[ref - 1].name].foldId == fold;
    });
    return at == nullptr ? 0 : found(*at - 1);
  }
  static std::size_t foldHash(std::uint32_t fold) {
    return static_cast<std::size_t>(fold * 0x9e3779b97f4a7c15ull);
  }
  std::size_t found(std::size_t i) {
    hint = i;
    return i + 1;
  }

  // The index, once built, is kept up to date; it is built when first
  // needed (see findFold).
  void add(const Entry& e) {
    ownEntries();
    append(e);
  }
  // add() for a bag known to own its entries.
  void append(const Entry& e) {
    own.push_back(e);
    if (index.size() != 0) {
      index.insert(foldHash(doc->names[e.name].foldId), static_cast<std::uint32_t>(own.size()));
    }
  }

  // Entries written in place are appended without looking for an earlier
  // one of the same name (a look-up per entry is what writing a large tree
  // would otherwise spend most of its time on); the names are checked
  // here, in one pass, before anything looks at the entries. A name written
  // twice keeps its first place and spelling and its last value.
  void settle() {
    if (!unchecked) return;
    unchecked = false;
    if (doc->repeatedName(own) == own.size()) return;
    const BagNames& names = doc->names;
    std::vector<Entry> merged;
    std::unordered_map<std::uint32_t, std::size_t> placeOf;  // by fold
    for (const Entry& e : own) {
      const auto [at, first] = placeOf.try_emplace(names[e.name].foldId, merged.size());
      if (first) {
        merged.push_back(e);
      } else {
        Entry& kept = merged[at->second];
        kept = Entry{kept.name, e.object, e.at, e.size, e.inStream};
      }
    }
    own = std::move(merged);
    index.clear();
    hint = 0;
    inPlace = false;
  }
  void erase(std::size_t i) {
    std::vector<Entry>& list = ownEntries();
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    index.clear();  // rebuilt when next needed
    hint = 0;
    inPlace = false;
    unchecked = true;  // the places no longer match the last object's names
    fromLast = false;
  }
  void reindex() {
    index.clear();
    const auto list = entries();
    if (list.size() <= kLinearLimit) return;
    index.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      index.insert(foldHash(doc->names[list[i].name].foldId), static_cast<std::uint32_t>(i + 1));
    }
  }
};

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

}  // namespace

struct PropertyBag::Impl {
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
      node.doc = DocRef::create();
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

  // Parses and validates a body; returns its number + 1. `checks` is null
  // for bytes this library wrote itself into the stream.
  static std::uint32_t parseBody(Document& doc, bytes::Reader& r, bool inStream, int depth,
                                 LoadChecks* checks, std::vector<Entry>& pending) {
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
  static std::uint32_t parseValue(Document& doc, bytes::Reader& r, bool inStream, int depth,
                                  LoadChecks* checks, std::vector<Entry>& pending,
                                  bool entryLevel) {
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

  // ---- reading -----------------------------------------------------------

  // Re-creates an object from its class name and its parsed body.
  static ObjectRef readObject(const DocRef& doc, std::uint32_t className, std::size_t body,
                              int depth) {
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
  static std::size_t bodyOf(Document& doc, bool inStream, std::size_t bodyAt, int depth) {
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
  static Variant decodeValue(const DocRef& doc, bytes::Reader& r, bool inStream, int depth) {
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
        SafeArray array(VarType::Byte, b.bounds);
        auto data = r.take(b.elements, "byte array");
        std::copy(data.begin(), data.end(), array.bytes().begin());
        return array;
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

  static Variant readEntry(const DocRef& doc, const Entry& e, int depth) {
    bytes::Reader r(doc->bytesOf(e), e.at);
    if (e.object == 0) return decodeValue(doc, r, e.inStream, depth);
    r.u8();  // a loaded object, parsed already
    const std::uint32_t ref = r.varint("class");
    return readObject(doc, ref - 1, e.object, depth);
  }

  // ---- writing -----------------------------------------------------------

  // Writes an object: its header, then its body, which the bag lent to it
  // lays out in place right behind (see the top of this file).
  static Range encodeObject(const DocRef& doc, Object& object, int depth) {
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

  static Range encodeValue(const DocRef& doc, const Variant& v, int depth) {
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

  // A value that is neither an object nor an array: its tag and payload.
  static void encodePlain(bytes::Writer& w, const Variant& v) {
    const VarType type = v.type();
    w.u8(tagOf(type));
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

  static Range encodeArray(const DocRef& doc, const SafeArray& array, int depth) {
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

  // ---- contents ----------------------------------------------------------

  // Copies a value from the document into `out`, numbering its names anew
  // in `names`.
  static void transcodeValue(const Document& doc, bytes::Reader& r, bytes::Writer& out,
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

  // The whole bag: header, names, the entries and the end of the body.
  static std::vector<std::uint8_t> withHeader(const BagNames& names,
                                              std::span<const std::uint8_t> entries) {
    bytes::Writer head;
    head.raw(std::string_view(kMagic, sizeof kMagic));
    head.u8(kVersion);
    names.writeTo(head);
    std::vector<std::uint8_t> out;
    out.reserve(head.size() + entries.size() + 1);
    out.insert(out.end(), head.bytes().begin(), head.bytes().end());
    out.insert(out.end(), entries.begin(), entries.end());
    out.push_back(0);
    return out;
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
  if (!defaultValue.isMissing() && value == defaultValue) return impl_->remove(name);
  Node& node = impl_->node;
  if (node.doc && node.inPlace && !value.isObject() && !value.isArray() &&
      node.doc->stream.size() == node.end) {
    // The common case, kept short: a plain value appended in place.
    bytes::Writer& w = node.doc->stream;
    const std::uint32_t number = node.nameNumber(name);
    w.varint(number + 1);
    const std::size_t at = w.size();
    Impl::encodePlain(w, value);
    node.end = w.size();
    node.append(Entry{number, 0, at, node.end - at, true});
    return;
  }
  impl_->write(*this, name, value);
}

Variant PropertyBag::readProperty(std::string_view name, const Variant& defaultValue) const {
  Node* node = impl_ && impl_->node.doc ? &impl_->node : nullptr;
  const std::size_t at = node != nullptr ? node->find(name) : 0;
  if (at == 0) {
    if (defaultValue.isMissing()) {
      throw AutomationError(err::kDataValueNotFound,
                            "Data value named '" + std::string(name) + "' not found");
    }
    return defaultValue;
  }
  // Copies: reading objects may parse more bodies, which moves the entries,
  // and an object read now could reload this very bag.
  const Entry e = node->entries()[at - 1];
  const DocRef doc = node->doc;
  return Impl::readEntry(doc, e, impl_->depth);
}

bool PropertyBag::contains(std::string_view name) const {
  return impl_ && impl_->node.doc && impl_->node.find(name) != 0;
}

std::size_t PropertyBag::size() const {
  if (!impl_ || !impl_->node.doc) return 0;
  impl_->node.settle();
  return impl_->node.entries().size();
}

std::vector<std::string> PropertyBag::names() const {
  std::vector<std::string> out;
  if (size() == 0) return out;
  const Node& node = impl_->node;
  out.reserve(node.entries().size());
  for (const Entry& e : node.entries()) out.emplace_back(node.doc->names[e.name].text);
  return out;
}

std::vector<std::uint8_t> PropertyBag::contents() const {
  if (size() == 0) return Impl::withHeader(BagNames(), {});
  const Node& node = impl_->node;
  const Document& doc = *node.doc;
  // Loaded and untouched: the bytes it was loaded from.
  if (node.viewOf != 0 && node.viewOf == doc.loadedRoot) return doc.blob;
  // Written entry after entry from the start of the stream: the stream is
  // the body, and the names were numbered in the order of first use.
  if (node.inPlace && node.start == 0 && node.end == doc.stream.size() && !doc.strayNames) {
    return Impl::withHeader(doc.names, doc.stream.bytes());
  }
  BagNames names;
  bytes::Writer body;
  for (const Entry& e : node.entries()) {
    body.varint(names.intern(doc.names[e.name].text) + 1);
    bytes::Reader r(doc.bytesOf(e), e.at);
    Impl::transcodeValue(doc, r, body, names);
  }
  return Impl::withHeader(names, body.bytes());
}

void PropertyBag::setContents(std::span<const std::uint8_t> bytes) {
  bytes::Reader r(bytes);
  auto magic = r.take(sizeof kMagic, "header");
  if (std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) r.fail("not a property bag");
  const std::uint8_t version = r.u8();
  if (version == 1) {
    // Bytes kept from before version 2 load as the version 2 bytes of the
    // same tree, which contents() then gives back.
    const std::vector<std::uint8_t> rewritten = rewriteBagVersion1(bytes);
    setContents(rewritten);
    return;
  }
  if (version != kVersion) r.fail("unsupported version " + std::to_string(version));
  // Names and entries view one copy of the input, taken up front.
  DocRef doc = DocRef::create();
  doc->blob.assign(bytes.begin(), bytes.end());
  bytes::Reader in(doc->blob);
  in.take(r.offset(), "header");
  const std::uint32_t count = in.varint("name count");
  if (count > in.remaining()) in.fail("name count larger than its data");
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = in.offset();
    if (!doc->names.addView(in.text("name"))) bytes::Reader({}, at).fail("duplicate name");
  }
  LoadChecks checks;
  std::vector<Entry> pending;  // entries of the bodies being read
  doc->loadedRoot = Impl::parseBody(*doc, in, false, 0, &checks, pending);
  if (checks.nextNew != count) in.fail("a name that is never used");
  if (!in.atEnd()) in.fail("bytes left over after the last entry");
  if (!impl_) impl_ = std::make_unique<Impl>();
  impl_->node.reset();
  impl_->node.doc = std::move(doc);
  impl_->node.viewOf = impl_->node.doc->loadedRoot;
}

}  // namespace velmora

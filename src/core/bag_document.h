// The document behind a property bag and the bags nested in it, and the
// entries of one bag (Node), shared by the bag facade (property_bag.cc) and
// the byte codec (bag_codec.h).
//
// The property bag keeps each entry's value already encoded: writing an entry
// takes a snapshot of the value (an object writes itself at that moment, as
// the runtime's bag does). Reading decodes the entry afresh, so every read of
// an object entry makes a new object.
//
// Everything a bag and the bags nested in it hold lives in one Document: the
// bytes it was loaded from, a stream that every value written since is
// appended to, and the table of names both refer to. An entry is a name
// number and the place of its value in the loaded bytes or the stream, so nothing is
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
#pragma once

#include <commonvelmora/class_registry.h>
#include <commonvelmora/property_bag.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/bag_names.h"
#include "core/byte_codec.h"
#include "core/factory_cache.h"
#include "core/flat_key_index.h"

namespace velmora::bag {

// One stored entry: its name and where its value's bytes are.
struct Entry {
  std::uint32_t name = 0;    // number in the Document's names
  std::uint32_t object = 0;  // for a loaded object: its parsed body + 1
  std::size_t at = 0;        // value bytes (tag and payload)
  std::size_t size = 0;
  bool inStream = false;  // in the stream, else in the loaded bytes
};

// A parsed body: a run of Document::parsed, and where its bytes end.
struct Body {
  std::size_t first = 0;
  std::size_t count = 0;
  std::size_t end = 0;
};

struct Document {
  // A new document writes into the stream the thread's last one left (see
  // bag_document.cc).
  Document();
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // The loaded bytes: `blob`, or the bytes of a caller that lends them for
  // as long as it reads (see LentContents in bag_contents.h).
  std::span<const std::uint8_t> loaded;
  std::vector<std::uint8_t> blob;  // the loaded bytes, once the document owns them
  bool borrowed = false;           // `loaded` is a caller's
  // Copies borrowed bytes into `blob`, for a document that outlives the loan;
  // the names that viewed them view the copy.
  void ownLoaded();
  bytes::Writer stream;  // every value written since
  BagNames names;
  std::vector<Entry> parsed;  // the entries of every parsed body, a run each
  std::vector<Body> bodies;
  std::size_t loadedRoot = 0;  // the top level of the loaded bytes + 1
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
  // The bags lent to the objects being written or read, one per nesting
  // level, reused from object to object (see Impl::LentBag).
  struct LentSlot {
    PropertyBag bag;
    bool busy = false;
  };
  std::vector<std::unique_ptr<LentSlot>> lent;  // slots stay put as levels are added

  std::span<const std::uint8_t> source(bool inStream) const {
    return inStream ? stream.bytes() : loaded;
  }
  std::span<const std::uint8_t> bytesOf(const Entry& e) const {
    return source(e.inStream).subspan(e.at, e.size);
  }
};

// Shared ownership of a Document: the bag that made it, the bags lent to
// the objects written into it or read from it, and the bags read back.
using DocRef = std::shared_ptr<Document>;
inline DocRef newDocument() { return std::make_shared<Document>(); }

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

}  // namespace velmora::bag

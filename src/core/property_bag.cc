// PropertyBag: a bag's own members. Its entries live in a document
// (bag_document.h) and are read and written in the byte format of
// bag_codec.h.
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
#include <commonvelmora/error.h>
#include <commonvelmora/property_bag.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/bag_codec.h"
#include "core/bag_contents.h"
#include "core/bag_format_v1.h"

namespace velmora {

using bag::DocRef;
using bag::Document;
using bag::Entry;
using bag::kMagic;
using bag::kVersion;
using bag::LoadChecks;
using bag::Node;

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

std::vector<std::uint8_t> PropertyBag::contents() const { return Impl::contents(*this, {}); }

std::vector<std::uint8_t> bag::contentsBehind(const PropertyBag& bag,
                                              std::span<const std::uint8_t> prefix) {
  return PropertyBag::Impl::contents(bag, prefix);
}

std::vector<std::uint8_t> PropertyBag::Impl::contents(const PropertyBag& bag,
                                                      std::span<const std::uint8_t> prefix) {
  if (bag.size() == 0) return withHeader(prefix, BagNames(), {});
  const Node& node = bag.impl_->node;
  const Document& doc = *node.doc;
  // Loaded and untouched: the bytes it was loaded from.
  if (node.viewOf != 0 && node.viewOf == doc.loadedRoot) {
    std::vector<std::uint8_t> out;
    out.reserve(prefix.size() + doc.loaded.size());
    out.insert(out.end(), prefix.begin(), prefix.end());
    out.insert(out.end(), doc.loaded.begin(), doc.loaded.end());
    return out;
  }
  // Written entry after entry from the start of the stream: the stream is
  // the body, and the names were numbered in the order of first use.
  if (node.inPlace && node.start == 0 && node.end == doc.stream.size() && !doc.strayNames) {
    return withHeader(prefix, doc.names, doc.stream.bytes());
  }
  BagNames names;
  bytes::Writer body;
  for (const Entry& e : node.entries()) {
    body.varint(names.intern(doc.names[e.name].text) + 1);
    bytes::Reader r(doc.bytesOf(e), e.at);
    transcodeValue(doc, r, body, names);
  }
  return withHeader(prefix, names, body.bytes());
}

void PropertyBag::setContents(std::span<const std::uint8_t> bytes) {
  Impl::load(*this, bytes, false);
}

void PropertyBag::Impl::load(PropertyBag& bag, std::span<const std::uint8_t> bytes, bool lend) {
  bytes::Reader r(bytes);
  auto magic = r.take(sizeof kMagic, "header");
  if (std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) r.fail("not a property bag");
  const std::uint8_t version = r.u8();
  if (version != 1 && version != kVersion) r.fail("unsupported version " + std::to_string(version));
  // Names and entries view the loaded bytes: a copy taken up front, or the
  // caller's own while it lends them.
  DocRef doc = bag::newDocument();
  if (version == 1) {
    // Bytes kept from before version 2 load as the version 2 bytes of the
    // same tree, which contents() then gives back.
    doc->blob = rewriteBagVersion1(bytes);
  } else if (lend) {
    doc->loaded = bytes;
    doc->borrowed = true;
  } else {
    doc->blob.assign(bytes.begin(), bytes.end());
  }
  if (!doc->borrowed) doc->loaded = doc->blob;
  bytes::Reader in(doc->loaded);
  in.take(r.offset(), "header");  // the same five bytes in a rewritten version 1
  const std::uint32_t count = in.varint("name count");
  if (count > in.remaining()) in.fail("name count larger than its data");
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = in.offset();
    if (!doc->names.addView(in.text("name"))) bytes::Reader({}, at).fail("duplicate name");
  }
  LoadChecks checks;
  std::vector<Entry> pending;  // entries of the bodies being read
  doc->loadedRoot = parseBody(*doc, in, false, 0, &checks, pending);
  if (checks.nextNew != count) in.fail("a name that is never used");
  if (!in.atEnd()) in.fail("bytes left over after the last entry");
  if (!bag.impl_) bag.impl_ = std::make_unique<Impl>();
  Node& node = bag.impl_->node;
  node.reset();
  node.doc = std::move(doc);
  node.viewOf = node.doc->loadedRoot;
}

bag::LentContents::LentContents(std::span<const std::uint8_t> bytes) {
  PropertyBag::Impl::load(bag_, bytes, true);
}

bag::LentContents::~LentContents() { PropertyBag::Impl::endLoan(bag_); }

void PropertyBag::Impl::endLoan(PropertyBag& bag) {
  DocRef doc = std::move(bag.impl_->node.doc);
  bag.impl_.reset();
  // Kept by an object read meanwhile (a bag it took away): the bytes go
  // with it. Running out of memory here ends the program rather than leave
  // that bag viewing bytes about to go.
  if (doc.use_count() > 1) doc->ownLoaded();
}

}  // namespace velmora

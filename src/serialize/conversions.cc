// The three pairs of conversions between objects and byte arrays, converted
// directly: the picture pair stores the picture's own encoded bytes behind a
// small header, the object pair a property bag holding the object behind
// another, and the bag pair a bare bag with the entry "Image" (layouts in
// stored_bytes.h). Each step that fails is skipped, as the members promise
// never to fail; the results then are the empty, null or nothing values
// documented in picture.h.
#include <commonvelmora/convert.h>
#include <commonvelmora/picture.h>
#include <commonvelmora/property_bag.h>

#include "core/bag_contents.h"
#include "core/ignore_errors.h"
#include "serialize/stored_bytes.h"

namespace velmora::conversions {
namespace {

constexpr std::string_view kObjectEntry = "Object";
constexpr std::string_view kImageEntry = "Image";

// The object the bag holds under `entry`, or nothing when the bytes are no
// bag's contents, the entry is missing, or its class is not registered.
ObjectRef objectFromBag(std::span<const std::uint8_t> contents, std::string_view entry) {
  ObjectRef result;
  ignoreErrors([&] {
    // Read where they are: the caller's bytes outlive the call.
    const bag::LentContents loaded(contents);
    Variant value = loaded.bag().readProperty(entry, Variant::nothing());
    if (value.isObject()) result = value.object();
  });
  return result;
}

Variant bytesOf(std::vector<std::uint8_t> bytes) {
  return Variant(SafeArray::ofBytes(std::move(bytes)));
}

}  // namespace

Variant GetImageData(const ObjectRef& picture) {
  if (picture == nullptr) return Variant();
  // A handle that cannot be read counts as none: the test fails and its
  // guarded return runs.
  bool hasHandle = false;
  ignoreErrors([&] { hasHandle = toInt32(picture->invoke("Handle", CallKind::Get, {})) != 0; });
  if (!hasHandle) return Variant();
  const auto* own = dynamic_cast<const Picture*>(picture.get());
  if (own == nullptr || own->isEmpty()) return Variant::null();
  Variant result = Variant::null();
  ignoreErrors([&] { result = bytesOf(serialize::packPicture(own->bytes())); });
  return result;
}

ObjectRef GetDataImage(std::span<const std::uint8_t> bytes) {
  ObjectRef result;
  ignoreErrors([&] {
    const auto image = serialize::unpackPicture(bytes);
    if (!image) return;
    auto picture = Picture::fromBytes(std::vector<std::uint8_t>(image->begin(), image->end()));
    if (!picture->isEmpty()) result = std::move(picture);
  });
  return result;
}

Variant GetObjectData(const ObjectRef& object) {
  if (object == nullptr) return Variant();
  Variant result = Variant::null();
  ignoreErrors([&] {
    PropertyBag bag;
    bag.writeProperty(kObjectEntry, Variant(object), Variant::nothing());
    if (bag.contains(kObjectEntry)) result = bytesOf(serialize::packObject(bag));
  });
  return result;
}

ObjectRef GetDataObject(std::span<const std::uint8_t> bytes) {
  const auto contents = serialize::unpackObject(bytes);
  if (!contents) return nullptr;
  return objectFromBag(*contents, kObjectEntry);
}

Variant GetArrayByPicture(const ObjectRef& object) {
  PropertyBag bag;
  // A nothing or unpersistable object writes no entry: the empty bag remains.
  ignoreErrors([&] { bag.writeProperty(kImageEntry, Variant(object), Variant::nothing()); });
  std::vector<std::uint8_t> contents;
  ignoreErrors([&] { contents = bag.contents(); });
  return bytesOf(std::move(contents));
}

ObjectRef GetPictureByArray(std::span<const std::uint8_t> bytes) {
  return objectFromBag(bytes, kImageEntry);
}

}  // namespace velmora::conversions

// The automation picture: an image kept as the encoded bytes it was made from.
//
// A picture made from PNG, JPEG, BMP or GIF bytes (or a file holding them)
// keeps those bytes unchanged, so storing it and reading it back never
// re-encodes the image. Only the header is read when it is made (format and
// size, refused beyond the bounds of a 32767-pixel side or 16384 x 16384
// pixels in all); pixels are decoded only by decode().
//
// By name (invoke) it answers the read-only properties clients of the
// automation picture use: Handle (0 for an empty picture, otherwise a number
// unique to the picture within the process), Width and Height in HIMETRIC
// (hundredths of a millimetre, at 96 pixels per inch), and Type (0 empty,
// 1 bitmap). It persists itself through a property bag and is registered in
// the class registry under kProgId.
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/object.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class VELMORA_EXPORT Picture : public Object {
 public:
  static constexpr std::string_view kProgId = "CommonVelmora.Picture";
  // The runtime's number for bytes that are no picture ("Invalid picture").
  static constexpr std::int32_t kInvalidPicture = 481;

  // The picture type codes of the automation picture.
  static constexpr std::int16_t kTypeNone = 0;
  static constexpr std::int16_t kTypeBitmap = 1;

  // An empty picture (Handle 0).
  static std::shared_ptr<Picture> create();
  // A picture of the image in `bytes`; raises 481 when they are none.
  static std::shared_ptr<Picture> fromBytes(std::vector<std::uint8_t> bytes);
  // A picture of the image in the file at `path` (UTF-8); raises 53 ("File
  // not found") when it cannot be read and 481 when it holds no image.
  static std::shared_ptr<Picture> fromFile(const std::string& path);

  bool isEmpty() const { return handle_ == 0; }
  std::int32_t handle() const { return handle_; }
  std::int16_t type() const { return isEmpty() ? kTypeNone : kTypeBitmap; }
  std::int32_t widthPixels() const { return widthPx_; }
  std::int32_t heightPixels() const { return heightPx_; }
  std::int32_t widthHimetric() const;
  std::int32_t heightHimetric() const;
  // "png", "jpeg", "bmp", "gif", or "" for an empty picture.
  const std::string& format() const { return format_; }
  // The encoded bytes the picture was made from (empty for an empty picture).
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  // Decodes the pixels; false when the image turns out to be damaged.
  bool decode() const;

  // Writes the encoded bytes to `path`; raises 75 ("Path/File access error")
  // when the file cannot be written.
  void saveToFile(const std::string& path) const;

  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  std::string typeName() const override { return "Picture"; }
  std::string_view progId() const override { return kProgId; }
  void writeProperties(PropertyBag& bag) override;
  void readProperties(PropertyBag& bag) override;

 private:
  void adopt(std::vector<std::uint8_t> bytes);

  std::int32_t handle_ = 0;
  std::int32_t widthPx_ = 0;
  std::int32_t heightPx_ = 0;
  std::string format_;
  std::vector<std::uint8_t> bytes_;
};

// The three pairs of conversions between objects and byte arrays, as the
// Work members offer them. Each pair reads only the bytes it writes.
namespace conversions {
// Picture to bytes: empty for nothing or an empty picture, null for an
// object that is no picture of this library; otherwise the picture's bytes.
VELMORA_EXPORT Variant GetImageData(const ObjectRef& picture);
// Bytes of GetImageData to a new picture; nothing when they make none.
VELMORA_EXPORT ObjectRef GetDataImage(std::span<const std::uint8_t> bytes);
// Persistable object to bytes: empty for nothing, null when it cannot be
// persisted.
VELMORA_EXPORT Variant GetObjectData(const ObjectRef& object);
// Bytes of GetObjectData to a new object of a registered class, or nothing.
VELMORA_EXPORT ObjectRef GetDataObject(std::span<const std::uint8_t> bytes);
// Object to the contents of a property bag holding it as the entry "Image";
// the contents of an empty bag when it is nothing or cannot be persisted.
VELMORA_EXPORT Variant GetArrayByPicture(const ObjectRef& object);
// Bytes of GetArrayByPicture to the object of their "Image" entry, or nothing.
VELMORA_EXPORT ObjectRef GetPictureByArray(std::span<const std::uint8_t> bytes);
}  // namespace conversions

}  // namespace velmora

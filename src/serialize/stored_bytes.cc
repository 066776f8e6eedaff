#include "serialize/stored_bytes.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "core/bag_contents.h"

namespace velmora::serialize {
namespace {

using Magic = std::array<std::uint8_t, 4>;
constexpr Magic kPictureMagic = {'C', 'V', 'P', 'I'};
constexpr Magic kObjectMagic = {'C', 'V', 'O', 'B'};
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kLengthSize = 4;

std::vector<std::uint8_t> header(const Magic& magic, std::size_t extra) {
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + extra);
  out.insert(out.end(), magic.begin(), magic.end());
  out.push_back(kStoredBytesVersion);
  out.insert(out.end(), 3, 0);
  return out;
}

// The bytes after a valid header of `magic`, or nothing.
std::optional<std::span<const std::uint8_t>> body(std::span<const std::uint8_t> bytes,
                                                  const Magic& magic) {
  if (bytes.size() < kHeaderSize || !std::equal(magic.begin(), magic.end(), bytes.begin())) {
    return std::nullopt;
  }
  const std::uint8_t version = bytes[4];
  if (version == 0 || version > kStoredBytesVersion) return std::nullopt;
  return bytes.subspan(kHeaderSize);
}

}  // namespace

std::vector<std::uint8_t> packPicture(std::span<const std::uint8_t> image) {
  // Images beyond 4 GiB cannot be described by the length field; the picture
  // bounds keep every real image far below it.
  const auto length = static_cast<std::uint32_t>(
      std::min<std::size_t>(image.size(), std::numeric_limits<std::uint32_t>::max()));
  std::vector<std::uint8_t> out = header(kPictureMagic, kLengthSize + length);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  out.insert(out.end(), image.begin(), image.begin() + length);
  return out;
}

std::optional<std::span<const std::uint8_t>> unpackPicture(std::span<const std::uint8_t> bytes) {
  auto rest = body(bytes, kPictureMagic);
  if (!rest || rest->size() < kLengthSize) return std::nullopt;
  std::uint32_t length = 0;
  for (int i = 0; i < 4; ++i)
    length |= std::uint32_t{(*rest)[static_cast<std::size_t>(i)]} << (8 * i);
  auto image = rest->subspan(kLengthSize);
  if (image.size() != length) return std::nullopt;
  return image;
}

std::vector<std::uint8_t> packObject(const PropertyBag& bag) {
  return bag::contentsBehind(bag, header(kObjectMagic, 0));
}

std::optional<std::span<const std::uint8_t>> unpackObject(std::span<const std::uint8_t> bytes) {
  return body(bytes, kObjectMagic);
}

}  // namespace velmora::serialize

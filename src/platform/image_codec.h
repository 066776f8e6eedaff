// Reading encoded images (PNG, JPEG, BMP, GIF) without trusting them.
//
// A picture is kept as the bytes it was made from; the library needs to know
// what they are (format and size) far more often than it needs their pixels.
// So the header is read on its own, and pixels are decoded only on request.
//
// Bounds: an image whose header claims more than kMaxImageSide pixels on a
// side, or more than kMaxImagePixels in all, is refused from the header alone,
// before any pixel memory is allocated; a full decode is also capped by the
// decoder's own allocation limit of kImageAllocationLimitMB.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velmora {

inline constexpr std::int32_t kMaxImageSide = 32767;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{16384} * 16384;
inline constexpr int kImageAllocationLimitMB = 1024;

struct ImageHeader {
  std::string format;  // "png", "jpeg", "bmp" or "gif"
  std::int32_t widthPx = 0;
  std::int32_t heightPx = 0;
};

// The format and size of the image in `bytes`, or nothing when they are not
// an image of one of the four formats or claim more than the bounds allow.
std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> bytes);

// Decodes the pixels of `bytes` (within the bounds) and tells whether the
// whole image could be decoded. The pixels themselves are dropped: this is
// the check a caller makes before it trusts bytes to be drawable.
bool decodeImage(std::span<const std::uint8_t> bytes);

}  // namespace velmora

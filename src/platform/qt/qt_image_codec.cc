// The image codec on Qt Gui's image readers. QImageReader needs no
// QGuiApplication; the JPEG and GIF readers are Qt's own plugins.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <array>
#include <string_view>

#include "platform/image_codec.h"

namespace velmora {
namespace {

constexpr std::array<std::string_view, 4> kFormats = {"png", "jpeg", "bmp", "gif"};

// A view of the caller's bytes, not a copy: the reader never outlives it.
QByteArray viewOf(std::span<const std::uint8_t> bytes) {
  return QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<qsizetype>(bytes.size()));
}

bool withinBounds(QSize size) {
  return size.width() > 0 && size.height() > 0 && size.width() <= kMaxImageSide &&
         size.height() <= kMaxImageSide &&
         std::int64_t{size.width()} * size.height() <= kMaxImagePixels;
}

// Runs `use` on a reader of `bytes` that has recognised one of our formats.
template <class Use>
auto withReader(std::span<const std::uint8_t> bytes, Use use)
    -> decltype(use(std::declval<QImageReader&>(), std::string_view{})) {
  if (bytes.empty()) return {};
  QByteArray data = viewOf(bytes);
  QBuffer buffer(&data);
  if (!buffer.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&buffer);
  reader.setAllocationLimit(kImageAllocationLimitMB);
  const QByteArray detected = reader.format();
  const std::string_view name(detected.constData(), static_cast<std::size_t>(detected.size()));
  for (std::string_view f : kFormats) {
    if (name == f) return use(reader, f);
  }
  return {};
}

}  // namespace

std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> bytes) {
  return withReader(
      bytes, [](QImageReader& reader, std::string_view format) -> std::optional<ImageHeader> {
        const QSize size = reader.size();
        if (!withinBounds(size)) return std::nullopt;
        return ImageHeader{std::string(format), size.width(), size.height()};
      });
}

bool decodeImage(std::span<const std::uint8_t> bytes) {
  return withReader(bytes, [](QImageReader& reader, std::string_view) -> bool {
    if (!withinBounds(reader.size())) return false;
    QImage image;
    return reader.read(&image) && !image.isNull();
  });
}

}  // namespace velmora

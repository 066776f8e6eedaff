// The image codec on the Windows Imaging Component, the system's own
// decoders. A decoder reads the header when it is made, so the format and
// size are known before any pixel memory is asked for; pixels are decoded
// only when the whole image is checked.
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include <array>
#include <climits>
#include <string_view>

#include "platform/image_codec.h"

namespace velmora {
namespace {

using Microsoft::WRL::ComPtr;

struct KnownFormat {
  const GUID* container;
  std::string_view name;
};

const std::array<KnownFormat, 4> kFormats = {{
    {&GUID_ContainerFormatPng, "png"},
    {&GUID_ContainerFormatJpeg, "jpeg"},
    {&GUID_ContainerFormatBmp, "bmp"},
    {&GUID_ContainerFormatGif, "gif"},
}};

// COM on the calling thread for one call: a client thread has it already
// (any apartment will do for the imaging factory); a thread of our own gets
// it for the call and gives it back.
class ComForCall {
 public:
  ComForCall() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComForCall() {
    if (initialized_) ::CoUninitialize();
  }
  ComForCall(const ComForCall&) = delete;
  ComForCall& operator=(const ComForCall&) = delete;

 private:
  bool initialized_;
};

bool withinBounds(UINT width, UINT height) {
  return width > 0 && height > 0 && width <= static_cast<UINT>(kMaxImageSide) &&
         height <= static_cast<UINT>(kMaxImageSide) &&
         std::int64_t{width} * height <= kMaxImagePixels;
}

// The first frame of `bytes` when they are one of our formats, with its name.
struct OpenedImage {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmapFrameDecode> frame;
  std::string_view format;
  UINT width = 0;
  UINT height = 0;
};

bool openImage(std::span<const std::uint8_t> bytes, OpenedImage& image) {
  if (bytes.empty() || bytes.size() > UINT_MAX) return false;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&image.factory)))) {
    return false;
  }
  ComPtr<IWICStream> stream;
  if (FAILED(image.factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                          static_cast<DWORD>(bytes.size())))) {
    return false;
  }
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(image.factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                    WICDecodeMetadataCacheOnDemand, &decoder))) {
    return false;
  }
  GUID container{};
  if (FAILED(decoder->GetContainerFormat(&container))) return false;
  for (const KnownFormat& known : kFormats) {
    if (IsEqualGUID(container, *known.container)) image.format = known.name;
  }
  if (image.format.empty() || FAILED(decoder->GetFrame(0, &image.frame)) ||
      FAILED(image.frame->GetSize(&image.width, &image.height))) {
    return false;
  }
  return withinBounds(image.width, image.height);
}

}  // namespace

std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> bytes) {
  ComForCall com;
  OpenedImage image;
  if (!openImage(bytes, image)) return std::nullopt;
  return ImageHeader{std::string(image.format), static_cast<std::int32_t>(image.width),
                     static_cast<std::int32_t>(image.height)};
}

bool decodeImage(std::span<const std::uint8_t> bytes) {
  ComForCall com;
  OpenedImage image;
  if (!openImage(bytes, image)) return false;
  if (std::int64_t{image.width} * image.height * 4 > std::int64_t{kImageAllocationLimitMB} << 20) {
    return false;
  }
  // A bitmap cached on load decodes every pixel now, and fails if any cannot be.
  ComPtr<IWICBitmap> pixels;
  return SUCCEEDED(
      image.factory->CreateBitmapFromSource(image.frame.Get(), WICBitmapCacheOnLoad, &pixels));
}

}  // namespace velmora

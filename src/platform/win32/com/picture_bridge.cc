#include "platform/win32/com/picture_bridge.h"

#include <commonvelmora/error.h>
#include <commonvelmora/picture.h>
#include <olectl.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/win32/com/object_bridge.h"
#include "platform/win32/com/object_server.h"
#include "platform/win32/com/slot_values.h"

namespace velmora::com {
namespace {

#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The ids of IPictureDisp's properties that the library's picture answers.
constexpr FixedId kPictureIds[] = {
    {DISPID_PICT_HANDLE, "Handle"},
    {DISPID_PICT_TYPE, "Type"},
    {DISPID_PICT_WIDTH, "Width"},
    {DISPID_PICT_HEIGHT, "Height"},
};

class PictureServer final : public ObjectServer<PictureServer, IDispatch> {
 public:
  explicit PictureServer(ObjectRef picture) : ObjectServer(std::move(picture), kPictureIds) {}

  // IPictureDisp is a dispatch interface: its table is IDispatch's.
  void* interfaceFor(REFIID iid) {
    return iid == IID_IPictureDisp ? static_cast<IDispatch*>(this) : lateBoundInterface(iid);
  }
};

// The image bytes a system picture saves of itself; empty when it saves none.
std::vector<std::uint8_t> savedImage(IPicture* picture) {
  std::vector<std::uint8_t> bytes;
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return bytes;
  LONG size = 0;
  STATSTG stat{};
  if (SUCCEEDED(picture->SaveAsFile(stream, TRUE, &size)) &&
      SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
      SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) {
    bytes.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
    ULONG got = 0;
    if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got))) got = 0;
    bytes.resize(got);
  }
  stream->Release();
  return bytes;
}

}  // namespace

IDispatch* pictureServerFor(const ObjectRef& object) {
  if (dynamic_cast<Picture*>(object.get()) == nullptr) return nullptr;
  return PictureServer::handOut(object);
}

ObjectRef pictureFromDispatch(IDispatch* dispatch) {
  IPicture* system = nullptr;
  if (dispatch == nullptr ||
      FAILED(dispatch->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&system)))) {
    return objectFromDispatch(dispatch);
  }
  // An empty system picture saves nothing and stays the empty picture.
  std::vector<std::uint8_t> bytes = savedImage(system);
  system->Release();
  if (bytes.empty()) return Picture::create();
  try {
    return Picture::fromBytes(std::move(bytes));
  } catch (const AutomationError&) {
    // An image of a kind the library does not read (an icon, a metafile):
    // the picture is taken as the client's own object.
    return objectFromDispatch(dispatch);
  }
}

void putResult(IPictureDisp** out, const Variant& v) { putInterface(out, v, IID_IPictureDisp); }

}  // namespace velmora::com

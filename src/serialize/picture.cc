#include <commonvelmora/error.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/picture.h>
#include <commonvelmora/property_bag.h>

#include <atomic>
#include <fstream>
#include <iterator>

#include "platform/image_codec.h"

namespace velmora {
namespace {

constexpr std::int32_t kFileNotFound = 53;
constexpr std::int32_t kPathFileAccess = 75;
// The bag entry that holds a picture's encoded bytes.
constexpr std::string_view kDataEntry = "Data";
// Width and Height are reported at the screen resolution clients assume.
constexpr std::int64_t kHimetricPerInch = 2540;
constexpr std::int64_t kPixelsPerInch = 96;

std::int32_t toHimetric(std::int32_t px) {
  return static_cast<std::int32_t>((px * kHimetricPerInch + kPixelsPerInch / 2) / kPixelsPerInch);
}

// Handles only need to be distinct, positive and non-zero; after two billion
// pictures the count starts again at 1.
std::int32_t nextHandle() {
  static std::atomic<std::uint32_t> counter{0};
  return static_cast<std::int32_t>(counter.fetch_add(1) % 0x7fffffffu) + 1;
}

const MemberTable<Picture>& pictureMembers() {
  static const auto table =
      MemberTable<Picture>()
          .get("Handle", 0, 0, [](Picture& p, Args) -> Variant { return p.handle(); })
          .get("Width", 0, 0, [](Picture& p, Args) -> Variant { return p.widthHimetric(); })
          .get("Height", 0, 0, [](Picture& p, Args) -> Variant { return p.heightHimetric(); })
          .get("Type", 0, 0, [](Picture& p, Args) -> Variant { return p.type(); });
  return table;
}

}  // namespace

std::shared_ptr<Picture> Picture::create() { return std::make_shared<Picture>(); }

std::shared_ptr<Picture> Picture::fromBytes(std::vector<std::uint8_t> bytes) {
  auto picture = create();
  picture->adopt(std::move(bytes));
  return picture;
}

std::shared_ptr<Picture> Picture::fromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw AutomationError(kFileNotFound, "File not found");
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad()) throw AutomationError(kFileNotFound, "File not found");
  return fromBytes(std::move(bytes));
}

void Picture::adopt(std::vector<std::uint8_t> bytes) {
  const auto header = readImageHeader(bytes);
  if (!header) throw AutomationError(kInvalidPicture, "Invalid picture");
  handle_ = nextHandle();
  widthPx_ = header->widthPx;
  heightPx_ = header->heightPx;
  format_ = header->format;
  bytes_ = std::move(bytes);
}

std::int32_t Picture::widthHimetric() const { return toHimetric(widthPx_); }
std::int32_t Picture::heightHimetric() const { return toHimetric(heightPx_); }

bool Picture::decode() const { return !isEmpty() && decodeImage(bytes_); }

void Picture::saveToFile(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes_.data()),
            static_cast<std::streamsize>(bytes_.size()));
  out.close();
  if (!out) throw AutomationError(kPathFileAccess, "Path/File access error");
}

Variant Picture::invoke(std::string_view name, CallKind kind, Args args) {
  return pictureMembers().dispatch(*this, name, kind, args);
}

// An empty picture writes nothing and reads back empty. The bag copies what
// it is given, so the picture lends its bytes to the array it writes instead
// of copying megabytes only to encode them; they come back whatever happens.
void Picture::writeProperties(PropertyBag& bag) {
  if (isEmpty()) return;
  Variant data(SafeArray::ofBytes(std::move(bytes_)));
  struct GiveBack {
    std::vector<std::uint8_t>& to;
    Variant& from;
    ~GiveBack() { to = std::move(from.array().bytes()); }
  } giveBack{bytes_, data};
  bag.writeProperty(kDataEntry, data, Variant());
}

void Picture::readProperties(PropertyBag& bag) {
  Variant data = bag.readProperty(kDataEntry, Variant());
  if (data.isEmpty()) return;
  if (!data.isArray() || data.array().elementType() != VarType::Byte) {
    throw AutomationError(kInvalidPicture, "Invalid picture");
  }
  adopt(std::move(data.array().bytes()));
}

}  // namespace velmora

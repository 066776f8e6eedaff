#include "core/bag_format_v1.h"

#include <commonvelmora/property_bag.h>
#include <commonvelmora/variant.h>

#include <string_view>

#include "core/bag_names.h"
#include "core/byte_codec.h"

namespace velmora {
namespace {

constexpr std::uint16_t tagOf(VarType t) { return static_cast<std::uint16_t>(t); }
constexpr std::uint16_t kArray = 0x2000;
constexpr std::uint8_t kArrayFlag = 0x80;     // version 2's array bit
constexpr std::size_t kMinEntrySize = 4 + 2;  // an empty name and a tag

class Rewriter {
 public:
  explicit Rewriter(std::span<const std::uint8_t> body) : in_(body, 5) {}

  std::vector<std::uint8_t> run() {
    body(in_, 0);
    if (!in_.atEnd()) in_.fail("bytes left over after the last entry");
    bytes::Writer out;
    out.raw(std::string_view("CVPB", 4));
    out.u8(2);
    names_.writeTo(out);
    out.raw(out_.bytes());
    const auto all = out.bytes();
    return {all.begin(), all.end()};
  }

 private:
  std::string_view str(bytes::Reader& r, const char* what) {
    const auto data = r.take(r.u32(), what);
    return {reinterpret_cast<const char*>(data.data()), data.size()};
  }

  // A length-prefixed part of `r` as a reader of its own.
  static bytes::Reader part(bytes::Reader& r, const char* what) {
    const std::size_t at = r.offset();
    return bytes::Reader(r.take(r.u32(), what), at + 4);
  }

  void body(bytes::Reader& r, int depth) {
    const std::uint32_t count = r.u32();
    if (count > r.remaining() / kMinEntrySize) r.fail("entry count larger than its data");
    for (std::uint32_t i = 0; i < count; ++i) {
      // Names are numbered in the order the bytes use them, as a writer of
      // version 2 numbers them.
      out_.varint(names_.intern(str(r, "entry name")) + 1);
      value(r, depth);
    }
    out_.varint(0);
  }

  // Returns the number of elements the bounds make.
  std::uint64_t bounds(bytes::Reader& r) {
    const std::uint32_t dims = r.u32();
    if (dims > r.remaining() / 8) r.fail("too many array dimensions");
    out_.varint(dims);
    std::uint64_t elements = dims == 0 ? 0 : 1;
    for (std::uint32_t d = 0; d < dims; ++d) {
      out_.varint(bytes::zigzag(r.i32()));
      const std::uint32_t count = r.u32();
      out_.varint(count);
      elements *= count;
      // More elements than bytes cannot be; version 2 checks the rest.
      if (elements > (std::uint64_t{1} << 32)) r.fail("array bound out of range");
    }
    return elements;
  }

  void value(bytes::Reader& r, int depth) {
    const std::uint16_t tag = r.u16();
    const auto copy = [&](std::size_t width) { out_.raw(r.take(width, "value")); };
    switch (tag) {
      case tagOf(VarType::Empty):
      case tagOf(VarType::Null):
        out_.u8(static_cast<std::uint8_t>(tag));
        return;
      case tagOf(VarType::Int16):
      case tagOf(VarType::Int32):
      case tagOf(VarType::Single):
      case tagOf(VarType::Double):
      case tagOf(VarType::Currency):
      case tagOf(VarType::Date):
      case tagOf(VarType::Error):
      case tagOf(VarType::Bool):
      case tagOf(VarType::Byte): {
        out_.u8(static_cast<std::uint8_t>(tag));
        const VarType type = static_cast<VarType>(tag);
        copy(type == VarType::Int16                                                        ? 2
             : type == VarType::Bool || type == VarType::Byte                              ? 1
             : type == VarType::Int32 || type == VarType::Single || type == VarType::Error ? 4
                                                                                           : 8);
        return;
      }
      case tagOf(VarType::String):
        out_.u8(static_cast<std::uint8_t>(tag));
        out_.text(str(r, "text"));
        return;
      case tagOf(VarType::Object): {
        out_.u8(static_cast<std::uint8_t>(tag));
        const std::string_view progId = str(r, "ProgID");
        if (progId.empty()) {
          out_.varint(0);  // Nothing
          return;
        }
        if (depth + 1 > PropertyBag::kMaxDepth) r.fail("objects nested too deep");
        out_.varint(names_.intern(progId) + 1);
        bytes::Reader nested = part(r, "object");
        body(nested, depth + 1);
        if (!nested.atEnd()) nested.fail("bytes left over after an object");
        return;
      }
      case kArray | tagOf(VarType::Byte): {
        if (depth + 1 > PropertyBag::kMaxDepth) r.fail("arrays nested too deep");
        out_.u8(kArrayFlag | tagOf(VarType::Byte));
        copy(static_cast<std::size_t>(bounds(r)));
        return;
      }
      case kArray | tagOf(VarType::Variant): {
        if (depth + 1 > PropertyBag::kMaxDepth) r.fail("arrays nested too deep");
        out_.u8(kArrayFlag | tagOf(VarType::Variant));
        const std::uint64_t elements = bounds(r);
        bytes::Reader payload = part(r, "array");
        if (elements > payload.remaining() / 2) payload.fail("more elements than bytes");
        for (std::uint64_t i = 0; i < elements; ++i) value(payload, depth + 1);
        if (!payload.atEnd()) payload.fail("bytes left over after an array");
        return;
      }
      default:
        r.fail("unknown value type " + std::to_string(tag));
    }
  }

  bytes::Reader in_;
  bytes::Writer out_;
  BagNames names_;
};

}  // namespace

std::vector<std::uint8_t> rewriteBagVersion1(std::span<const std::uint8_t> bag) {
  return Rewriter(bag.subspan(5)).run();
}

}  // namespace velmora

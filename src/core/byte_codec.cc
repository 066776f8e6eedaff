#include "core/byte_codec.h"

#include <commonvelmora/error.h>

#include <bit>
#include <cstring>
#include <limits>

namespace velmora::bytes {

void Writer::grow(std::size_t n) {
  const std::size_t needed = size_ + n;
  std::size_t capacity = capacity_ < 64 ? 64 : capacity_ * 2;
  while (capacity < needed) capacity *= 2;
  auto fresh = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
  if (size_ != 0) std::memcpy(fresh.get(), buf_.get(), size_);
  buf_ = std::move(fresh);
  capacity_ = capacity;
}

void Writer::f32(float v) { u32(std::bit_cast<std::uint32_t>(v)); }
void Writer::f64(double v) { fixed(std::bit_cast<std::uint64_t>(v), 8); }

void Writer::tooLong() { throw AutomationError(err::kOverflow); }

void Reader::fail(const std::string& what) const {
  throw AutomationError(err::kBadFileFormat,
                        "Invalid file format: " + what + " at offset " + std::to_string(offset()));
}

void Reader::truncated(const char* what) const { fail(std::string("truncated ") + what); }

float Reader::f32() { return std::bit_cast<float>(u32()); }
double Reader::f64() { return std::bit_cast<double>(fixed(8, "double")); }

std::uint32_t Reader::longVarint(const char* what) {
  std::uint64_t v = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    if (atEnd()) fail(std::string("truncated ") + what);
    const std::uint8_t b = data_[pos_++];
    v |= static_cast<std::uint64_t>(b & 0x7f) << shift;
    if ((b & 0x80) != 0) continue;
    if (b == 0 && shift != 0) fail(std::string("overlong ") + what);
    if (v > std::numeric_limits<std::uint32_t>::max()) break;
    return static_cast<std::uint32_t>(v);
  }
  fail(std::string(what) + " out of range");
}

std::string_view Reader::text(const char* what) {
  const std::uint32_t n = varint(what);
  auto bytes = take(n, what);
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace velmora::bytes

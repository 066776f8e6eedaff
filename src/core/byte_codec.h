// Writing and bounds-checked reading of bytes for the library's own persisted
// formats: little-endian fixed-width numbers, and unsigned LEB128 varints
// for lengths, counts and indices. The reader never reads past its end:
// every request is checked against what remains, and a short or malformed
// input raises AutomationError 321 ("Invalid file format") naming the offset.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::bytes {

// Signed numbers as varints: 0, -1, 1, -2, ... become 0, 1, 2, 3, ...
constexpr std::uint32_t zigzag(std::int32_t v) {
  return (static_cast<std::uint32_t>(v) << 1) ^ static_cast<std::uint32_t>(v >> 31);
}
constexpr std::int32_t unzigzag(std::uint32_t v) {
  return static_cast<std::int32_t>((v >> 1) ^ (~(v & 1) + 1));
}

// The number of bytes Writer::varint() takes for `v`.
constexpr std::size_t varintSize(std::uint64_t v) {
  std::size_t n = 1;
  for (; v >= 0x80; v >>= 7) ++n;
  return n;
}

class Writer {
 public:
  void u8(std::uint8_t v) {
    ensure(1);
    buf_[size_++] = v;
  }
  void u16(std::uint16_t v) { fixed(v, 2); }
  void u32(std::uint32_t v) { fixed(v, 4); }
  void i32(std::int32_t v) { fixed(static_cast<std::uint32_t>(v), 4); }
  void i64(std::int64_t v) { fixed(static_cast<std::uint64_t>(v), 8); }
  void f32(float v);
  void f64(double v);
  void raw(std::span<const std::uint8_t> data) { append(data.data(), data.size()); }
  void raw(std::string_view data) { append(data.data(), data.size()); }
  // Seven bits a byte, low bits first, the high bit set on all but the last.
  [[gnu::always_inline]] void varint(std::uint64_t v) {
    ensure(10);
    std::uint8_t* p = buf_.get() + size_;
    for (; v >= 0x80; v >>= 7) *p++ = static_cast<std::uint8_t>(v | 0x80);
    *p++ = static_cast<std::uint8_t>(v);
    size_ = static_cast<std::size_t>(p - buf_.get());
  }
  // A varint length followed by the bytes; raises 6 (Overflow) beyond 4 GiB.
  void text(std::string_view data) {
    if (data.size() > std::numeric_limits<std::uint32_t>::max()) tooLong();
    varint(data.size());
    raw(data);
  }

  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  std::span<const std::uint8_t> bytes() const { return {buf_.get(), size_}; }

  // Moves the buffer (and its capacity) from `other`, which is left empty,
  // so that a writer can start with memory another one grew.
  void takeBufferOf(Writer& other) {
    buf_ = std::move(other.buf_);
    capacity_ = std::exchange(other.capacity_, 0);
    size_ = 0;
    other.size_ = 0;
  }

 private:
  // Small appends are the common case (a tag, a length): the buffer is
  // grown ahead, without clearing what it has not written yet, and `size_`
  // marks the end, so an append is one copy.
  void ensure(std::size_t n) {
    if (capacity_ - size_ < n) grow(n);
  }
  void append(const void* p, std::size_t n) {
    ensure(n);
    copyBytes(buf_.get() + size_, static_cast<const std::uint8_t*>(p), n);
    size_ += n;
  }
  // Most appends are a few bytes (a name, a number): two overlapping loads
  // and stores of a fixed width copy them without calling memcpy.
  static void copyBytes(std::uint8_t* to, const std::uint8_t* from, std::size_t n) {
    if (n >= 4 && n <= 16) {
      if (n >= 8) {
        copyFixed<8>(to, from);
        copyFixed<8>(to + n - 8, from + n - 8);
      } else {
        copyFixed<4>(to, from);
        copyFixed<4>(to + n - 4, from + n - 4);
      }
    } else if (n != 0) {
      std::memcpy(to, from, n);
    }
  }
  template <std::size_t N>
  static void copyFixed(std::uint8_t* to, const std::uint8_t* from) {
    std::uint8_t word[N];
    std::memcpy(word, from, N);
    std::memcpy(to, word, N);
  }
  void grow(std::size_t n);
  [[noreturn]] static void tooLong();
  void fixed(std::uint64_t v, std::size_t width) {
    if constexpr (std::endian::native == std::endian::little) {
      append(&v, width);  // the low bytes, in order
    } else {
      std::uint8_t le[8];
      for (std::size_t i = 0; i < 8; ++i) le[i] = static_cast<std::uint8_t>(v >> (8 * i));
      append(le, width);
    }
  }
  std::unique_ptr<std::uint8_t[]> buf_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
};

class Reader {
 public:
  // `base` is the offset of `data` within the whole input, for messages.
  explicit Reader(std::span<const std::uint8_t> data, std::size_t base = 0)
      : data_(data), base_(base) {}

  std::uint8_t u8() {
    if (pos_ == data_.size()) truncated("byte");
    return data_[pos_++];
  }
  std::uint16_t u16() { return static_cast<std::uint16_t>(fixed(2, "16-bit value")); }
  std::uint32_t u32() { return static_cast<std::uint32_t>(fixed(4, "32-bit value")); }
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
  std::int64_t i64() { return static_cast<std::int64_t>(fixed(8, "64-bit value")); }
  float f32();
  double f64();
  // The next n bytes, after checking that they are there.
  std::span<const std::uint8_t> take(std::size_t n, const char* what) {
    if (remaining() < n) truncated(what);
    auto out = data_.subspan(pos_, n);
    pos_ += n;
    return out;
  }
  // A varint of at most 32 bits in its shortest form (so that every value
  // has exactly one encoding).
  std::uint32_t varint(const char* what) {
    // Most varints (names, small lengths) are one byte.
    if (pos_ < data_.size() && data_[pos_] < 0x80) return data_[pos_++];
    return longVarint(what);
  }
  // A varint length and that many bytes.
  std::string_view text(const char* what);

  // A mark of the current place, and the bytes read since a mark.
  std::size_t mark() const { return pos_; }
  std::span<const std::uint8_t> since(std::size_t mark) const {
    return data_.subspan(mark, pos_ - mark);
  }

  std::size_t remaining() const { return data_.size() - pos_; }
  std::size_t offset() const { return base_ + pos_; }
  bool atEnd() const { return pos_ == data_.size(); }

  // Raises 321 with "Invalid file format: <what> at offset N".
  [[noreturn]] void fail(const std::string& what) const;

 private:
  std::uint64_t fixed(std::size_t width, const char* what) {
    if (remaining() < width) truncated(what);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < width; ++i) {
      v |= static_cast<std::uint64_t>(data_[pos_ + i]) << (8 * i);
    }
    pos_ += width;
    return v;
  }
  std::uint32_t longVarint(const char* what);
  [[noreturn]] void truncated(const char* what) const;
  std::span<const std::uint8_t> data_;
  std::size_t base_;
  std::size_t pos_ = 0;
};

}  // namespace velmora::bytes

// Reading short texts a machine word at a time. Keys, member names and
// stored records are a few words long, so the last, partial word is read
// on nearly every call: it is assembled from at most three loads instead of
// a library copy of a variable length, which costs a call and a dispatch on
// the size each time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velmora::detail {

// The eight bytes at `p`, the first in memory the lowest.
inline std::uint64_t wordAt(const char* p) noexcept {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return word;
}

// The `n` bytes at `p` (n below eight) as the low bytes of a word, the bytes
// above them zero. Reads only those `n` bytes.
inline std::uint64_t partialWord(const char* p, std::size_t n) noexcept {
  if (n >= 4) {
    // The first four bytes and the last four, overlapping where n < 8.
    std::uint32_t low, high;
    std::memcpy(&low, p, 4);
    std::memcpy(&high, p + n - 4, 4);
    return low | static_cast<std::uint64_t>(high) << (8 * (n - 4));
  }
  if (n == 0) return 0;
  // The first, middle and last byte cover one to three bytes.
  const auto byte = [p](std::size_t at) -> std::uint64_t {
    return static_cast<unsigned char>(p[at]);
  };
  return byte(0) | byte(n / 2) << (8 * (n / 2)) | byte(n - 1) << (8 * (n - 1));
}

}  // namespace velmora::detail

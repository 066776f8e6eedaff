// A 4 MB PNG through each pair of conversions and back, against memcpy of
// the same bytes and against the smallest round trip any conversion can make
// (two new copies): the pairs copy the encoded image and never re-encode it.
// To keep freed blocks mapped and see the copying alone, run with
//   GLIBC_TUNABLES=glibc.malloc.mmap_threshold=67108864:glibc.malloc.trim_threshold=268435456
// Decoding the pixels, which no conversion needs, is measured on its own.
#include <benchmark/benchmark.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/picture.h>
#include <commonvelmora/work.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace velmora {
namespace {

constexpr std::uint32_t kSide = 1182;  // 1182 x 1182 RGB, stored: about 4 MB

std::uint32_t crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xff] ^ (crc >> 8);
  return ~crc;
}

void putBE(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& d) {
  putBE(out, static_cast<std::uint32_t>(d.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), d.begin(), d.end());
  out.insert(out.end(), body.begin(), body.end());
  putBE(out, crc32(body.data(), body.size()));
}

// A PNG of random pixels in stored (uncompressed) deflate blocks: noise
// would not compress anyway, and no codec is needed to make it.
std::vector<std::uint8_t> noisePng() {
  std::mt19937 rng(7);
  std::vector<std::uint8_t> raw;
  for (std::uint32_t y = 0; y < kSide; ++y) {
    raw.push_back(0);
    for (std::uint32_t x = 0; x < kSide * 3; ++x) raw.push_back(static_cast<std::uint8_t>(rng()));
  }
  std::vector<std::uint8_t> z = {0x78, 0x01};
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  for (std::size_t at = 0; at < raw.size(); at += 65535) {
    const auto n = static_cast<std::uint16_t>(std::min<std::size_t>(65535, raw.size() - at));
    z.push_back(at + n == raw.size() ? 1 : 0);
    z.insert(z.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                       static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
             raw.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  putBE(z, (b << 16) | a);
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<std::uint8_t> ihdr;
  putBE(ihdr, kSide);
  putBE(ihdr, kSide);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  chunk(png, "IHDR", ihdr);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", {});
  return png;
}

const std::vector<std::uint8_t>& png() {
  static const std::vector<std::uint8_t> bytes = noisePng();
  return bytes;
}

void report(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(png().size()));
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<std::uint8_t> target(png().size());
  for (auto _ : state) {
    std::memcpy(target.data(), png().data(), png().size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  report(state);
}

// memcpy into a buffer that is already mapped never pays for fresh pages. A
// round trip must hand out bytes of its own and then build a picture of its
// own, so its smallest honest form is two new vectors, each a copy, alive at
// once. With glibc, freeing two such blocks gives the memory back to the
// kernel and the next round faults it in again page by page, which on a small
// virtual machine costs far more than the copying.
void BM_RoundTripOfTwoCopies(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::uint8_t> out(png().begin(), png().end());
    std::vector<std::uint8_t> back(out.begin(), out.end());
    benchmark::DoNotOptimize(back.data());
    benchmark::ClobberMemory();
  }
  report(state);
}

template <class Pair>
void roundTrip(benchmark::State& state, Pair pair) {
  initializeLibrary();
  Work work;
  ObjectRef picture = Picture::fromBytes(png());
  for (auto _ : state) {
    ObjectRef back = pair(work, picture);
    if (back == nullptr) state.SkipWithError("the picture did not come back");
    benchmark::DoNotOptimize(back.get());
  }
  report(state);
}

void BM_ImageDataPair(benchmark::State& state) {
  roundTrip(state, [](Work& w, ObjectRef& p) {
    SafeArray bytes = std::move(w.GetImageData(p).array());
    return w.GetDataImage(bytes);
  });
}

void BM_ObjectDataPair(benchmark::State& state) {
  roundTrip(state, [](Work& w, ObjectRef& p) {
    SafeArray bytes = std::move(w.GetObjectData(p).array());
    return w.GetDataObject(bytes);
  });
}

void BM_PropertyBagPair(benchmark::State& state) {
  roundTrip(state, [](Work& w, ObjectRef& p) {
    SafeArray bytes = std::move(w.GetArrayByPicture(p).array());
    return w.GetPictureByArray(bytes);
  });
}

void BM_DecodePixels(benchmark::State& state) {
  auto picture = Picture::fromBytes(png());
  for (auto _ : state) {
    if (!picture->decode()) state.SkipWithError("decoding failed");
  }
  report(state);
}

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_RoundTripOfTwoCopies);
BENCHMARK(BM_ImageDataPair);
BENCHMARK(BM_ObjectDataPair);
BENCHMARK(BM_PropertyBagPair);
BENCHMARK(BM_DecodePixels);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();

// The conversions that every log entry and every registry value go through,
// each side by side with the C library doing the nearest equivalent job:
//   - a double to text (15 significant digits) against snprintf("%.15G");
//   - text to a double against strtod;
//   - a date to "General Date" text against localtime_r + strftime("%x %X").
#include <benchmark/benchmark.h>
#include <commonvelmora/convert.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

using namespace velmora;

const double kNumbers[] = {0.1, 98.25, 123456789012345.0, 1.5E-05, -2147483648.0, 1E+20};
const char* const kTexts[] = {"0.1", "98.25", "123456789012345", "1.5E-05", "-2147483648", "1E+20"};

void BM_DoubleToText(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(doubleToText(kNumbers[i++ % 6]));
  }
}
BENCHMARK(BM_DoubleToText);

void BM_Anchor_Snprintf15G(benchmark::State& state) {
  std::size_t i = 0;
  char buf[64];
  for (auto _ : state) {
    std::snprintf(buf, sizeof buf, "%.15G", kNumbers[i++ % 6]);
    benchmark::DoNotOptimize(std::string(buf));
  }
}
BENCHMARK(BM_Anchor_Snprintf15G);

void BM_ParseNumber(benchmark::State& state) {
  std::size_t i = 0;
  double d = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseNumber(kTexts[i++ % 6], d));
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_ParseNumber);

void BM_Anchor_Strtod(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::strtod(kTexts[i++ % 6], nullptr));
  }
}
BENCHMARK(BM_Anchor_Strtod);

void BM_DateToText(benchmark::State& state) {
  double serial = dateFromParts(2024, 3, 7, 14, 5, 9).serial;
  for (auto _ : state) {
    benchmark::DoNotOptimize(dateToText(Date{serial}));
    serial += 1.0 / 86400.0;
  }
}
BENCHMARK(BM_DateToText);

void BM_Anchor_Strftime(benchmark::State& state) {
  std::time_t t = 1709820309;
  char buf[64];
  for (auto _ : state) {
    std::tm local{};
    localtime_r(&t, &local);
    const std::size_t n = std::strftime(buf, sizeof buf, "%x %X", &local);
    benchmark::DoNotOptimize(std::string(buf, n));
    ++t;
  }
}
BENCHMARK(BM_Anchor_Strftime);

}  // namespace

BENCHMARK_MAIN();

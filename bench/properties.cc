// Property trees against Boost.PropertyTree, side by side in one run, on a
// tree of 100,000 properties: 100 collections of 1,000 properties each.
//
//   build    create the tree from nothing
//   lookup   find every property by its full path
//   clone    deep copy
//   persist  ours to PropertyBag bytes; Boost to INFO and to JSON text
//   restore  the reverse
//
// Memory per property (live heap bytes of a built tree, from mallinfo2, and
// allocations per property from a counting operator new) is reported as
// counters of the build benchmarks.
#include <benchmark/benchmark.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/property_bag.h>
#include <malloc.h>

#include <atomic>
#include <boost/property_tree/info_parser.hpp>
#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <cstdlib>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "properties/register_classes.h"

namespace {

std::atomic<std::size_t> gAllocations{0};

// Out of line, so the compiler does not pair an inlined free() with a new.
[[gnu::noinline]] void release(void* p) noexcept { std::free(p); }

}  // namespace

void* operator new(std::size_t n) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }

namespace {

using boost::property_tree::ptree;
using velmora::KZProperties;
using velmora::Variant;

constexpr int kCollections = 100;
constexpr int kPerCollection = 1000;
constexpr int kTotal = kCollections * kPerCollection;

// Built with append: GCC 12 misreports operator+ on strings (-Wrestrict).
std::string numbered(char letter, int n) {
  std::string name(1, letter);
  name.append(std::to_string(n));
  return name;
}
std::string collectionName(int c) { return numbered('c', c); }
std::string propertyName(int p) { return numbered('p', p); }

const std::vector<std::string>& paths() {
  static const std::vector<std::string> all = [] {
    std::vector<std::string> v;
    v.reserve(kTotal);
    for (int c = 0; c < kCollections; ++c) {
      for (int p = 0; p < kPerCollection; ++p) {
        std::string path = collectionName(c);
        path.append("\\").append(propertyName(p));
        v.push_back(std::move(path));
      }
    }
    return v;
  }();
  return all;
}

std::shared_ptr<KZProperties> buildOurs() {
  auto root = KZProperties::create();
  for (int c = 0; c < kCollections; ++c) {
    auto inner = KZProperties::create();
    for (int p = 0; p < kPerCollection; ++p) {
      inner->Add(propertyName(p), Variant(std::int32_t{c * kPerCollection + p}));
    }
    root->Add(collectionName(c), Variant(inner));
  }
  return root;
}

ptree buildBoost() {
  ptree root;
  for (int c = 0; c < kCollections; ++c) {
    ptree inner;
    for (int p = 0; p < kPerCollection; ++p) {
      inner.push_back({propertyName(p), ptree(std::to_string(c * kPerCollection + p))});
    }
    root.push_back({collectionName(c), std::move(inner)});
  }
  return root;
}

template <class Build>
void reportMemory(benchmark::State& state, Build build) {
  malloc_trim(0);
  const std::size_t before = mallinfo2().uordblks;
  const std::size_t allocationsBefore = gAllocations.load();
  auto tree = build();
  const std::size_t allocations = gAllocations.load() - allocationsBefore;
  const std::size_t after = mallinfo2().uordblks;
  state.counters["bytes_per_property"] =
      static_cast<double>(after - before) / static_cast<double>(kTotal);
  state.counters["allocations_per_property"] =
      static_cast<double>(allocations) / static_cast<double>(kTotal);
}

void BM_Build_Ours(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(buildOurs());
  reportMemory(state, buildOurs);
}
void BM_Build_Boost(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(buildBoost());
  reportMemory(state, buildBoost);
}

void BM_Lookup_Ours(benchmark::State& state) {
  auto tree = buildOurs();
  for (auto _ : state) {
    for (const std::string& path : paths()) benchmark::DoNotOptimize(tree->Find(path));
  }
  state.SetItemsProcessed(state.iterations() * kTotal);
}
void BM_Lookup_Boost(benchmark::State& state) {
  const ptree tree = buildBoost();
  for (auto _ : state) {
    for (const std::string& path : paths()) {
      benchmark::DoNotOptimize(&tree.get_child(ptree::path_type(path, '\\')));
    }
  }
  state.SetItemsProcessed(state.iterations() * kTotal);
}

void BM_Clone_Ours(benchmark::State& state) {
  auto tree = buildOurs();
  for (auto _ : state) benchmark::DoNotOptimize(tree->Clone());
}
void BM_Clone_Boost(benchmark::State& state) {
  const ptree tree = buildBoost();
  for (auto _ : state) {
    ptree copy(tree);
    benchmark::DoNotOptimize(copy);
  }
}

std::vector<std::uint8_t> persistOurs(const std::shared_ptr<KZProperties>& tree) {
  velmora::PropertyBag bag;
  bag.writeProperty("Properties", Variant(tree));
  return bag.contents();
}

void BM_Persist_Ours(benchmark::State& state) {
  auto tree = buildOurs();
  std::size_t size = 0;
  for (auto _ : state) size = persistOurs(tree).size();
  state.counters["bytes"] = static_cast<double>(size);
}
void BM_Persist_BoostInfo(benchmark::State& state) {
  const ptree tree = buildBoost();
  std::size_t size = 0;
  for (auto _ : state) {
    std::ostringstream out;
    boost::property_tree::write_info(out, tree);
    size = out.str().size();
  }
  state.counters["bytes"] = static_cast<double>(size);
}
void BM_Persist_BoostJson(benchmark::State& state) {
  const ptree tree = buildBoost();
  std::size_t size = 0;
  for (auto _ : state) {
    std::ostringstream out;
    boost::property_tree::write_json(out, tree, false);
    size = out.str().size();
  }
  state.counters["bytes"] = static_cast<double>(size);
}

void BM_Restore_Ours(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = persistOurs(buildOurs());
  for (auto _ : state) {
    velmora::PropertyBag bag;
    bag.setContents(bytes);
    auto tree = bag.readProperty("Properties");
    if (std::dynamic_pointer_cast<KZProperties>(tree.object())->Count() != kCollections) {
      state.SkipWithError("restored tree is incomplete");
    }
  }
}
void BM_Restore_BoostInfo(benchmark::State& state) {
  std::ostringstream out;
  boost::property_tree::write_info(out, buildBoost());
  const std::string text = out.str();
  for (auto _ : state) {
    std::istringstream in(text);
    ptree tree;
    boost::property_tree::read_info(in, tree);
    benchmark::DoNotOptimize(tree);
  }
}
void BM_Restore_BoostJson(benchmark::State& state) {
  std::ostringstream out;
  boost::property_tree::write_json(out, buildBoost(), false);
  const std::string text = out.str();
  for (auto _ : state) {
    std::istringstream in(text);
    ptree tree;
    boost::property_tree::read_json(in, tree);
    benchmark::DoNotOptimize(tree);
  }
}

const bool kRegistered = (velmora::properties::registerPropertyClasses(), true);

}  // namespace

BENCHMARK(BM_Build_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Build_Boost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lookup_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lookup_Boost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Clone_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Clone_Boost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Persist_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Persist_BoostInfo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Persist_BoostJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Restore_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Restore_BoostInfo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Restore_BoostJson)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

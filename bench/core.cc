// The automation model's hot paths, each beside the nearest plain C++ job:
//   - a call by name with five arguments through a member table, against a
//     direct virtual call with the same five variants;
//   - adding 100,000 keyed items to a KeyedCollection, and looking all of them
//     up by key (in other letter case), against std::unordered_map with the
//     same Unicode folding on insert and look-up.
#include <benchmark/benchmark.h>
#include <commonvelmora/keyed_collection.h>
#include <commonvelmora/member_table.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "core/unicode_fold.h"

namespace {

using namespace velmora;

// A client-style object with a handful of members; Sum takes five arguments.
class Calculator : public Object {
 public:
  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    return table().dispatch(*this, name, kind, args);
  }
  std::string typeName() const override { return "Calculator"; }

  virtual Variant Sum(const Variant& a, const Variant& b, const Variant& c, const Variant& d,
                      const Variant& e) {
    return a.as<std::int32_t>() + b.as<std::int32_t>() + c.as<std::int32_t>() +
           d.as<std::int32_t>() + e.as<std::int32_t>() + offset_;
  }

 private:
  static const MemberTable<Calculator>& table() {
    static const auto t =
        MemberTable<Calculator>()
            .get("Offset", 0, 0, [](Calculator& c, Args) -> Variant { return c.offset_; })
            .let("Offset", 1, 1,
                 [](Calculator& c, Args a) -> Variant {
                   c.offset_ = a[0].as<std::int32_t>();
                   return {};
                 })
            .method("Reset", 0, 0,
                    [](Calculator& c, Args) -> Variant {
                      c.offset_ = 0;
                      return {};
                    })
            .method("Negate", 1, 1,
                    [](Calculator&, Args a) -> Variant { return -a[0].as<std::int32_t>(); })
            .method("Sum", 5, 5, [](Calculator& c, Args a) -> Variant {
              return c.Sum(a[0], a[1], a[2], a[3], a[4]);
            });
    return t;
  }
  std::int32_t offset_ = 1;
};

std::vector<Variant> fiveArguments() {
  return {Variant(1), Variant(2), Variant(3), Variant(4), Variant(5)};
}

void BM_InvokeByName5Args(benchmark::State& state) {
  auto calc = std::make_shared<Calculator>();
  Object& object = *calc;
  std::vector<Variant> args = fiveArguments();
  for (auto _ : state) {
    benchmark::DoNotOptimize(object.invoke("sum", CallKind::Method, args));
  }
}
BENCHMARK(BM_InvokeByName5Args);

void BM_Anchor_VirtualCall5Args(benchmark::State& state) {
  auto calc = std::make_shared<Calculator>();
  Calculator* object = calc.get();
  benchmark::DoNotOptimize(object);
  std::vector<Variant> args = fiveArguments();
  for (auto _ : state) {
    benchmark::DoNotOptimize(object->Sum(args[0], args[1], args[2], args[3], args[4]));
  }
}
BENCHMARK(BM_Anchor_VirtualCall5Args);

constexpr int kItems = 100000;

const std::vector<std::string>& keys() {
  static const auto k = [] {
    std::vector<std::string> v;
    for (int i = 0; i < kItems; ++i) v.push_back("Позиция_" + std::to_string(i));
    return v;
  }();
  return k;
}

// The same keys in upper case, so that every look-up has real folding to do.
const std::vector<std::string>& upperKeys() {
  static const auto k = [] {
    std::vector<std::string> v;
    for (int i = 0; i < kItems; ++i) v.push_back("ПОЗИЦИЯ_" + std::to_string(i));
    return v;
  }();
  return k;
}

void BM_CollectionAdd100k(benchmark::State& state) {
  for (auto _ : state) {
    KeyedCollection c;
    for (int i = 0; i < kItems; ++i) c.add(Variant(i), keys()[static_cast<std::size_t>(i)]);
    benchmark::DoNotOptimize(c.count());
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_CollectionAdd100k)->Unit(benchmark::kMillisecond);

void BM_Anchor_UnorderedMapAdd100k(benchmark::State& state) {
  for (auto _ : state) {
    std::unordered_map<std::string, Variant> m;
    for (int i = 0; i < kItems; ++i) m.emplace(foldCase(keys()[static_cast<std::size_t>(i)]), i);
    benchmark::DoNotOptimize(m.size());
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_Anchor_UnorderedMapAdd100k)->Unit(benchmark::kMillisecond);

void BM_CollectionLookup100k(benchmark::State& state) {
  KeyedCollection c;
  for (int i = 0; i < kItems; ++i) c.add(Variant(i), keys()[static_cast<std::size_t>(i)]);
  std::vector<Variant> lookups(upperKeys().begin(), upperKeys().end());
  for (auto _ : state) {
    for (const Variant& key : lookups) benchmark::DoNotOptimize(&c.item(key));
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_CollectionLookup100k)->Unit(benchmark::kMillisecond);

void BM_Anchor_UnorderedMapLookup100k(benchmark::State& state) {
  std::unordered_map<std::string, Variant> m;
  for (int i = 0; i < kItems; ++i) m.emplace(foldCase(keys()[static_cast<std::size_t>(i)]), i);
  for (auto _ : state) {
    for (const std::string& key : upperKeys())
      benchmark::DoNotOptimize(&m.find(foldCase(key))->second);
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_Anchor_UnorderedMapLookup100k)->Unit(benchmark::kMillisecond);

// ASCII keys take the allocation-free comparison path but still fold.
void BM_CollectionLookup100kAscii(benchmark::State& state) {
  KeyedCollection c;
  std::vector<Variant> lookups;
  for (int i = 0; i < kItems; ++i) {
    c.add(Variant(i), "Item_" + std::to_string(i));
    lookups.emplace_back("ITEM_" + std::to_string(i));
  }
  for (auto _ : state) {
    for (const Variant& key : lookups) benchmark::DoNotOptimize(&c.item(key));
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_CollectionLookup100kAscii)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

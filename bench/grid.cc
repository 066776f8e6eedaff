// The grid services against their anchors, side by side in one run:
//   - save and restore of a 500-column grid with 5 groups and 5 sort keys on
//     the real store, against the floor: the same store operations (the
//     same writes, deletes and whole-key reads) with the records already
//     built, without any grid;
//   - GridToClip of a 10,000-row by 20-column reference grid (on the
//     offscreen Qt clipboard), against building the same tab-separated text
//     by hand from the same cells.
// Compare a pair with --benchmark_repetitions=20
// --benchmark_enable_random_interleaving=true: run one after the other, a
// pair can land in different phases of a shared machine, which moved the
// restore's ratio to its floor by a tenth between runs.
#include <benchmark/benchmark.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/reference_grid.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "grid/grid_working.h"
#include "registry/edit_regestry.h"

namespace {

using velmora::ObjectRef;
using velmora::ReferenceGrid;
using velmora::Variant;

constexpr int kColumns = 500;
constexpr int kSortItems = 5;
constexpr int kRows = 10000;
constexpr int kClipColumns = 20;
const std::string kRoot = std::string(velmora::registry::kSuiteRoot) + "Bench\\Orders";

struct Store {
  std::filesystem::path folder;
  Store() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cvgridbench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder = pattern;
    ::setenv("VELMORA_REGISTRY", (folder / "registry.sqlite3").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  ~Store() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};
Store& store() {
  static Store s;
  return s;
}

std::shared_ptr<ReferenceGrid> wideGrid() {
  auto grid = ReferenceGrid::create();
  for (int i = 1; i <= kColumns; ++i) {
    grid->addColumn("Column" + std::to_string(i), "Caption " + std::to_string(i)).width = 900 + i;
  }
  grid->moveColumn(grid->column(kColumns), 1);
  for (int i = 1; i <= kSortItems; ++i) {
    grid->groups().add(static_cast<std::int16_t>(i), 1);
    grid->sortKeys().add(static_cast<std::int16_t>(kColumns - i), -1);
  }
  return grid;
}

void BM_SaveGridSetting(benchmark::State& state) {
  store();
  ObjectRef grid = wideGrid();
  for (auto _ : state) velmora::grid::SaveGridSetting(grid, "Bench\\Orders");
}

// The save's store operations with the records already made.
void BM_SaveFloor(benchmark::State& state) {
  store();
  auto grid = wideGrid();
  std::vector<std::pair<std::string, std::string>> columns;
  for (int i = 1; i <= kColumns; ++i) {
    const velmora::GridColumn& c = grid->column(i);
    columns.emplace_back(c.key(), c.caption + "|" + std::to_string(c.width) + "|" +
                                      std::to_string(c.colPosition()) + "|True");
  }
  using velmora::registry::DeleteRegistryKey;
  using velmora::registry::SetRegistryValue;
  for (auto _ : state) {
    for (const auto& [name, record] : columns) {
      (void)SetRegistryValue(kRoot + "\\Columns", name, Variant(record));
    }
    for (const char* list : {"\\Groups", "\\SortKeys"}) {
      (void)DeleteRegistryKey(kRoot + list);
      for (int i = 1; i <= kSortItems; ++i) {
        (void)SetRegistryValue(kRoot + list, std::to_string(i), Variant("3|1"));
      }
    }
    (void)SetRegistryValue(kRoot, "GroupByBox Visible", Variant(false));
    (void)SetRegistryValue(kRoot, "View", Variant(std::int32_t{0}));
  }
}

// Restores are timed in batches onto grids built beforehand: pausing the
// clock costs about a microsecond of CPU time each time, which a pause per
// restore would add to the restore alone and not to its floor. Both report
// the time per restore (the "per_restore" counter) next to the batch's.
constexpr int kBatch = 16;

void reportPerRestore(benchmark::State& state) {
  state.counters["per_restore"] = benchmark::Counter(
      kBatch, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RestoreGridSetting(benchmark::State& state) {
  store();
  velmora::grid::SaveGridSetting(wideGrid(), "Bench\\Orders");
  std::vector<ObjectRef> grids;
  for (auto _ : state) {
    state.PauseTiming();
    // Fresh grids each time; the last batch is released while paused too.
    grids.clear();
    for (int g = 0; g < kBatch; ++g) {
      auto grid = ReferenceGrid::create();
      for (int i = 1; i <= kColumns; ++i) grid->addColumn("Column" + std::to_string(i), "");
      grids.push_back(std::move(grid));
    }
    state.ResumeTiming();
    for (const ObjectRef& grid : grids) velmora::grid::RestoreGridSetting(grid, "Bench\\Orders");
  }
  reportPerRestore(state);
}

// The restore's store operations: the three whole-key reads, as many times
// as the restores of one batch.
void BM_RestoreFloor(benchmark::State& state) {
  store();
  velmora::grid::SaveGridSetting(wideGrid(), "Bench\\Orders");
  for (auto _ : state) {
    for (int g = 0; g < kBatch; ++g) {
      for (const char* list : {"\\Columns", "\\Groups", "\\SortKeys"}) {
        benchmark::DoNotOptimize(velmora::registry::ReadAllValue(kRoot + list));
      }
    }
  }
  reportPerRestore(state);
}

std::shared_ptr<ReferenceGrid> tallGrid() {
  auto grid = ReferenceGrid::create();
  for (int c = 1; c <= kClipColumns; ++c) {
    velmora::GridColumn& column =
        grid->addColumn("C" + std::to_string(c), "Col " + std::to_string(c));
    if (c % 4 == 0) {
      column.format = "0.00";
      column.sortType = 2;
    }
  }
  for (int r = 0; r < kRows; ++r) {
    std::vector<Variant> cells;
    for (int c = 1; c <= kClipColumns; ++c) {
      if (c % 2 == 0) {
        cells.emplace_back(r * 0.25 + c);
      } else {
        cells.emplace_back("row " + std::to_string(r));
      }
    }
    grid->addRow(std::move(cells));
  }
  return grid;
}

void BM_GridToClip(benchmark::State& state) {
  store();
  ObjectRef grid = tallGrid();
  for (auto _ : state) benchmark::DoNotOptimize(velmora::grid::GridToClip(grid, true));
}

// The same text built by hand from the same cells: headings, then every
// cell's text, tab-separated, each row ended by CR LF.
void BM_ClipTextByHand(benchmark::State& state) {
  auto grid = tallGrid();
  for (auto _ : state) {
    std::string text;
    for (int c = 1; c <= kClipColumns; ++c) {
      text.append(grid->column(c).caption).append(c < kClipColumns ? "\t" : "\r\n");
    }
    for (int r = 0; r < kRows; ++r) {
      for (int c = 1; c <= kClipColumns; ++c) {
        text.append(velmora::toText(grid->cell(r, c))).append(c < kClipColumns ? "\t" : "\r\n");
      }
    }
    benchmark::DoNotOptimize(text);
  }
}

}  // namespace

BENCHMARK(BM_SaveGridSetting)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreGridSetting)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridToClip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClipTextByHand)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

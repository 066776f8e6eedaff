// Shared set-up for the grid tests: a real settings store and log folder in
// a fresh temporary folder, US regional settings, the offscreen Qt platform.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/reference_grid.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "logging/log_options.h"
#include "registry/edit_regestry.h"
#include "support/scratch.h"

namespace velmora::grid::testing {

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRegionalSettings(RegionalSettings{});
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }

  // The full key of a layout saved under `key`.
  static std::string layoutKey(const std::string& key) {
    return std::string(registry::kSuiteRoot) + key;
  }
  static std::string stored(const std::string& key, const std::string& name) {
    std::int32_t code = 0;
    return toText(registry::ReadRegistryValue(key, name, code, Variant::missing()));
  }
  static void store(const std::string& key, const std::string& name, const std::string& data) {
    (void)registry::SetRegistryValue(key, name, Variant(data));
  }
  static std::string todaysLog() {
    return test_support::readFile(logging::BuildLogFileName(Variant()));
  }

  test_support::ScratchFolder folder_{"cvgrid"};
  test_support::ScopedEnv store_{"VELMORA_REGISTRY", (folder_ / "registry.sqlite3").string()};
  test_support::ScopedEnv tmp_{"TMPDIR", folder_.path().string()};
};

// Price, Qty, Name in that collection order, shown in that order.
inline std::shared_ptr<ReferenceGrid> sampleGrid() {
  return loadGridDescription(
      "column Price width=900 format=0.00 sorttype=2\ncolumn Qty width=600\n"
      "column Name caption=\"Full name\" width=2000\nrow 1.5 3 Ann\n");
}

}  // namespace velmora::grid::testing

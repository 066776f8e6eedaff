// Shared set-up for the grid tests: a real settings store and log folder in
// a fresh temporary folder, US regional settings, the offscreen Qt platform.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/reference_grid.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "logging/log_options.h"
#include "registry/edit_regestry.h"

namespace velmora::grid::testing {

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRegionalSettings(RegionalSettings{});
    std::string pattern = (std::filesystem::temp_directory_path() / "cvgrid-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    ::setenv("VELMORA_REGISTRY", (folder_ / "registry.sqlite3").c_str(), 1);
    if (const char* old = std::getenv("TMPDIR")) oldTmp_ = old;
    ::setenv("TMPDIR", folder_.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  void TearDown() override {
    oldTmp_.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
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
  std::string todaysLog() const {
    std::ifstream in(logging::BuildLogFileName(Variant()), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path folder_;
  std::string oldTmp_;
};

// Price, Qty, Name in that collection order, shown in that order.
inline std::shared_ptr<ReferenceGrid> sampleGrid() {
  return loadGridDescription(
      "column Price width=900 format=0.00 sorttype=2\n"
      "column Qty width=600\n"
      "column Name caption=\"Full name\" width=2000\n"
      "row 1.5 3 Ann\n");
}

}  // namespace velmora::grid::testing

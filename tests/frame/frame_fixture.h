// Shared by the Work tests: each test runs on a thread whose state block is
// back at its starting values, with TMPDIR and the settings store pointing
// into a fresh scratch folder (so log files and registry values land there)
// and with US regional settings pinned after the library's start-up.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/work.h>
#include <gtest/gtest.h>

#include <stdlib.h>
#include "support/error_of.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "frame/thread_state.h"
#include "logging/log_state.h"

namespace velmora::frame::testing {

using velmora::test_support::errorOf;

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initializeLibrary();
    setRegionalSettings(RegionalSettings{});
    std::string pattern = (std::filesystem::temp_directory_path() / "cvframe-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
    ::setenv("TMPDIR", scratch_.c_str(), 1);
    ::setenv("VELMORA_REGISTRY", (scratch_ / "registry.sqlite3").c_str(), 1);
    threadState() = ThreadState{};
    logging::logState() = logging::LogState{};
  }
  void TearDown() override {
    threadState() = ThreadState{};
    logging::logState() = logging::LogState{};
    ::unsetenv("TMPDIR");
    ::unsetenv("VELMORA_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }

  // The folder the library's own log files go to under this TMPDIR (its
  // parent is no profile folder, so the logs stay inside it).
  std::filesystem::path logFolder() const { return scratch_ / "LogFiles"; }
  // Everything the library wrote to its log files.
  std::string loggedText() const {
    std::string all;
    if (!std::filesystem::exists(logFolder())) return all;
    for (const auto& entry : std::filesystem::directory_iterator(logFolder())) {
      all += readFile(entry.path());
    }
    return all;
  }

  std::filesystem::path scratch_;
};

}  // namespace velmora::frame::testing

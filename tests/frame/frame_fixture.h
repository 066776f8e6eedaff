// Shared by the Work tests: each test runs on a thread whose state block is
// back at its starting values, with TMPDIR and the settings store pointing
// into a fresh scratch folder (so log files and registry values land there)
// and with US regional settings pinned after the library's start-up.
#pragma once

#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/work.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "frame/thread_state.h"
#include "logging/log_state.h"
#include "support/error_of.h"
#include "support/scratch.h"

namespace velmora::frame::testing {

using velmora::test_support::errorOf;
using velmora::test_support::readFile;

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initializeLibrary();
    setRegionalSettings(RegionalSettings{});
    threadState() = ThreadState{};
    logging::logState() = logging::LogState{};
  }
  void TearDown() override {
    threadState() = ThreadState{};
    logging::logState() = logging::LogState{};
  }

  // The folder the library's own log files go to under this TMPDIR (its
  // parent is no profile folder, so the logs stay inside it).
  std::filesystem::path logFolder() const { return scratch_ / "LogFiles"; }
  // Everything the library wrote to its log files.
  std::string loggedText() const {
    std::string all;
    std::error_code absent;
    for (const auto& entry : std::filesystem::directory_iterator(logFolder(), absent))
      all += readFile(entry.path());
    return all;
  }

  test_support::ScratchFolder scratch_{"cvframe"};
  test_support::ScopedEnv tmp_{"TMPDIR", scratch_.path().string()};
  test_support::ScopedEnv store_{"VELMORA_REGISTRY", (scratch_ / "registry.sqlite3").string()};
  // No display: a message window the library would show fails at once
  // instead of waiting for a user.
  test_support::ScopedEnv display_{"DISPLAY", nullptr};
  test_support::ScopedEnv wayland_{"WAYLAND_DISPLAY", nullptr};
  test_support::ScopedEnv platform_{"QT_QPA_PLATFORM", nullptr};
};

}  // namespace velmora::frame::testing

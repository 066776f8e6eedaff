// Shared set-up for the logging tests: every test runs against real files in
// a fresh temporary folder that TMPDIR points to, under US regional settings,
// with the thread's log fields back at their starting values.
#pragma once

#include <commonvelmora/convert.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "logging/log_options.h"
#include "logging/log_state.h"
#include "support/scratch.h"

namespace velmora::logging::testing {

using test_support::readFile;
using test_support::ScopedEnv;

// Splits on "\r\n"; a trailing line end yields no empty last line.
inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
    if ((end = text.find("\r\n", start)) == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRegionalSettings({});  // US English, the runtime's own defaults
    logState() = LogState{};
  }
  void TearDown() override {
    CloseLogFile();
    setRegionalSettings({});
  }

  // Where the log files of the plain temporary folder go.
  std::filesystem::path logFolder() const { return scratch_ / "LogFiles"; }
  std::filesystem::path todaysFile() const { return BuildLogFileName(Variant()); }

  test_support::ScratchFolder scratch_{"cvlog"};
  ScopedEnv tmpdir_{"TMPDIR", scratch_.path().string()};
};

}  // namespace velmora::logging::testing

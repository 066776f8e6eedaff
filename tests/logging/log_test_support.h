// Shared set-up for the logging tests: every test runs against real files in
// a fresh temporary folder that TMPDIR points to, under US regional settings,
// with the thread's log fields back at their starting values.
#pragma once

#include <commonvelmora/convert.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "logging/log_options.h"
#include "logging/log_state.h"

namespace velmora::logging::testing {

// Sets an environment variable for the scope and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    set(value);
  }
  ~ScopedEnv() { set(old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void set(const char* value) { value ? ::setenv(name_, value, 1) : ::unsetenv(name_); }
  const char* name_;
  std::optional<std::string> old_;
};

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Splits on "\r\n"; a trailing line end yields no empty last line.
inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
    if ((end = text.find("\r\n", start)) == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

inline RegionalSettings germanSettings() {
  return {.decimalSeparator = ",",
          .shortDate = "dd.MM.yyyy",
          .longTime = "HH:mm:ss",
          .am = "",
          .pm = "",
          .thousandsSeparator = "."};
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "cvlog-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
    tmpdir_.emplace("TMPDIR", scratch_.c_str());
    setRegionalSettings({});  // US English, the runtime's own defaults
    logState() = LogState{};
  }
  void TearDown() override {
    CloseLogFile();
    setRegionalSettings({});
    tmpdir_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }

  // Where the log files of the plain temporary folder go.
  std::filesystem::path logFolder() const { return scratch_ / "LogFiles"; }
  std::filesystem::path todaysFile() const { return BuildLogFileName(Variant()); }

  std::filesystem::path scratch_;
  std::optional<ScopedEnv> tmpdir_;
};

}  // namespace velmora::logging::testing

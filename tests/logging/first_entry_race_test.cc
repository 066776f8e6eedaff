// Applications of the suite starting together on a fresh profile: each
// writes its first entry while no folder of the log path exists yet, so all
// of them create the same folders at the same moment, and every entry must
// arrive.
#include <unistd.h>

#include <cstdio>
#include <set>

#include "log_test_support.h"
#include "support/child_process.h"

namespace velmora::logging::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kProcesses = 8;
constexpr int kFirstEntries = 500;

using FirstEntryRaceTest = LogTest;

TEST_F(FirstEntryRaceTest, EightProcessesOnAFreshProfileLoseNoEntry) {
  ScopedEnv defaultTemp("TMPDIR", nullptr);  // ~/.local/tmp, made on first use
  int written = 0;
  for (int round = 0; written < kFirstEntries; ++round) {
    const fs::path home = scratch_ / ("home" + std::to_string(round));
    fs::create_directory(home);
    ScopedEnv profile("HOME", home.c_str());
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    const auto children = test_support::forkChildren(kProcesses, [&](int p) {
      ::close(start[1]);
      char go;
      (void)!::read(start[0], &go, 1);  // returns when the parent closes its end
      return StoreMessageToLog("first entry of " + std::to_string(p));
    });
    ::close(start[0]);
    ::close(start[1]);  // all children start at once
    const int failed = test_support::failuresOf(children);
    const fs::path file = BuildLogFileName(Variant());
    ASSERT_EQ(file.parent_path(), home / ".local" / "Velmora Manager" / "LogFiles");
    const auto lines = splitLines(readFile(file));
    std::set<std::string> writers;
    for (const std::string& line : lines) {
      const std::size_t at = line.find(" first entry of ");
      ASSERT_NE(at, std::string::npos) << line;
      writers.insert(line.substr(at));
    }
    ASSERT_EQ(failed, 0) << "round " << round;
    ASSERT_EQ(lines.size(), std::size_t{kProcesses}) << "round " << round;
    ASSERT_EQ(writers.size(), std::size_t{kProcesses}) << "round " << round;
    written += kProcesses;
  }
  std::printf("%d first entries written by %d processes at once, none lost\n", written, kProcesses);
}

}  // namespace
}  // namespace velmora::logging::testing

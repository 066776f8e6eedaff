// Several processes writing to the log at once.
#include <unistd.h>

#include <set>

#include "log_test_support.h"
#include "support/child_process.h"

namespace velmora::logging::testing {
namespace {

namespace fs = std::filesystem;

// Several processes appending to the same day's file: every entry arrives
// whole, none is lost and none is split by another writer's entry.
constexpr int kProcesses = 4;
constexpr int kEntriesEach = 20000;

// A long entry makes a torn write easy to see.
std::string entryText(int writer, int entry) {
  return "writer " + std::to_string(writer) + " entry " + std::to_string(entry) + " " +
         std::string(150, static_cast<char>('a' + writer)) + " end";
}

using ConcurrentAppendTest = LogTest;

TEST_F(ConcurrentAppendTest, FourProcessesWriteWholeLines) {
  logState().maxLogFile = INT32_MAX;  // no restart in the middle of the run
  const auto children = test_support::forkChildren(kProcesses, [](int p) {
    bool ok = true;
    for (int i = 0; i < kEntriesEach; ++i) ok = StoreMessageToLog(entryText(p, i)) && ok;
    return ok;
  });
  EXPECT_EQ(test_support::failuresOf(children), 0);

  const auto lines = splitLines(readFile(todaysFile()));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kProcesses * kEntriesEach));
  int next[kProcesses] = {};  // each writer's entries arrive in its own order
  for (const std::string& line : lines) {
    const std::size_t at = line.find(" writer ");
    ASSERT_NE(at, std::string::npos) << line;
    const int writer = line[at + 8] - '0';
    ASSERT_TRUE(writer >= 0 && writer < kProcesses) << line;
    ASSERT_EQ(line.substr(at + 1), entryText(writer, next[writer]++));
  }
}

// Applications of the suite starting together on a fresh profile: each
// writes its first entry while no folder of the log path exists yet, so all
// of them create the same folders at the same moment, and every entry must
// arrive.
constexpr int kStarters = 8;
constexpr int kFirstEntries = 500;

using FirstEntryRaceTest = LogTest;

TEST_F(FirstEntryRaceTest, EightProcessesOnAFreshProfileLoseNoEntry) {
  ScopedEnv defaultTemp("TMPDIR", nullptr);  // ~/.local/tmp, made on first use
  std::set<std::string> everyone;
  for (int p = 0; p < kStarters; ++p) everyone.insert(std::to_string(p));
  for (int round = 0; round * kStarters < kFirstEntries; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const fs::path home = scratch_ / ("home" + std::to_string(round));
    fs::create_directory(home);
    ScopedEnv profile("HOME", home.c_str());
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    const auto children = test_support::forkChildren(kStarters, [&](int p) {
      ::close(start[1]);
      char go;
      (void)!::read(start[0], &go, 1);  // returns when the parent closes its end
      return StoreMessageToLog("first entry of " + std::to_string(p));
    });
    ::close(start[0]);
    ::close(start[1]);  // all children start at once
    ASSERT_EQ(test_support::failuresOf(children), 0);
    const fs::path file = BuildLogFileName(Variant());
    ASSERT_EQ(file.parent_path(), home / ".local" / "Velmora Manager" / "LogFiles");
    const auto lines = splitLines(readFile(file));
    std::set<std::string> writers;
    for (const std::string& line : lines) writers.insert(line.substr(line.find(" of ") + 4));
    ASSERT_EQ(lines.size(), std::size_t{kStarters});
    ASSERT_EQ(writers, everyone);
  }
}

}  // namespace
}  // namespace velmora::logging::testing

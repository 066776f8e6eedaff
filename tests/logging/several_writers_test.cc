// Several processes writing to the log at once.
#include <unistd.h>

#include <cstdio>
#include <map>
#include <set>

#include "log_test_support.h"
#include "support/child_process.h"

namespace velmora::logging::testing {
namespace {

// Several processes appending to the same day's file: every entry arrives
// whole, none is lost and none is split by another writer's entry.
constexpr int kProcesses = 4;
constexpr int kEntriesEach = 20000;

using ConcurrentAppendTest = LogTest;

TEST_F(ConcurrentAppendTest, FourProcessesWriteWholeLines) {
  logState().maxLogFile = INT32_MAX;  // no restart in the middle of the run
  const std::filesystem::path file = todaysFile();
  const auto children = test_support::forkChildren(kProcesses, [](int p) {
    // A long entry makes a torn write easy to see.
    const std::string padding(150, static_cast<char>('a' + p));
    bool ok = true;
    for (int i = 0; i < kEntriesEach; ++i) {
      const std::string text = "writer " + std::to_string(p) + " entry " + std::to_string(i);
      ok = StoreMessageToLog(text + " " + padding + " end") && ok;
    }
    return ok;
  });
  EXPECT_EQ(test_support::failuresOf(children), 0);

  const std::string text = readFile(file);
  const auto lines = splitLines(text);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kProcesses * kEntriesEach));
  std::map<int, int> nextEntry;  // each writer's entries arrive in its own order
  for (const std::string& line : lines) {
    // "<stamp> writer P entry N <150 times letter P> end", nothing else.
    const std::size_t at = line.find(" writer ");
    ASSERT_NE(at, std::string::npos) << line;
    int writer = -1, entry = -1, used = 0;
    ASSERT_EQ(std::sscanf(line.c_str() + at, " writer %d entry %d %n", &writer, &entry, &used), 2)
        << line;
    ASSERT_TRUE(writer >= 0 && writer < kProcesses) << line;
    const std::string expectedTail = std::string(150, static_cast<char>('a' + writer)) + " end";
    ASSERT_EQ(line.substr(at + static_cast<std::size_t>(used)), expectedTail) << line;
    ASSERT_EQ(entry, nextEntry[writer]++) << line;
  }
  for (int p = 0; p < kProcesses; ++p) EXPECT_EQ(nextEntry[p], kEntriesEach);
}

// Applications of the suite starting together on a fresh profile: each
// writes its first entry while no folder of the log path exists yet, so all
// of them create the same folders at the same moment, and every entry must
// arrive.
namespace fs = std::filesystem;

constexpr int kStarters = 8;
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
    const auto children = test_support::forkChildren(kStarters, [&](int p) {
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
    ASSERT_EQ(lines.size(), std::size_t{kStarters}) << "round " << round;
    ASSERT_EQ(writers.size(), std::size_t{kStarters}) << "round " << round;
    written += kStarters;
  }
  std::printf("%d first entries written by %d processes at once, none lost\n", written, kStarters);
}

}  // namespace
}  // namespace velmora::logging::testing

// Several processes appending to the same day's file: every entry arrives
// whole, none is lost and none is split by another writer's entry.
#include <cstdio>
#include <map>

#include "log_test_support.h"
#include "support/child_process.h"

namespace velmora::logging::testing {
namespace {

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

}  // namespace
}  // namespace velmora::logging::testing

// Several processes appending to the same day's file: every entry arrives
// whole, none is lost and none is split by another writer's entry.
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <regex>

#include "log_test_support.h"

namespace velmora::logging::testing {
namespace {

constexpr int kProcesses = 4;
constexpr int kEntriesEach = 20000;

using ConcurrentAppendTest = LogTest;

TEST_F(ConcurrentAppendTest, FourProcessesWriteWholeLines) {
  threadState().maxLogFile = INT32_MAX;  // no restart in the middle of the run
  const std::filesystem::path file = todaysFile();
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // A long entry makes a torn write easy to see.
      const std::string padding(150, static_cast<char>('a' + p));
      int failures = 0;
      for (int i = 0; i < kEntriesEach; ++i) {
        const std::string text = "writer " + std::to_string(p) + " entry " + std::to_string(i);
        if (!StoreMessageToLog(text + " " + padding + " end")) ++failures;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  const std::string text = readFile(file);
  const auto lines = splitLines(text);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kProcesses * kEntriesEach));
  const std::regex whole(R"(\S+ \S+ [AP]M writer (\d) entry (\d+) ([a-d])\3{149} end)");
  std::map<int, int> nextEntry;  // each writer's entries arrive in its own order
  for (const std::string& line : lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, whole)) << line;
    const int writer = std::stoi(m[1]);
    ASSERT_EQ(m[3].str()[0], 'a' + writer);
    ASSERT_EQ(std::stoi(m[2]), nextEntry[writer]++);
  }
  for (int p = 0; p < kProcesses; ++p) EXPECT_EQ(nextEntry[p], kEntriesEach);
}

}  // namespace
}  // namespace velmora::logging::testing

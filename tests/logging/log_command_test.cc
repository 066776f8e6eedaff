// The log and format subcommands of the velmora tool, run as a user would.
#include "log_test_support.h"
#include "support/tool_process.h"

namespace velmora::logging::testing {
namespace {

using test_support::ToolRun;

ToolRun velmora(const std::string& arguments) { return test_support::runVelmora(arguments); }

using LogCommandTest = LogTest;

TEST_F(LogCommandTest, WritesAndLocatesTheDaysFile) {
  EXPECT_EQ(velmora("log message 'two words'").status, 0);
  EXPECT_EQ(velmora("log error -5 Timeout").status, 0);
  const ToolRun path = velmora("log path");
  ASSERT_EQ(path.status, 0);
  const auto lines = splitLines(readFile(path.out.substr(0, path.out.size() - 1)));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].ends_with(" two words"));
  EXPECT_TRUE(lines[1].ends_with(" Error: -5 Timeout"));
  EXPECT_EQ(velmora("log path --prefix Trade --date 2024-03-07").out,
            (logFolder() / "Trade2024_03_07.log").string() + "\n");
}

TEST_F(LogCommandTest, FormatFillsPlaceholdersAndBadInputGivesAClearStatus) {
  EXPECT_EQ(velmora("format 'Value %0 of %1' 5 7").out, "Value 5 of 7\n");
  EXPECT_EQ(velmora("format 'keep %0'").out, "keep %0\n");
  for (const char* bad : {"format", "log error five Timeout", "log message", "log rotate"})
    EXPECT_EQ(velmora(bad).status, 2) << bad;
  EXPECT_EQ(velmora("log path --date 'no date'").status, 1);
}

}  // namespace
}  // namespace velmora::logging::testing

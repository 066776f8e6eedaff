// The velmora tool's props command, run as a user would run it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/scratch.h"
#include "support/tool_process.h"

namespace {

using velmora::test_support::ToolRun;

class PropsToolTest : public ::testing::Test {
 protected:
  ToolRun run(const std::string& args) {
    return velmora::test_support::runVelmora("props " + args, /*mergeErrors=*/true);
  }
  std::string file(const char* name) const { return "'" + (dir_ / name).string() + "'"; }

  velmora::test_support::ScratchFolder dir_{"cvprops"};
};

TEST_F(PropsToolTest, DemoShowFindAndClearErrors) {
  ASSERT_EQ(run("demo " + file("tree.bin")).status, 0);
  ToolRun show = run("show " + file("tree.bin"));
  EXPECT_EQ(show.status, 0);
  EXPECT_NE(show.out.find("Grid = [3 items]\n  Columns = [3 items]\n    Price = 1200 (Long)\n"),
            std::string::npos)
      << show.out;
  EXPECT_NE(show.out.find("User = \"trader\"\n"), std::string::npos) << show.out;

  // The options reach Find and FindEx; their rules are KZProperties' own.
  ToolRun found = run("find " + file("tree.bin") + " grid/columns/qty --delimiter /");
  EXPECT_EQ(found.status, 0);
  EXPECT_EQ(found.out, "Qty = 800 (Long)  read-only\n");
  EXPECT_EQ(run("find " + file("tree.bin") + " '1\\1\\3' --ex").out, "Instrument = 2400 (Long)\n");
  EXPECT_EQ(run("find " + file("tree.bin") + " 'Grid\\Nope'").status, 1);

  for (const char* bad : {"", "bogus", "find onlyfile"}) EXPECT_EQ(run(bad).status, 2) << bad;
  ToolRun help = run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: velmora props show FILE"), std::string::npos);
  EXPECT_EQ(run("show " + file("missing.bin")).status, 1);
  std::ofstream(dir_ / "junk.bin") << "not a bag at all";
  ToolRun junk = run("show " + file("junk.bin"));
  EXPECT_EQ(junk.status, 3);
  EXPECT_NE(junk.out.find("error 321"), std::string::npos) << junk.out;
}

}  // namespace

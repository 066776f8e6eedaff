// The velmora reg command, run as a user runs it.
#include "registry_test_support.h"
#include "support/run_tool.h"

namespace velmora::registry::testing {
namespace {

using test_support::ToolRun;

class RegToolTest : public RegistryTest {
 protected:
  void SetUp() override { RegistryTest::SetUp(); }

  ToolRun run(const std::string& args) { return test_support::runVelmora("reg " + args); }
};

TEST_F(RegToolTest, SetGetListDelete) {
  EXPECT_EQ(run("set 'Software\\App' Caption 'Price'").status, 0);
  EXPECT_EQ(run("set 'Software\\App' Left -1200 --number").status, 0);
  EXPECT_EQ(run("get 'software\\app' left").out, "-1200\n");
  EXPECT_EQ(run("get 'Software\\App' Width --default 40000 --number").out, "40000\n");
  EXPECT_EQ(run("list 'Software\\App'").out,
            "\"Caption\" = \"Price\"\n\"Left\" = -1200\n\"Width\" = 40000\n");
  const ToolRun missing = run("get 'Software\\App' Nothing");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(run("delete 'Software\\App' Caption").status, 0);
  EXPECT_EQ(run("delete Software").status, 1);  // still has a sub-key
  EXPECT_EQ(run("delete 'Software\\App'").status, 0);
}

TEST_F(RegToolTest, ExportImportAndBadUsage) {
  run("set 'A\\B' v 'x'");
  const std::string exported = (folder_ / "a.txt").string();
  EXPECT_EQ(run("export A --output '" + exported + "'").status, 0);
  EXPECT_EQ(run("delete 'A\\B'").status, 0);
  EXPECT_EQ(run("import '" + exported + "'").status, 0);
  EXPECT_EQ(run("get 'A\\B' v").out, "x\n");

  EXPECT_EQ(run("").status, 2);
  EXPECT_EQ(run("frobnicate").status, 2);
  EXPECT_EQ(run("get A").status, 2);
  EXPECT_EQ(run("set A v x --output f").status, 2);
  EXPECT_EQ(run("get A v --bogus").status, 2);
  EXPECT_EQ(run("set A v notanumber --number").status, 3);
  EXPECT_EQ(run("--help").status, 0);
  EXPECT_NE(run("get --help").out.find("usage: velmora reg"), std::string::npos);
}

}  // namespace
}  // namespace velmora::registry::testing

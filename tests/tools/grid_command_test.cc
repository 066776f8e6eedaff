// velmora grid, run as the real binary against a store in a temporary folder.
#include <gtest/gtest.h>

#include <fstream>

#include "support/tool_process.h"

namespace velmora::tool::testing {
namespace {

using test_support::runVelmora;

class GridCommandTest : public test_support::ToolTest {
 protected:
  std::string file(const char* name, const std::string& text) {
    const std::filesystem::path path = scratch_ / name;
    std::ofstream(path) << text;
    return "'" + path.string() + "'";
  }
};

TEST_F(GridCommandTest, RestorePrintsTheGridWithTheSavedLayout) {
  const std::string saved = file("saved.txt",
                                 "column Price caption=Cost position=2 width=700\n"
                                 "column Qty\n"
                                 "sortkey Qty order=-1\n");
  ASSERT_EQ(runVelmora("grid save App " + saved).status, 0);
  const std::string fresh = file("fresh.txt", "column Price\ncolumn Qty\n");
  const auto run = runVelmora("grid restore App " + fresh);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "grid groupbybox=False view=0\n"
            "column Price caption=Cost width=700 position=2 visible=True\n"
            "column Qty caption=Qty width=1000 position=1 visible=True\n"
            "sortkey Qty order=-1\n");
}

TEST_F(GridCommandTest, BadInputGivesItsExitStatus) {
  EXPECT_EQ(runVelmora("grid save App").status, 2);
  EXPECT_EQ(runVelmora("grid save App /no/such/file").status, 1);
  const auto run = runVelmora("grid save App " + file("bad.txt", "column A\ngroup B\n"), true);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "velmora grid: error 321: line 2: no column 'B'\n");
}

}  // namespace
}  // namespace velmora::tool::testing

// velmora columns, caption and msg: offscreen windows saved as images; none without a display.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/tool_process.h"

namespace velmora::tool::testing {
namespace {

using test_support::runVelmora;
using test_support::ScopedEnv;

class FormsCommandTest : public test_support::ToolTest {
 protected:
  void SetUp() override {
    std::ofstream(scratch_ / "grid.txt") << "column Price\ncolumn Qty visible=false\n";
  }
  std::string grid() const { return "'" + (scratch_ / "grid.txt").string() + "'"; }
  std::string png(const char* name) const { return (scratch_ / name).string(); }

  ScopedEnv display_{"DISPLAY", nullptr};
  ScopedEnv wayland_{"WAYLAND_DISPLAY", nullptr};
};

TEST_F(FormsCommandTest, TheWindowsOpenOnTheGridAndTheGridIsPrintedAfterThem) {
  const std::string printed =
      "grid groupbybox=False view=0\n"
      "column Price caption=Price width=1000 position=1 visible=True\n"
      "column Qty caption=Qty width=1000 position=2 visible=False\n";
  {
    ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
    const auto columns = runVelmora("columns --key 'Software\\Desk' --screenshot '" +
                                    png("columns.png") + "' " + grid());
    EXPECT_EQ(columns.status, 0);
    EXPECT_EQ(columns.out, printed);
    const auto caption =
        runVelmora("caption --screenshot '" + png("caption.png") + "' --column Qty " + grid());
    EXPECT_EQ(caption.status, 0);
    EXPECT_EQ(caption.out, printed);  // closed by the capture: as Cancel
    EXPECT_GT(std::filesystem::file_size(png("columns.png")), 0u);
    EXPECT_GT(std::filesystem::file_size(png("caption.png")), 0u);
  }
  ScopedEnv none("QT_QPA_PLATFORM", nullptr);
  EXPECT_EQ(runVelmora("columns " + grid()).out, printed);
  EXPECT_EQ(runVelmora("caption " + grid()).out, printed);

  const auto unknown = runVelmora("caption --column Nope " + grid(), true);
  EXPECT_EQ(unknown.status, 3);
  EXPECT_EQ(unknown.out, "velmora caption: error 9: Subscript out of range\n");
  EXPECT_EQ(runVelmora("columns").status, 2);
}

TEST_F(FormsCommandTest, MsgExitsWithTheButtonCodeOrTheDisplayFailure) {
  const std::string asked = "msg 'Delete?' --icon query --buttons okcancel --default cancel";
  {
    ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
    // Closed by the capture, as by its frame.
    EXPECT_EQ(runVelmora(asked + " --screenshot '" + png("asked.png") + "'").status, 0);
  }
  EXPECT_GT(std::filesystem::file_size(png("asked.png")), 0u);

  ScopedEnv none("QT_QPA_PLATFORM", nullptr);
  EXPECT_EQ(runVelmora("msg 'Saved.' --icon info").status, 2);
  EXPECT_EQ(runVelmora("msg --buttons yes 'x'").status, 64);
}

}  // namespace
}  // namespace velmora::tool::testing

// velmora msg, run as the real binary: the button code as exit status, a
// screenshot of the window as shown, and the display failure in the log.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/tool_process.h"

namespace velmora::tool::testing {
namespace {

using test_support::runVelmora;
using test_support::ScopedEnv;

class MsgCommandTest : public test_support::ToolTest {
 protected:
  ScopedEnv display_{"DISPLAY", nullptr};
  ScopedEnv wayland_{"WAYLAND_DISPLAY", nullptr};
};

TEST_F(MsgCommandTest, ExitsWithTheButtonCodeOrTheDisplayFailure) {
  const std::filesystem::path png = scratch_ / "asked.png";
  {
    ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
    EXPECT_EQ(runVelmora("msg 'Delete the order?' --icon query --buttons okcancel "
                         "--default cancel --screenshot '" +
                         png.string() + "'")
                  .status,
              0);  // closed by the capture, as by its frame
  }
  EXPECT_GT(std::filesystem::file_size(png), 0u);

  ScopedEnv none("QT_QPA_PLATFORM", nullptr);
  EXPECT_EQ(runVelmora("msg 'Saved.' --icon info").status, 2);
  std::string logged;
  for (const auto& entry : std::filesystem::directory_iterator(scratch_ / "LogFiles"))
    logged += test_support::readFile(entry.path());
  EXPECT_NE(logged.find(" Error: 401 Error display Message Window.\r\n"), std::string::npos);

  EXPECT_EQ(runVelmora("msg --buttons yes 'x'").status, 64);
  EXPECT_EQ(runVelmora("msg").status, 64);
}

}  // namespace
}  // namespace velmora::tool::testing

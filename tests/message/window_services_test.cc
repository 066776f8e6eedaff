// The window services shared by the library's windows, on a real Qt GUI.
#include <QtGui/QCursor>
#include <QtGui/QGuiApplication>

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/help_viewer.h"
#include "platform/mouse_pointer.h"
#include "support/gui.h"
#include "support/scratch.h"

namespace velmora::gui {
namespace {

namespace fs = std::filesystem;

class WindowServicesTest : public ::testing::Test {
 protected:
  void SetUp() override { test_support::prepareTestGui(); }
};

TEST_F(WindowServicesTest, RestoringThePointerKeepsTheHostsOverride) {
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));  // the host's
  MousePointer& pointer = defaultMousePointer();
  pointer.override(PointerShape::Arrow);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
  pointer.restore();
  pointer.restore();  // one too many: ours are gone, the host's stays
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  QGuiApplication::restoreOverrideCursor();
}

// A process that ended but was not yet reaped by its new parent counts as
// gone.
bool running(pid_t pid) {
  if (::kill(pid, 0) != 0) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string skip, state;
  stat >> skip >> skip >> state;
  return state != "Z";
}

// Polls `done` every 10 ms for up to two seconds.
template <class Done>
bool waitFor(Done done) {
  for (int i = 0; i < 200 && !done(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

// The opener records what it was given and stays, as a viewer would.
TEST_F(WindowServicesTest, HelpOpensTheTopicWithTheHandlerAndClosingEndsIt) {
  const fs::path dir = fs::path(VELMORA_TEST_HOME) / "help viewer";
  fs::create_directories(dir);
  const fs::path opener = dir / "opener.sh", record = dir / "args.txt",
                 pidFile = dir / "viewer.pid";
  fs::remove(record);
  std::ofstream(opener) << "#!/bin/sh\necho \"$1\" > '" << record.string()
                        << "'\nsleep 30 &\necho $! > '" << pidFile.string() << "'\nwait\n";
  fs::permissions(opener, fs::perms::owner_all);
  const fs::path help = dir / "Trader Help.html";
  std::ofstream(help) << "<html></html>";
  test_support::ScopedEnv handler("VELMORA_HELP_OPENER", opener.string());

  HelpViewer& viewer = defaultHelpViewer();
  EXPECT_FALSE(viewer.showTopic((dir / "missing.hlp").string(), 7));
  ASSERT_TRUE(viewer.showTopic(help.string(), 42));
  ASSERT_TRUE(waitFor([&] { return fs::exists(pidFile); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the pid written whole
  const std::string arg = test_support::readFile(record);
  EXPECT_EQ(arg.substr(0, 8), "file:///");
  EXPECT_EQ(arg.substr(arg.rfind("/help%20viewer/")), "/help%20viewer/Trader%20Help.html#42\n");
  pid_t viewerPid = 0;
  std::ifstream(pidFile) >> viewerPid;
  ASSERT_GT(viewerPid, 0);

  viewer.close(help.string());
  EXPECT_TRUE(waitFor([&] { return !running(viewerPid); }))
      << "the viewer the opener started is still running";
}

}  // namespace
}  // namespace velmora::gui

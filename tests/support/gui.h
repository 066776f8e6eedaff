// Window tests run on the offscreen platform unless the run chose another
// (CI runs them once more on a real X server with QT_QPA_PLATFORM=xcb).
#pragma once

#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/gui_host.h"

namespace velmora::test_support {

inline void prepareTestGui() {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ASSERT_EQ(gui::prepareGuiThread(), "");
}

// Where the window images go for review: the build folder of the tests.
inline std::string imagePath(const std::string& name) {
  const std::filesystem::path folder =
      std::filesystem::path(VELMORA_TEST_HOME).parent_path() / "images";
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

// Runs `act` on the modal window once it is up; call it before the call
// that shows the window.
inline void whenShown(std::function<void(QWidget&)> act) {
  auto* poll = new QTimer();
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr || !window->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(*window);
  });
  poll->start(10);
}

}  // namespace velmora::test_support

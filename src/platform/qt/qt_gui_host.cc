// The Qt application behind gui_host.h.
#include <QtCore/QThread>
#include <QtWidgets/QApplication>

#include <cstdlib>
#include <mutex>

#include "platform/gui_host.h"

namespace velmora::gui {
namespace {

bool named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// The application the library made, if it made one. It is never destroyed:
// windows of other threads' state blocks and the clipboard may still refer
// to it while the process ends.
QApplication* makeApplication() {
  static int argc = 1;
  static char name[] = "commonvelmora";
  static char* argv[] = {name, nullptr};
  return new QApplication(argc, argv);
}

}  // namespace

bool displayConfigured() {
  return named("DISPLAY") || named("WAYLAND_DISPLAY") || named("QT_QPA_PLATFORM");
}

std::string prepareGuiThread() noexcept {
  try {
    static std::mutex creating;
    {
      std::lock_guard<std::mutex> lock(creating);
      if (QCoreApplication::instance() == nullptr) {
        if (!displayConfigured()) {
          return "no display: set DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM "
                 "(QT_QPA_PLATFORM=offscreen for none)";
        }
        makeApplication();
      }
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (qobject_cast<QGuiApplication*>(app) == nullptr) {
      return "the process's Qt application has no GUI (it is a QCoreApplication)";
    }
    if (QThread::currentThread() != app->thread()) {
      return "called from another thread than the one that owns the process's GUI";
    }
    return std::string();
  } catch (...) {
    return "the GUI could not be prepared";
  }
}

}  // namespace velmora::gui

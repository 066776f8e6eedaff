// The screen through Qt: the primary screen's size and logical DPI, and the
// windows of this process found by their native handle.
#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtGui/QWindow>

#include <commonvelmora/error.h>

#include "platform/gui_host.h"
#include "platform/screen.h"
#include "platform/window.h"

namespace velmora::gui {
namespace {

constexpr double kTwipsPerInch = 1440.0;

// A handle names one of this process's own windows (the client passes the
// window it shows the message over); other programs' windows are not
// looked up.
QWindow* windowOf(std::int64_t handle) {
  if (handle <= 0 || !prepareGuiThread().empty()) return nullptr;
  for (QWindow* window : QGuiApplication::allWindows()) {
    if (static_cast<std::int64_t>(window->winId()) == handle) return window;
  }
  return nullptr;
}

class QtScreen final : public Screen {
 public:
  ScreenMetrics metrics() override {
    requireGuiThread();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
      throw AutomationError(kCantShowWindow, "Can't show the window: no screen");
    ScreenMetrics m;
    m.twipsPerPixelX = kTwipsPerInch / screen->logicalDotsPerInchX();
    m.twipsPerPixelY = kTwipsPerInch / screen->logicalDotsPerInchY();
    m.width = screen->geometry().width() * m.twipsPerPixelX;
    m.height = screen->geometry().height() * m.twipsPerPixelY;
    return m;
  }

  std::optional<PixelRect> windowRect(std::int64_t handle) noexcept override {
    try {
      const QWindow* window = windowOf(handle);
      if (window == nullptr) return std::nullopt;
      const QRect r = window->frameGeometry();
      return PixelRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    } catch (...) {
      return std::nullopt;
    }
  }

  void bringToForeground(std::int64_t handle) noexcept override {
    try {
      QWindow* window = windowOf(handle);
      if (window == nullptr) return;
      window->raise();
      window->requestActivate();
    } catch (...) {
    }
  }
};

}  // namespace

Screen& defaultScreen() {
  static QtScreen* const screen = new QtScreen();  // never destroyed
  return *screen;
}

}  // namespace velmora::gui

// What the Qt views of the library's windows share: running a dialog
// modally on the GUI thread, topmost placement, the frame's share of the
// outer size, and the screenshots asked for with captureNextWindow().
// Private to src/platform/qt.
#pragma once

#include <QtCore/QCoreApplication>
#include <QtCore/QPointer>
#include <QtCore/QRect>
#include <QtCore/QSize>
#include <QtCore/QString>
#include <QtWidgets/QDialog>

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/form_windows.h"
#include "platform/screen.h"

namespace velmora::gui::qt {

// Shows `dialog` modally (application-modal, no owner) and returns when it
// has closed. A pending captureNextWindow() request is taken: the dialog is
// saved once it is up and its activation has run, then closed with reject().
// REQUIRES: the dialog was built on the GUI thread. Raises AutomationError
// kCantShowWindow when the thread may not show windows.
void runModal(QDialog& dialog);

// Places the frame's top left corner at (x, y) screen pixels, size kept,
// and keeps the window above the others.
void moveTopmost(QWidget& window, std::int32_t x, std::int32_t y);

// How much the window system's frame adds to the client area, in pixels
// (nothing for a window not shown yet, offscreen, or without a window
// manager).
QSize frameExtra(const QWidget& window);

// The window's native handle, 0 while it has none.
std::int64_t nativeHandle(const QWidget& window) noexcept;

// Renders `window` as it is now into a PNG file. False when the file could
// not be written.
bool saveImage(QWidget& window, const std::string& path);

// This thread's one window of type W, built at its first use and kept for
// the thread's life. Deleted with the thread while the application that
// owns it still exists; a client that ended its application first has
// taken the windows' native side with it, and the rest is left.
// REQUIRES: the calling thread may use windows (requireGuiThread()).
template <class W>
W& threadWindow() {
  struct Kept {
    QPointer<W> window;
    ~Kept() {
      if (window != nullptr && QCoreApplication::instance() != nullptr) delete window.data();
    }
  };
  thread_local Kept kept;
  if (kept.window == nullptr) kept.window = new W();
  return *kept.window;
}

// Twips to the nearest whole pixel, with the screen's factor.
inline int toPixels(double twips, double twipsPerPixel) {
  return static_cast<int>(std::nearbyint(twips / twipsPerPixel));
}

// A rectangle in twips to whole pixels.
inline QRect toPixels(const TwipsRect& r, const ScreenMetrics& screen) {
  return QRect(toPixels(r.left, screen.twipsPerPixelX), toPixels(r.top, screen.twipsPerPixelY),
               toPixels(r.width, screen.twipsPerPixelX), toPixels(r.height, screen.twipsPerPixelY));
}

inline QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace velmora::gui::qt

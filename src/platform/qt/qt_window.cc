// The shared window services of the Qt views (window.h, qt_window.h).
#include "platform/qt/qt_window.h"

#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtGui/QPixmap>

#include <commonvelmora/error.h>

#include <utility>

#include "platform/gui_host.h"
#include "platform/window.h"

namespace velmora::gui {
namespace {

// Only the GUI thread shows windows, so one request per thread is all a
// caller can mean; a request made on another thread is never taken.
std::string& pendingCapture() {
  thread_local std::string path;
  return path;
}

// After the activation handlers have run (focus on the default button), so
// that the image shows what a user sees.
constexpr int kCaptureDelayMs = 50;

}  // namespace

void requireGuiThread() {
  const std::string why = prepareGuiThread();
  if (!why.empty()) throw AutomationError(kCantShowWindow, "Can't show the window: " + why);
}

void captureNextWindow(std::string path) { pendingCapture() = std::move(path); }

namespace qt {

void runModal(QDialog& dialog) {
  requireGuiThread();
  dialog.setWindowModality(Qt::ApplicationModal);
  const std::string capture = std::exchange(pendingCapture(), std::string());
  if (!capture.empty()) {
    QTimer::singleShot(kCaptureDelayMs, &dialog, [&dialog, capture] {
      saveImage(dialog, capture);
      dialog.reject();
    });
  }
  dialog.exec();
}

void moveTopmost(QWidget& window, std::int32_t x, std::int32_t y) {
  // Changing the flags of a shown window hides it; ours are placed before
  // they are shown.
  if (!window.testAttribute(Qt::WA_WState_Visible)) {
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  }
  window.move(x, y);
}

QSize frameExtra(const QWidget& window) {
  return window.frameGeometry().size() - window.geometry().size();
}

std::int64_t nativeHandle(const QWidget& window) noexcept {
  return static_cast<std::int64_t>(window.internalWinId());
}

bool saveImage(QWidget& window, const std::string& path) {
  return window.grab().toImage().save(QString::fromStdString(path), "PNG");
}

}  // namespace qt
}  // namespace velmora::gui

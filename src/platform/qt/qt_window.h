// What the Qt views of the library's windows share: running a dialog
// modally on the GUI thread, topmost placement, the frame's share of the
// outer size, and the screenshots asked for with captureNextWindow().
// Private to src/platform/qt.
#pragma once

#include <QtCore/QSize>
#include <QtWidgets/QDialog>

#include <cstdint>
#include <string>

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

}  // namespace velmora::gui::qt

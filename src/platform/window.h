// What every window of the library (message window, column chooser, caption
// dialog) offers its model, whatever toolkit renders it.
//
// A window is built hidden, arranged by its model, then shown modally on the
// GUI thread (gui_host.h). Without a display, or off that thread, building or
// showing raises AutomationError kCantShowWindow with the reason, and the
// models handle that as the display failure of their window.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::gui {

// The number of the failure raised when a window cannot be built or shown;
// the runtime's "Can't show non-modal form when modal form is displayed" is
// the nearest of its own, and log readers know it as a window failure.
inline constexpr std::int32_t kCantShowWindow = 401;

// Raises AutomationError kCantShowWindow unless the calling thread may use
// windows now (prepareGuiThread() said yes).
void requireGuiThread();

class Window {
 public:
  virtual ~Window() = default;
  // Places the window's top left corner at (x, y) in screen pixels, keeps
  // its size, and keeps it above all other windows while it is shown.
  virtual void moveTopmost(std::int32_t x, std::int32_t y) = 0;
  // Shows the window modally, without an owner, and returns once it has
  // been closed. Raises AutomationError when it cannot be shown.
  virtual void showModal() = 0;
  // Closes the window; a modal showModal() then returns. Never raises.
  virtual void close() noexcept = 0;
  // The window's native handle (0 while it has none).
  virtual std::int64_t handle() const noexcept = 0;
};

// Asks that the next window shown on this thread be saved as a PNG image to
// `path` as soon as it is on the screen, and then closed as a window closed
// by its frame (not by a button). "" withdraws the request. For screenshots
// of the tool and for tests; taken by the first window shown.
void captureNextWindow(std::string path);

}  // namespace velmora::gui

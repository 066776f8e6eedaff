// The screen as the library's windows measure it: its size in twips and the
// twips-per-pixel factors that convert between twips and pixels, and the
// rectangles of other windows, found by their native handle.
//
// Twips per pixel is 1440 divided by the screen's logical dots per inch, so
// 15 at 96 DPI. All of it needs the GUI thread (gui_host.h): without it the
// metrics raise AutomationError kCantShowWindow (window.h) and the rest does
// nothing.
#pragma once

#include <cstdint>
#include <optional>

namespace velmora::gui {

struct ScreenMetrics {
  double width = 0;   // twips
  double height = 0;  // twips
  double twipsPerPixelX = 15;
  double twipsPerPixelY = 15;
};

// A rectangle in screen pixels; right and bottom are one past the last pixel.
struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

class Screen {
 public:
  virtual ~Screen() = default;
  // The primary screen. Raises AutomationError when there is no GUI.
  virtual ScreenMetrics metrics() = 0;
  // The outer rectangle of the window whose native handle is `handle`, or
  // nothing when no such window can be found. Never raises.
  virtual std::optional<PixelRect> windowRect(std::int64_t handle) noexcept = 0;
  // Brings the window with native handle `handle` to the foreground (raise
  // and activate, as far as the window system lets a program). Never raises.
  virtual void bringToForeground(std::int64_t handle) noexcept = 0;
};

// The screen of the platform the library runs on.
Screen& defaultScreen();

}  // namespace velmora::gui

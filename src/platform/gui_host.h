// The process's GUI: windows and the clipboard need one application object
// that owns the display connection, and it belongs to the thread that made
// it.
//
// When the client has made its own (a Qt application, say), the library uses
// it; otherwise the first call that needs a GUI makes one on its thread. It
// is made only when the environment names a display (DISPLAY,
// WAYLAND_DISPLAY or QT_QPA_PLATFORM, e.g. QT_QPA_PLATFORM=offscreen for
// tests and headless use): without one the toolkit would end the process
// instead of failing. A call from any other thread than the one that owns
// the application fails as well, since GUI objects are not thread-safe.
#pragma once

#include <string>

namespace velmora::gui {

// Whether the environment names a display the toolkit may try to open.
bool displayConfigured();

// Makes sure the process has its GUI application and that the calling
// thread owns it. Returns "" when the thread may use windows and the
// clipboard, or else why not ("no display: ...", "... another thread ...").
// Never raises.
std::string prepareGuiThread() noexcept;

}  // namespace velmora::gui

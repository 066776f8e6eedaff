// The Windows build has no windows of its own yet: the message window, the
// column chooser and the caption dialog behave as they do on Linux without
// a display, which their callers already handle.
#include "platform/gui_host.h"

namespace velmora::gui {

bool displayConfigured() { return false; }

std::string prepareGuiThread() noexcept { return "no windows in the Windows build yet"; }

}  // namespace velmora::gui

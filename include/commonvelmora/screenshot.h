// Screenshots of the library's windows, for scripts, reviews and tests.
//
//   velmora::captureNextWindow("/tmp/message.png");
//   work.MsgActivate("Saved.", msgInfo);   // shown, saved, closed: returns 0
#pragma once

#include <commonvelmora/export.h>

#include <string>

namespace velmora {

// The next window the library shows on the calling thread (message window,
// column chooser, caption dialog) is saved as a PNG image to `path` as soon
// as it is on the screen, and then closed as though by its frame: no button
// was pressed, so the message window answers 0. "" withdraws the request.
// Without a display no window is shown and nothing is saved.
VELMORA_EXPORT void captureNextWindow(std::string path);

}  // namespace velmora

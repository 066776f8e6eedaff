#include <commonvelmora/screenshot.h>

#include <utility>

#include "platform/window.h"

namespace velmora {

void captureNextWindow(std::string path) { gui::captureNextWindow(std::move(path)); }

}  // namespace velmora

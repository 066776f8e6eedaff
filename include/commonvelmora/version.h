// The library's version, for clients that want to log or check it.
#pragma once

#include <commonvelmora/export.h>

namespace velmora {

// "MAJOR.MINOR.PATCH" of the loaded library.
VELMORA_EXPORT const char* libraryVersion();

}  // namespace velmora

#include <commonvelmora/version.h>

namespace velmora {

const char* libraryVersion() { return VELMORA_VERSION; }

}  // namespace velmora

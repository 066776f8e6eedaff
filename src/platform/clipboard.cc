#include "platform/clipboard.h"

namespace velmora {

Clipboard::~Clipboard() = default;

}  // namespace velmora

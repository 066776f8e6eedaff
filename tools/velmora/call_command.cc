#include <cstdio>

#include "commands.h"

namespace velmora::tool {

int runCall(CommandArgs) {
  std::fputs("velmora call: not available yet\n", stderr);
  return 2;
}

}  // namespace velmora::tool

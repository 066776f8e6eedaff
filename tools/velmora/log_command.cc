#include <cstdio>

#include "commands.h"

namespace velmora::tool {

int runLog(CommandArgs) {
  std::fputs("velmora log: not available yet\n", stderr);
  return 2;
}

}  // namespace velmora::tool

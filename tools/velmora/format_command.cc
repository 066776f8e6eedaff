#include <cstdio>

#include "commands.h"

namespace velmora::tool {

int runFormat(CommandArgs) {
  std::fputs("velmora format: not available yet\n", stderr);
  return 2;
}

}  // namespace velmora::tool

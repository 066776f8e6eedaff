#include <cstdio>

#include "commands.h"

namespace velmora::tool {

int runProps(CommandArgs) {
  std::fputs("velmora props: not available yet\n", stderr);
  return 2;
}

}  // namespace velmora::tool

#include <cstdio>

#include "commands.h"

namespace velmora::tool {

int runReg(CommandArgs) {
  std::fputs("velmora reg: not available yet\n", stderr);
  return 2;
}

}  // namespace velmora::tool

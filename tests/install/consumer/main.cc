#include <commonvelmora/commonvelmora.h>

#include <cstdio>
#include <cstring>

int main() {
  velmora::Work work;
  const std::string root = work.RegestryString();
  std::printf("%s %s\n", velmora::libraryVersion(), root.c_str());
  return root.empty() || root.back() != '\\' ? 1 : 0;
}

// A downstream client of the installed library, built only from the installed
// headers and library: it creates a Work and stores and reads a setting (what
// the library then does is the demo client's and the unit tests' to check).
// The caller points the store and the temporary folder at scratch places
// (VELMORA_REGISTRY, TMPDIR), so nothing of the user's is touched. Exit
// status 0 means the client built, linked and ran.
#include <commonvelmora/commonvelmora.h>

#include <cstdio>
#include <string>

int main() {
  using namespace velmora;
  std::printf("CommonVelmora %s consumer\n", libraryVersion());
  Work work;

  // A missing setting is written with its default and read back from the store.
  const std::string key = work.RegestryString() + "Consumer\\Window";
  std::int32_t code = -1;
  (void)work.ReadRegistryValue(key, "Width", code, Variant(640));
  const Variant stored = work.ReadRegistryValue(key, "Width", code, Variant(1));
  const bool ok = code == 0 && toDouble(stored) == 640.0;
  std::printf("a setting written and read back %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}

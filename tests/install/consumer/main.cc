// A downstream client of the installed library, built only from the installed
// headers and library: it creates a Work, stores a setting,
// logs an entry, builds a small property tree and persists it through a
// property bag and back. The caller points the store and the temporary folder
// at scratch places (VELMORA_REGISTRY, TMPDIR), so nothing of the user's is
// touched. Exit status 0 means every step did what a client expects.
#include <commonvelmora/commonvelmora.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
  std::printf("%-34s %s\n", what, ok ? "ok" : "FAILED");
  if (!ok) ++failures;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int main() {
  using namespace velmora;
  std::printf("CommonVelmora %s consumer\n", libraryVersion());
  Work work;

  // A missing setting is written with its default and read back from the store.
  const std::string key = work.RegestryString() + "Consumer\\Window";
  std::int32_t code = -1;
  (void)work.ReadRegistryValue(key, "Width", code, Variant(640));
  const Variant stored = work.ReadRegistryValue(key, "Width", code, Variant(1));
  check(code == 0 && toDouble(stored) == 640.0, "a setting written and read back");

  // One entry in the day's log file.
  const std::string logFile = work.LogFileName();
  check(work.StoreMessageToLog("consumer says hello"), "StoreMessageToLog");
  check(readFile(logFile).find("consumer says hello") != std::string::npos,
        "entry is in the log file");

  // A small tree, persisted into bytes and restored into a new tree.
  auto tree = KZProperties::create();
  auto inner = KZProperties::create();
  inner->Add("Price", Variant(120));
  tree->Add("Columns", Variant(std::static_pointer_cast<Object>(inner)));
  tree->Add("Title", Variant("Dealing desk"));
  PropertyBag bag;
  bag.writeProperty("Tree", Variant(std::static_pointer_cast<Object>(tree)));
  PropertyBag loaded;
  loaded.setContents(bag.contents());
  const Variant back = loaded.readProperty("Tree");
  auto restored =
      std::dynamic_pointer_cast<KZProperties>(back.isObject() ? back.object() : nullptr);
  const auto price = restored ? restored->Find("Columns\\Price") : nullptr;
  check(price && toDouble(price->Value()) == 120.0, "tree persisted and restored");

  return failures == 0 ? 0 : 1;
}

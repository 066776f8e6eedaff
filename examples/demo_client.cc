// A day of a suite application, as a client sees the library: only the
// public headers and the shared library. It runs on a fresh machine with no
// set-up: settings go to the user's default store, logs to the user's log
// folder. Members whose subsystem is still to come answer neutrally.
#include <commonvelmora/commonvelmora.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

void show(const char* what, const std::string& value) {
  std::printf("%-24s %s\n", what, value.c_str());
}

}  // namespace

int main() {
  using namespace velmora;
  try {
    Work work;
    std::printf("CommonVelmora %s demo client\n\n", libraryVersion());

    const std::string root = work.RegestryString();
    show("RegestryString", root);

    work.AppNumber(akDealingDesk);
    show("AppNumber", std::to_string(work.AppNumber()));
    show("AppDescription(own)", work.AppDescription(work.AppNumber()));

    std::puts("\nApplications of the suite:");
    for (std::int32_t code = akTradeManager; code <= akReserved; ++code) {
      const std::string text = work.AppDescription(static_cast<App_Key>(code));
      std::printf("  %d  %s\n", code, text.empty() ? "(no text)" : text.c_str());
    }

    std::puts("");
    const std::string key = root + "Demo Client\\Main Window";
    std::int32_t errorCode = 0;
    const Variant width = work.ReadRegistryValue(key, "Width", errorCode, Variant(800));
    show("Width (default 800)", toText(width) + "  (ErrorCode " + std::to_string(errorCode) + ")");
    show("SetRegistryValue", std::to_string(work.SetRegistryValue(key, "LastRun", "today")));

    show("Log file", work.LogFileName());
    show("StoreMessageToLog", work.StoreMessageToLog("Demo client started") ? "True" : "False");
    show("GetStringDescription",
         work.GetStringDescription("%0 of %1 orders filled",
                                   SafeArray::ofVariants({Variant(5), Variant(7)})));

    // A tree of named settings, built, searched and stored as bytes the way a
    // client keeps a layout in a database field.
    auto tree = std::dynamic_pointer_cast<KZProperties>(work.GetKZProperties());
    auto columns = std::dynamic_pointer_cast<KZProperties>(work.GetKZProperties());
    if (tree && columns) {
      columns->Add("Price", Variant(120));
      columns->Add("Volume", Variant(80), true);
      tree->Add("Columns", Variant(columns));
      tree->Add("Title", Variant("Dealing desk"));
      const auto found = tree->Find("Columns\\Volume");
      show("Find(Columns\\Volume)", found ? toText(found->Value()) : "(nothing)");
      PropertyBag bag;
      bag.writeProperty("Properties", Variant(tree));
      show("Persisted tree", std::to_string(bag.contents().size()) + " bytes");
    }
  } catch (const AutomationError& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.description().c_str());
    return 1;
  }
  return 0;
}

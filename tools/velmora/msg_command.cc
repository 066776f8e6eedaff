// velmora msg: show the suite's message window through Work.MsgActivate and
// exit with the button that closed it, so shell scripts can ask the user.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/screenshot.h>
#include <commonvelmora/work.h>

#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "commands.h"

namespace velmora::tool {

namespace {

constexpr int kBadUsage = 64;  // 2 is Cancel's

constexpr const char* kMsgUsage =
    "usage: velmora msg [OPTION...] [--] TEXT\n"
    "\n"
    "Shows TEXT in the message window \"Velmora Manager\" and waits until it is\n"
    "closed. Escape answers as Cancel; a right click on the text copies it.\n"
    "  --icon info|critical|query|warning   the picture and sound (default critical)\n"
    "  --buttons ok|cancel|okcancel         the buttons shown (default ok)\n"
    "  --default ok|cancel                  the button Enter presses (default ok)\n"
    "  --help-file F --help-context N       offer \"Help\", opening topic N of file F\n"
    "  --screenshot FILE                    save the window as shown to FILE (PNG)\n"
    "                                       and close it, as its frame would\n"
    "The tool stands in for the suite's delegate component, through which the\n"
    "window logs: the text (not a query's) and a window that could not be shown\n"
    "go to the day's log file. Without a display the window cannot be shown.\n"
    "\n"
    "Exit status: the button: 1 Ok; 2 Cancel, Escape, or a window that could not\n"
    "be shown; 0 closed otherwise (the frame, --screenshot); 64 bad usage.\n";

// What the suite's delegate component does for the window when it runs
// alone: it declines the message itself, so that the library shows it, and
// passes the window's log entries to the library's own writers. While it
// passes one on it declines, so the library writes the entry itself.
class StandInComponent final : public Object {
 public:
  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    return table().dispatch(*this, name, kind, args);
  }
  std::string typeName() const override { return "SQLConnect"; }

 private:
  static bool& passing() {
    static bool on = false;
    return on;
  }
  template <class Write>
  static Variant passOn(Write write) {
    if (passing()) return Variant(false);
    passing() = true;
    write();
    passing() = false;
    return Variant(true);
  }
  static const MemberTable<StandInComponent>& table() {
    static const auto t =
        MemberTable<StandInComponent>()
            .method("MsgActivate", 8, 8,
                    [](StandInComponent&, Args) { return Variant(std::int32_t{-1}); })
            .method("StoreMessageToLog", 1, 1,
                    [](StandInComponent&, Args a) {
                      return passOn([&] { (void)Work().StoreMessageToLog(toText(a[0])); });
                    })
            .method("StoreErrorToLog", 2, 2, [](StandInComponent&, Args a) {
              return passOn([&] { (void)Work().StoreErrorToLog(toInt32(a[0]), toText(a[1])); });
            });
    return t;
  }
};

int badUsage(const std::string& why) {
  std::fprintf(stderr, "velmora msg: %s\n(see 'velmora msg --help')\n", why.c_str());
  return kBadUsage;
}

template <class T>
std::optional<T> pick(std::string_view value,
                      std::initializer_list<std::pair<std::string_view, T>> names) {
  for (const auto& name : names) {
    if (name.first == value) return name.second;
  }
  return std::nullopt;
}

}  // namespace

int runMsg(CommandArgs args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kMsgUsage, stdout);
    return 0;
  }
  std::optional<std::string> text;
  msgIcon_Enum icon = msgCritical;
  std::int16_t buttons = 1;
  msgButton_Enum defButton = msgOK;
  std::string helpFile, screenshot;
  std::int32_t helpContext = -1;
  bool options = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options && arg == "--") {
      options = false;
      continue;
    }
    if (!options || !arg.starts_with("--")) {
      if (text) return badUsage("more than one TEXT");
      text = std::string(arg);
      continue;
    }
    if (i + 1 >= args.size()) return badUsage(std::string(arg) + " needs a value");
    const std::string_view value = args[++i];
    bool known = true;
    if (arg == "--icon") {
      const auto v = pick<msgIcon_Enum>(value, {{"info", msgInfo},
                                                {"critical", msgCritical},
                                                {"query", msgQuery},
                                                {"warning", msgWarning}});
      known = v.has_value();
      if (v) icon = *v;
    } else if (arg == "--buttons") {
      const auto v = pick<std::int16_t>(value, {{"ok", 1}, {"cancel", 2}, {"okcancel", 3}});
      known = v.has_value();
      if (v) buttons = *v;
    } else if (arg == "--default") {
      const auto v = pick<msgButton_Enum>(value, {{"ok", msgOK}, {"cancel", msgCancel}});
      known = v.has_value();
      if (v) defButton = *v;
    } else if (arg == "--help-file") {
      helpFile = std::string(value);
    } else if (arg == "--help-context") {
      const auto [end, error] =
          std::from_chars(value.data(), value.data() + value.size(), helpContext);
      known = error == std::errc() && end == value.data() + value.size();
    } else if (arg == "--screenshot") {
      screenshot = std::string(value);
    } else {
      return badUsage("unknown option " + std::string(arg));
    }
    if (!known) return badUsage("bad value '" + std::string(value) + "' for " + std::string(arg));
  }
  if (!text) return badUsage("missing TEXT");

  ClassRegistry& classes = ClassRegistry::instance();
  if (!classes.contains(ids::kDelegateProgId)) {
    classes.add(ids::kDelegateProgId,
                []() -> ObjectRef { return std::make_shared<StandInComponent>(); });
  }
  if (!screenshot.empty()) captureNextWindow(screenshot);
  ObjectRef owner;
  std::int32_t parent = -1;
  return Work().MsgActivate(*text, icon, buttons, defButton, owner, helpFile, helpContext, parent);
}

}  // namespace velmora::tool

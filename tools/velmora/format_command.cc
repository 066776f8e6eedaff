// velmora format: fill the %0, %1, ... placeholders of a message template
// through Work.GetStringDescription, as a client would.
#include <commonvelmora/error.h>
#include <commonvelmora/work.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

namespace velmora::tool {

namespace {

constexpr const char* kFormatUsage =
    "usage: velmora format [--] TEMPLATE [ARG...]\n"
    "\n"
    "Replaces the first \"%0\" of TEMPLATE with the first ARG, then the first \"%1\"\n"
    "of the result with the second ARG, and so on; each step searches the text\n"
    "the step before produced. Placeholders without an ARG stay as they are, and\n"
    "there is no escape for a literal '%'. Without any ARG the template is printed\n"
    "unchanged. ARGs are texts.\n"
    "\n"
    "Exit status: 0 printed; 2 bad usage; 3 an automation error (printed as\n"
    "'error NUMBER: DESCRIPTION').\n";

}  // namespace

int runFormat(CommandArgs args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kFormatUsage, stdout);
    return 0;
  }
  if (!args.empty() && args[0] == "--") args = args.subspan(1);
  if (args.empty()) {
    std::fputs("velmora format: missing TEMPLATE\n(see 'velmora format --help')\n", stderr);
    return 2;
  }
  Variant arguments = Variant::missing();
  if (args.size() > 1) {
    std::vector<Variant> items;
    items.reserve(args.size() - 1);
    for (std::string_view arg : args.subspan(1)) items.emplace_back(arg);
    arguments = Variant(SafeArray::ofVariants(std::move(items)));
  }
  try {
    Work work;
    const std::string text = work.GetStringDescription(std::string(args[0]), std::move(arguments));
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
  } catch (const AutomationError& e) {
    std::fprintf(stderr, "velmora format: error %d: %s\n", e.number(), e.description().c_str());
    return 3;
  }
}

}  // namespace velmora::tool

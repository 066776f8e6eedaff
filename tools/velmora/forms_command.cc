// velmora columns and velmora caption: open the column chooser or the
// caption dialog on a reference grid loaded from a grid description, as a
// client's grid would have them opened, and print the grid once the window
// has closed, so a user sees what the ticks or the new caption did.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/reference_grid.h>
#include <commonvelmora/screenshot.h>
#include <commonvelmora/work.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "commands.h"
#include "text_input.h"

namespace velmora::tool {

namespace {

constexpr const char* kColumnsUsage =
    "usage: velmora columns [--key KEY] [--screenshot PNG] FILE\n"
    "\n"
    "Loads the grid described in FILE ('-' for standard input; the form of\n"
    "'velmora grid --help') and opens the column chooser on it, as\n"
    "Work.SetGridColumnsVisible: a tick shows or hides its column at once;\n"
    "columns keyed SERVICE... are not listed. Once the window is closed the\n"
    "grid is printed.\n"
    "  --key KEY          keep the window's place under KEY\\Columns Window of\n"
    "                     the settings store, and open it there next time\n"
    "  --screenshot PNG   save the window as shown to PNG and close it\n"
    "Without a display no window opens and the grid is printed as it was.\n"
    "\n"
    "Exit status: 0 done; 1 FILE unreadable; 2 bad usage; 3 an automation error\n"
    "(a description the format does not know), printed as\n"
    "'error NUMBER: DESCRIPTION'.\n";

constexpr const char* kCaptionUsage =
    "usage: velmora caption [--column KEY] [--screenshot PNG] FILE\n"
    "\n"
    "Loads the grid described in FILE ('-' for standard input; the form of\n"
    "'velmora grid --help') and opens the dialog \"Change Caption\" on one of\n"
    "its columns, as Work.ChangeColumnCaption: Ok (Enter) writes the new\n"
    "caption, Cancel (Escape) leaves it. Once the dialog is closed the grid is\n"
    "printed.\n"
    "  --column KEY       the column to rename (default: the first)\n"
    "  --screenshot PNG   save the dialog as shown to PNG and close it, as\n"
    "                     Cancel would\n"
    "Without a display no dialog opens and the grid is printed as it was.\n"
    "\n"
    "Exit status: 0 done; 1 FILE unreadable; 2 bad usage; 3 an automation error\n"
    "(a description the format does not know, no column KEY), printed as\n"
    "'error NUMBER: DESCRIPTION'.\n";

struct FormArgs {
  std::string file;
  std::string screenshot;
  std::optional<std::string> option;  // --key or --column
};

// FILE with the command's one option and --screenshot, in any order.
std::optional<FormArgs> parse(const char* command, std::string_view optionName, CommandArgs args) {
  FormArgs parsed;
  bool haveFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == optionName || arg == "--screenshot") {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "velmora %s: %.*s needs a value\n", command,
                     static_cast<int>(arg.size()), arg.data());
        return std::nullopt;
      }
      (arg == optionName ? parsed.option.emplace() : parsed.screenshot) = args[++i];
    } else if (arg.starts_with("--") || haveFile) {
      std::fprintf(stderr, "velmora %s: unexpected '%.*s'\n", command, static_cast<int>(arg.size()),
                   arg.data());
      return std::nullopt;
    } else {
      parsed.file = std::string(arg);
      haveFile = true;
    }
  }
  if (!haveFile) {
    std::fprintf(stderr, "velmora %s: missing FILE\n(see 'velmora %s --help')\n", command, command);
    return std::nullopt;
  }
  return parsed;
}

// Loads the grid, lets `open` show the window on it, prints the grid.
template <class Open>
int runForm(const char* command, const char* usage, std::string_view optionName, CommandArgs args,
            Open open) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(usage, stdout);
    return 0;
  }
  const std::optional<FormArgs> parsed = parse(command, optionName, args);
  if (!parsed) return 2;
  std::string text;
  if (!readInput(parsed->file, text)) {
    std::fprintf(stderr, "velmora %s: cannot read '%s'\n", command, parsed->file.c_str());
    return 1;
  }
  try {
    std::shared_ptr<ReferenceGrid> grid = loadGridDescription(text);
    if (!parsed->screenshot.empty()) captureNextWindow(parsed->screenshot);
    open(grid, parsed->option);
    const std::string described = describeGrid(*grid);
    std::fwrite(described.data(), 1, described.size(), stdout);
    return 0;
  } catch (const AutomationError& e) {
    std::fprintf(stderr, "velmora %s: error %d: %s\n", command, e.number(),
                 e.description().c_str());
    return 3;
  }
}

}  // namespace

int runColumns(CommandArgs args) {
  return runForm(
      "columns", kColumnsUsage, "--key", args,
      [](const std::shared_ptr<ReferenceGrid>& grid, const std::optional<std::string>& key) {
        ObjectRef table = grid;
        Work().SetGridColumnsVisible(table, key.value_or(""));
      });
}

int runCaption(CommandArgs args) {
  return runForm(
      "caption", kCaptionUsage, "--column", args,
      [](const std::shared_ptr<ReferenceGrid>& grid, const std::optional<std::string>& key) {
        Variant which = key ? Variant(*key) : Variant(std::int16_t{1});
        ObjectRef column = toObject(grid->invoke("Columns", CallKind::Get, Args(&which, 1)));
        Work().ChangeColumnCaption(column);
      });
}

}  // namespace velmora::tool

// velmora grid: load a grid description into the library's reference grid,
// save its layout to the settings store or restore one onto it, and print
// the grid afterwards, so a user sees what is stored and what a restore does.
#include <commonvelmora/error.h>
#include <commonvelmora/reference_grid.h>
#include <commonvelmora/work.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "text_input.h"

namespace velmora::tool {

namespace {

constexpr const char* kGridUsage =
    "usage: velmora grid save KEY FILE\n"
    "       velmora grid restore KEY FILE\n"
    "\n"
    "Loads the grid described in FILE ('-' for standard input), then\n"
    "  save     writes its layout (columns, groups, sort keys, group-by box, view)\n"
    "           under the suite's settings root plus KEY, as Work.SaveGridSetting;\n"
    "  restore  applies the layout stored under KEY to it, as Work.RestoreGridSetting,\n"
    "and prints the grid in the same description form.\n"
    "\n"
    "A description has one item per line ('#' starts a comment):\n"
    "  grid groupbybox=true view=2\n"
    "  column KEY caption=\"Unit price\" width=900 position=1 visible=true format=0.00 sorttype=2\n"
    "  group KEY order=1\n"
    "  sortkey KEY order=-1\n"
    "\n"
    "Exit status: 0 done; 1 FILE unreadable; 2 bad usage; 3 an automation error\n"
    "(a description the format does not know, a failed save), printed as\n"
    "'error NUMBER: DESCRIPTION'.\n";

}  // namespace

int runGrid(CommandArgs args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kGridUsage, stdout);
    return 0;
  }
  if (args.size() != 3 || (args[0] != "save" && args[0] != "restore")) {
    std::fputs("velmora grid: expected save|restore KEY FILE\n(see 'velmora grid --help')\n",
               stderr);
    return 2;
  }
  std::string text;
  if (!readInput(args[2], text)) {
    std::fprintf(stderr, "velmora grid: cannot read '%.*s'\n", static_cast<int>(args[2].size()),
                 args[2].data());
    return 1;
  }
  try {
    std::shared_ptr<ReferenceGrid> grid = loadGridDescription(text);
    ObjectRef ref = grid;
    Work work;
    if (args[0] == "save") {
      work.SaveGridSetting(ref, std::string(args[1]));
    } else {
      work.RestoreGridSetting(ref, std::string(args[1]));
    }
    const std::string described = describeGrid(*grid);
    std::fwrite(described.data(), 1, described.size(), stdout);
    return 0;
  } catch (const AutomationError& e) {
    std::fprintf(stderr, "velmora grid: error %d: %s\n", e.number(), e.description().c_str());
    return 3;
  }
}

}  // namespace velmora::tool

// velmora: the command-line face of the Work object.
#include <cstdio>
#include <string_view>
#include <vector>

#include "commands.h"

namespace {

constexpr const char* kUsage =
    "usage: velmora COMMAND [ARGS...]\n"
    "\n"
    "commands:\n"
    "  call MEMBER [ARG...]   call a Work member by name (JSON arguments); 'call -' reads calls\n"
    "  log message|error|path write to or locate the day's log file\n"
    "  format TEMPLATE ARG... fill %0, %1, ... placeholders of a message template\n"
    "  reg get|set|delete|list|export|import   read and write the settings store\n"
    "  grid save|restore KEY FILE   save or restore a grid layout described in FILE\n"
    "  props show|find|demo   inspect (or write a sample of) a persisted property tree\n"
    "  msg TEXT [OPTION...]   show the message window; the exit status is the button\n"
    "  columns FILE           open the column chooser on the grid described in FILE\n"
    "  caption FILE           rename a column of that grid in the caption dialog\n"
    "\n"
    "'velmora COMMAND --help' describes each command.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  const std::string_view command = args[0];
  const velmora::tool::CommandArgs rest(args.data() + 1, args.size() - 1);
  if (command == "call") return velmora::tool::runCall(rest);
  if (command == "log") return velmora::tool::runLog(rest);
  if (command == "format") return velmora::tool::runFormat(rest);
  if (command == "reg") return velmora::tool::runReg(rest);
  if (command == "grid") return velmora::tool::runGrid(rest);
  if (command == "props") return velmora::tool::runProps(rest);
  if (command == "msg") return velmora::tool::runMsg(rest);
  if (command == "columns") return velmora::tool::runColumns(rest);
  if (command == "caption") return velmora::tool::runCaption(rest);
  std::fprintf(stderr, "velmora: unknown command '%.*s'\n\n%s", static_cast<int>(command.size()),
               command.data(), kUsage);
  return 2;
}

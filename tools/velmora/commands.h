// The subcommands of the velmora tool, one file each. Each takes the
// arguments after its own name and returns the process exit status:
// 0 success, 2 bad usage (message on standard error), 3 an automation error,
// 1 any other failure. `msg` exits with the button code instead (bad usage
// 64 there, since 2 is Cancel).
#pragma once

#include <span>
#include <string_view>

namespace velmora::tool {

using CommandArgs = std::span<const std::string_view>;

int runCall(CommandArgs args);     // velmora call MEMBER [ARG...] | velmora call -
int runLog(CommandArgs args);      // velmora log message|error|path ...
int runFormat(CommandArgs args);   // velmora format TEMPLATE ARG...
int runReg(CommandArgs args);      // velmora reg get|set|delete|list|export|import ...
int runGrid(CommandArgs args);     // velmora grid save|restore KEY FILE
int runProps(CommandArgs args);    // velmora props show|find ...
int runMsg(CommandArgs args);      // velmora msg TEXT [OPTION...]
int runColumns(CommandArgs args);  // velmora columns [OPTION...] FILE
int runCaption(CommandArgs args);  // velmora caption [OPTION...] FILE

}  // namespace velmora::tool

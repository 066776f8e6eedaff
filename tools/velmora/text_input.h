// Reading a whole input file for a command: a file name, or "-" for
// standard input where a command allows it.
#pragma once

#include <string>
#include <string_view>

namespace velmora::tool {

// The bytes of `path` ("-": standard input) in `text`; false when the file
// cannot be opened or read.
bool readInput(std::string_view path, std::string& text);

}  // namespace velmora::tool

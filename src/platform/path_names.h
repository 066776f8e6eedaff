// Pure rules on path texts, parameterised by the separator so that the same
// code serves '/' paths here and '\' paths on Windows (and tests both).
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The folder that contains `path`, without a trailing separator unless it is
// a root ("/", "C:\"). Trailing separators of `path` are ignored, so
// "C:\Users\u\Temp\" and "C:\Users\u\Temp" both give "C:\Users\u". A path
// with a single part, or a root, has no parent and gives "".
std::string parentFolderName(std::string_view path, char separator);

// `folder`, the separator unless `folder` already ends with one, and `name`.
std::string appendPathPart(std::string_view folder, std::string_view name, char separator);

}  // namespace velmora

#include "platform/path_names.h"

#include <algorithm>

namespace velmora {

namespace {

// Length of the root at the start of `path`: "/" (1), "C:\" (3), "C:" (2),
// or 0 for a relative path. Drive letters exist only where '\' separates.
std::size_t rootLength(std::string_view path, char separator) {
  if (!path.empty() && path[0] == separator) return 1;
  const bool driveLetters = separator == '\\';
  if (driveLetters && path.size() >= 2 && path[1] == ':') {
    return path.size() >= 3 && path[2] == separator ? 3 : 2;
  }
  return 0;
}

}  // namespace

std::string parentFolderName(std::string_view path, char separator) {
  const std::size_t root = rootLength(path, separator);
  std::size_t end = path.size();
  while (end > root && path[end - 1] == separator) --end;
  if (end <= root) return "";  // a root (or nothing) has no parent
  const std::size_t lastSep = path.find_last_of(separator, end - 1);
  if (lastSep == std::string_view::npos || lastSep + 1 <= root) {
    // "dir" has no parent; "/dir" and "C:\dir" have the root as parent.
    return std::string(path.substr(0, root));
  }
  std::size_t parentEnd = lastSep;
  while (parentEnd > root && path[parentEnd - 1] == separator) --parentEnd;
  return std::string(path.substr(0, std::max(parentEnd, root)));
}

std::string appendPathPart(std::string_view folder, std::string_view name, char separator) {
  std::string out;
  out.reserve(folder.size() + 1 + name.size());
  out.append(folder);
  if (out.empty() || out.back() != separator) out.push_back(separator);
  out.append(name);
  return out;
}

}  // namespace velmora

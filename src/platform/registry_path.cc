#include "platform/registry_path.h"

#include "platform/registry_store.h"

namespace velmora {

std::string_view trimKeyPath(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

std::int32_t checkKeyPath(std::string_view path) {
  path = trimKeyPath(path);
  if (path.empty()) return regcode::kSuccess;
  if (path.find('\0') != std::string_view::npos) return regcode::kInvalidParameter;
  std::size_t depth = 0;
  for (;;) {
    const std::size_t cut = path.find('\\');
    const std::size_t length = cut == std::string_view::npos ? path.size() : cut;
    if (length == 0 || length > kMaxKeyNameBytes || ++depth > kMaxKeyDepth) {
      return regcode::kInvalidParameter;
    }
    if (cut == std::string_view::npos) return regcode::kSuccess;
    path.remove_prefix(cut + 1);
  }
}

std::vector<std::string_view> keyPathLevels(std::string_view path) {
  std::vector<std::string_view> levels;
  path = trimKeyPath(path);
  while (!path.empty()) {
    const std::size_t cut = path.find('\\');
    levels.push_back(path.substr(0, cut));
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
  return levels;
}

bool isValidValueName(std::string_view name) {
  return name.size() <= kMaxValueNameBytes && name.find('\0') == std::string_view::npos;
}

}  // namespace velmora

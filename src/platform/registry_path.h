// Splitting and checking the key paths of the settings store (see
// registry_store.h for the rules), shared by every store backend.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

// kSuccess, or kInvalidParameter when `path` breaks a rule. Allocates nothing:
// it runs on every operation.
std::int32_t checkKeyPath(std::string_view path);

// The levels of a checked `path`; the root ("") has none. The views point
// into `path`.
std::vector<std::string_view> keyPathLevels(std::string_view path);

// `path` without its one allowed trailing separator.
std::string_view trimKeyPath(std::string_view path);

// Whether `name` may name a value.
bool isValidValueName(std::string_view name);

}  // namespace velmora

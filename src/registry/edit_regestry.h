// EditRegestry: the per-user settings store reached through key paths below
// the user's root, every value kept as a string in its stored form.
#pragma once

#include <commonvelmora/variant.h>

#include <cstdint>
#include <string>

namespace velmora::registry {

Variant ReadRegistryValue(const std::string& regKey, const std::string& valueName,
                          std::int32_t& errorCode, const Variant& defaultValue);
std::int32_t SetRegistryValue(const std::string& regKey, const std::string& valueName,
                              const Variant& value);
std::int32_t DeleteRegistryValue(const std::string& regKey, const std::string& valueName);
std::int32_t DeleteRegistryKey(const std::string& regKey);
Variant ReadAllValue(const std::string& regKey);
std::int32_t SetAllValue(const std::string& regKey, Variant& arrayValue);

}  // namespace velmora::registry

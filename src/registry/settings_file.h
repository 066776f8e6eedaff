// The text form of a tree of settings (described in
// <commonvelmora/settings.h>, whose exportSettings and importSettings use
// this thread's store), against any store, and its parser.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry_store.h"

namespace velmora::registry {

// Appends `regKey`, its values and all its sub-keys (depth first, in
// creation order) to `out`. Returns the store's result code; kNotFound when
// the key does not exist (nothing is created).
std::int32_t exportSettings(RegistryStore& store, std::string_view regKey, std::string& out);

// One key of the text form with its values (name, data) in their order.
struct SettingsKey {
  std::string path;
  std::vector<std::pair<std::string, std::string>> values;
};

// Reads the whole text form; false on a syntax error, with `error` telling
// the line. Nothing here touches a store, so untrusted files are checked
// before anything is written.
bool parseSettings(std::string_view text, std::vector<SettingsKey>& keys, std::string& error);

// Writes the keys and values of `text` into the store. The whole text is
// read first: on a syntax error nothing is written, `error` tells the line,
// and the result is kInvalidParameter. Otherwise the result is that of the
// first write that fails (the writes before it stay), or kSuccess.
std::int32_t importSettings(RegistryStore& store, std::string_view text, std::string& error);

}  // namespace velmora::registry

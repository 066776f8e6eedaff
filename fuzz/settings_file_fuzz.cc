// Settings files come from users and other machines: the text form's reader
// must reject what is malformed without crashing, and whatever it accepts
// must survive being written out and read again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "registry/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using velmora::registry::SettingsKey;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<SettingsKey> keys;
  std::string error;
  if (!velmora::registry::parseSettings(text, keys, error)) {
    if (error.empty()) std::abort();  // a rejection always says why
    return 0;
  }
  std::string again;
  for (const SettingsKey& key : keys) {
    again += "[" + velmora::quotedSettingText(key.path) + "]\n";
    for (const auto& [name, value] : key.values) {
      again += velmora::quotedSettingText(name) + " = " + velmora::quotedSettingText(value) + "\n";
    }
  }
  std::vector<SettingsKey> reread;
  if (!velmora::registry::parseSettings(again, reread, error)) std::abort();
  if (reread.size() != keys.size()) std::abort();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (reread[i].path != keys[i].path || reread[i].values != keys[i].values) std::abort();
  }
  return 0;
}

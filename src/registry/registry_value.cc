// Reading one value with a default that is written back, writing and
// deleting values and keys.
#include <memory>
#include <string>
#include <utility>

#include "platform/registry_store.h"
#include "registry/edit_regestry.h"
#include "registry/stored_form.h"

namespace velmora::registry {
namespace {

// The size of the data buffer a single read passes: longer data is not read.
constexpr std::size_t kDataBufferBytes = 1024;

}  // namespace

Variant ReadRegistryValue(const std::string& regKey, const std::string& valueName,
                          std::int32_t& errorCode, const Variant& defaultValue) {
  const bool hasDefault = !defaultValue.isMissing();
  const auto fallback = [&] { return hasDefault ? defaultValue : Variant(std::string()); };

  RegistryStore& store = userRegistryStore();
  // The everyday case, an existing value of an existing key, in one step;
  // every other case takes the full way below, which gives the same answer.
  {
    std::string data;
    bool keyFound = false;
    const std::int32_t code = store.getValue(regKey, valueName, kDataBufferBytes, data, keyFound);
    if (keyFound && code == regcode::kSuccess && !data.empty()) {
      errorCode = code;
      if (data.back() == '\0') data.pop_back();
      return readForm(std::move(data));
    }
  }

  std::unique_ptr<RegistryKey> key;
  bool created = false;
  errorCode = store.createKey(regKey, key, created);
  if (errorCode != regcode::kSuccess) return fallback();

  // A key that was just made holds nothing to read.
  if (!created) {
    std::string data;
    errorCode = key->queryValue(valueName, kDataBufferBytes, data);
    if (errorCode == regcode::kSuccess && !data.empty()) {
      if (data.back() == '\0') data.pop_back();
      return readForm(std::move(data));
    }
    // Too long, access denied, ...: the default does not replace what is there.
    const bool absent = errorCode == regcode::kNotFound || errorCode == regcode::kSuccess;
    if (!absent) return fallback();
  }
  if (!hasDefault) return std::string();
  errorCode = key->setStringValue(valueName, storedForm(defaultValue));
  return defaultValue;
}

std::int32_t SetRegistryValue(const std::string& regKey, const std::string& valueName,
                              const Variant& value) {
  // Converted before the key is touched, so a value that has no stored form
  // raises its error with nothing written at all, not even the key.
  const std::string data = storedForm(value);
  std::unique_ptr<RegistryKey> key;
  bool created = false;
  if (const std::int32_t code = userRegistryStore().createKey(regKey, key, created);
      code != regcode::kSuccess) {
    return code;
  }
  return key->setStringValue(valueName, data);
}

std::int32_t DeleteRegistryValue(const std::string& regKey, const std::string& valueName) {
  std::unique_ptr<RegistryKey> key;
  bool created = false;
  if (const std::int32_t code = userRegistryStore().createKey(regKey, key, created);
      code != regcode::kSuccess) {
    return code;
  }
  return key->deleteValue(valueName);
}

std::int32_t DeleteRegistryKey(const std::string& regKey) {
  return userRegistryStore().deleteKey(regKey);
}

}  // namespace velmora::registry

// Every registry test runs against a real store file in a fresh temporary
// folder, named through VELMORA_REGISTRY before the first use.
#pragma once

#include <commonvelmora/convert.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "platform/registry_store.h"
#include "registry/edit_regestry.h"
#include "support/scratch.h"

namespace velmora::registry::testing {

// The names and values of a listing, in order ("" for no listing at all).
inline std::string namesOf(const Variant& listing) {
  if (!listing.isArray()) return "";
  std::string names;
  const SafeArray& table = listing.array();
  for (std::int32_t i = 0; i <= table.ubound(2); ++i)
    names += toText(table.get({0, i})) + "=" + toText(table.get({1, i})) + ";";
  return names;
}

// What a read of `name` in `key` gives, and the code it sets.
using Reading = std::pair<Variant, std::int32_t>;
inline Reading readOf(const std::string& key, const std::string& name,
                      const Variant& fallback = Variant::missing()) {
  std::int32_t code = -1;
  Variant value = ReadRegistryValue(key, name, code, fallback);
  return {value, code};
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { setRegionalSettings(RegionalSettings{}); }

  // A handle on `path`, made when missing.
  static std::unique_ptr<RegistryKey> keyAt(const std::string& path) {
    std::unique_ptr<RegistryKey> handle;
    bool created = false;
    EXPECT_EQ(userRegistryStore().createKey(path, handle, created), regcode::kSuccess);
    return handle;
  }

  // The bytes stored under `name`, as the store holds them.
  static std::string storedData(const std::string& key, const std::string& name) {
    const std::unique_ptr<RegistryKey> handle = keyAt(key);
    std::string data = "<absent>";
    if (handle) handle->queryValue(name, SIZE_MAX, data);
    return data;
  }

  test_support::ScratchFolder folder_{"cvreg"};
  std::filesystem::path storeFile_ = folder_ / "store" / "registry.sqlite3";
  test_support::ScopedEnv store_{"VELMORA_REGISTRY", storeFile_.string()};
};

}  // namespace velmora::registry::testing

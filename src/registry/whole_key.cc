// Reading and writing all values of one key as a table: row 0 the names,
// row 1 the values, one column per value from 0.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/registry_store.h"
#include "registry/edit_regestry.h"
#include "registry/stored_form.h"

namespace velmora::registry {
namespace {

// The name and data buffers the enumeration passes: a name of 1024 bytes or
// more, or data over 1024 bytes, ends the listing.
constexpr std::size_t kNameBufferBytes = 1024;
constexpr std::size_t kDataBufferBytes = 1024;

void dropTrailingZero(std::string& text) {
  if (!text.empty() && text.back() == '\0') text.pop_back();
}

}  // namespace

Variant ReadAllValue(const std::string& regKey) {
  std::unique_ptr<RegistryKey> key;
  bool created = false;
  if (userRegistryStore().createKey(regKey, key, created) != regcode::kSuccess || created) {
    return Variant();
  }
  std::vector<Variant> names;
  std::vector<Variant> values;
  std::string name;
  std::string data;
  for (std::uint32_t i = 0;; ++i) {
    if (key->enumValue(i, kNameBufferBytes, kDataBufferBytes, name, data) != regcode::kSuccess) {
      break;
    }
    dropTrailingZero(name);
    dropTrailingZero(data);
    names.emplace_back(name);
    values.push_back(readForm(data));
  }
  if (names.empty()) return Variant();

  const auto count = static_cast<std::int32_t>(names.size());
  SafeArray table(VarType::Variant, {{0, 2}, {0, count}});
  for (std::int32_t i = 0; i < count; ++i) {
    const auto at = static_cast<std::size_t>(i);
    table.at({0, i}) = std::move(names[at]);
    table.at({1, i}) = std::move(values[at]);
  }
  return Variant(std::move(table));
}

std::int32_t SetAllValue(const std::string& regKey, Variant& arrayValue) {
  std::unique_ptr<RegistryKey> key;
  bool created = false;
  if (const std::int32_t code = userRegistryStore().createKey(regKey, key, created);
      code != regcode::kSuccess) {
    return code;
  }
  std::int32_t lastCode = regcode::kSuccess;
  try {
    // Any error walking the table ends the walk; what was written stays.
    const SafeArray& table = arrayValue.array();
    if (table.dims() != 2) throw AutomationError(err::kSubscriptOutOfRange);
    const std::int32_t last = table.ubound(2);
    for (std::int32_t i = 0; i <= last; ++i) {
      const std::string name = toText(table.get({0, i}));
      const std::string data = storedForm(table.get({1, i}));
      lastCode = key->setStringValue(name, data);
    }
  } catch (const AutomationError&) {
  }
  return lastCode;
}

}  // namespace velmora::registry

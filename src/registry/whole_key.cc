// Reading and writing all values of one key as a table: row 0 the names,
// row 1 the values, one column per value from 0.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
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

std::string_view withoutTrailingZero(std::string_view text) {
  if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  return text;
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
  std::string_view name;
  std::string_view data;
  for (std::uint32_t i = 0;; ++i) {
    if (key->enumValue(i, kNameBufferBytes, kDataBufferBytes, name, data) != regcode::kSuccess) {
      break;
    }
    if (names.capacity() == names.size()) {
      names.reserve(names.size() * 2 + 16);
      values.reserve(names.capacity());
    }
    names.emplace_back(withoutTrailingZero(name));
    values.push_back(readForm(std::string(withoutTrailingZero(data))));
  }
  if (names.empty()) return Variant();

  // Row 0 then row 1 in the array's flat storage (the last index runs fastest).
  const auto count = static_cast<std::int32_t>(names.size());
  SafeArray table(VarType::Variant, {{0, 2}, {0, count}});
  std::vector<Variant>& cells = table.variants();
  std::move(names.begin(), names.end(), cells.begin());
  std::move(values.begin(), values.end(), cells.begin() + count);
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

// Reading and writing all values of one key as a table: row 0 the names,
// row 1 the values, one column per value from 0.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <memory>
#include <string>
#include <string_view>
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
  // The table's size is known only at the end of the listing, so the names
  // and data are gathered into one buffer first and each cell is then made
  // once, in its place.
  std::string bytes;
  std::vector<std::pair<std::size_t, std::size_t>> sizes;  // of each name and its data
  std::string_view name;
  std::string_view data;
  for (std::uint32_t i = 0;; ++i) {
    if (key->enumValue(i, kNameBufferBytes, kDataBufferBytes, name, data) != regcode::kSuccess) {
      break;
    }
    name = withoutTrailingZero(name);
    data = withoutTrailingZero(data);
    sizes.emplace_back(name.size(), data.size());
    bytes.append(name).append(data);
  }
  if (sizes.empty()) return Variant();

  // Row 0 then row 1 in the array's flat storage (the last index runs fastest).
  const std::size_t count = sizes.size();
  SafeArray table(VarType::Variant, {{0, 2}, {0, static_cast<std::int32_t>(count)}});
  std::vector<Variant>& cells = table.variants();
  std::string_view rest = bytes;
  for (std::size_t i = 0; i < count; ++i) {
    const auto [nameSize, dataSize] = sizes[i];
    cells[i] = Variant(std::string(rest.substr(0, nameSize)));
    cells[count + i] = readForm(std::string(rest.substr(nameSize, dataSize)));
    rest.remove_prefix(nameSize + dataSize);
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

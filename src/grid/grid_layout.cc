// Saving a grid's layout to the settings store and restoring it.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <charconv>
#include <string>
#include <utility>
#include <vector>

#include "core/ignore_errors.h"
#include "grid/grid_access.h"
#include "grid/grid_working.h"
#include "registry/edit_regestry.h"

namespace velmora::grid {
namespace {

std::string layoutKey(std::string_view keyString) {
  return std::string(registry::kSuiteRoot).append(keyString);
}

// The collections are walked with a 16-bit counter up to a 16-bit Count.
std::int16_t countOf(Object& collection) { return toInt16(collection.get("Count")); }

void saveSortList(Object& grid, std::string_view member, const std::string& key) {
  (void)registry::DeleteRegistryKey(key);
  const std::int16_t n = countOf(*objectOf(grid.get(member)));
  for (std::int16_t i = 1; i <= n && i > 0; ++i) {
    ObjectRef item = objectOf(getWith(grid, member, Variant(i)));
    const std::string name = toText(item->get("Index"));
    const std::string record = toText(item->get("ColIndex")) + "|" + toText(item->get("SortOrder"));
    (void)registry::SetRegistryValue(key, name, Variant(record));
  }
}

// One slot of the restore's working table: what the record stored for one
// display position. An item whose field did not convert stays empty.
struct Slot {
  std::int32_t value = -1;  // the stored value that claimed it, -1 for none
  Variant width, caption, visible;
};

// The text of a stored value's data without copying it.
std::string_view textOf(const Variant& data, std::string& scratch) {
  if (const std::string* s = data.getIf<std::string>()) return *s;
  scratch = toText(data);
  return scratch;
}

// The stored table's column count; 0 when the key held nothing.
std::int32_t valueCount(const Variant& table) {
  if (!table.isArray()) return 0;
  return table.array().ubound(2) + 1;
}

void restoreColumns(Object& grid, const std::string& key) {
  const Variant table = registry::ReadAllValue(key);
  const std::int16_t n = toInt16(Variant(valueCount(table)));
  if (n <= 0) return;
  const SafeArray& values = table.array();
  std::vector<Slot> slots(static_cast<std::size_t>(n) + 1);
  std::vector<std::string_view> fields;
  std::string scratch;
  for (std::int32_t j = 0; j < n; ++j) {
    ignoreErrors([&] {
      splitRecord(textOf(values.at({1, j}), scratch), fields);
      const std::int16_t p = fieldToInt16(field(fields, 2));
      if (p < 1 || p > n) return;
      Slot& slot = slots[static_cast<std::size_t>(p)];
      slot = Slot{j, {}, {}, {}};
      ignoreErrors([&] { slot.width = fieldToInt16(field(fields, 1)); });
      ignoreErrors([&] { slot.caption = std::string(field(fields, 0)); });
      ignoreErrors([&] { slot.visible = toBool(Variant(field(fields, 3))); });
    });
  }
  for (std::int16_t p = 1; p <= n && p > 0; ++p) {
    const Slot& slot = slots[static_cast<std::size_t>(p)];
    if (slot.value < 0) continue;
    ignoreErrors([&] {
      const ObjectRef columnRef = objectOf(getWith(grid, "Columns", values.at({0, slot.value})));
      Object& column = *columnRef;
      ignoreErrors([&] { column.let("ColPosition", Variant(p)); });
      ignoreErrors([&] { column.let("Caption", slot.caption); });
      ignoreErrors([&] {
        const bool keep = slot.width.isEmpty() || toInt16(slot.width) == 0;
        column.let("Width", keep ? column.get("Width") : slot.width);
      });
      ignoreErrors([&] { column.let("Visible", slot.visible); });
    });
  }
}

void restoreSortList(Object& grid, std::string_view member, const std::string& key) {
  const Variant table = registry::ReadAllValue(key);
  const std::int32_t n = valueCount(table);
  if (n <= 0) return;
  const SafeArray& values = table.array();
  // Last stored first: a grid that places each element by its saved Index
  // then rebuilds the saved order.
  for (std::int32_t j = n - 1; j >= 0; --j) {
    ignoreErrors([&] {
      std::string scratch;
      std::vector<std::string_view> fields;
      splitRecord(textOf(values.at({1, j}), scratch), fields);
      Variant colIndex = fieldToInt16(field(fields, 0));
      Variant sortOrder = fieldToInt16(field(fields, 1));
      Variant index = toInt16(values.at({0, j}));
      Variant args[] = {std::move(colIndex), std::move(sortOrder), std::move(index)};
      objectOf(grid.get(member))->invoke("Add", CallKind::Method, args);
    });
  }
}

}  // namespace

std::int16_t fieldToInt16(std::string_view text) {
  const bool plain = !text.empty() && text.size() <= 5 &&
                     text.find_first_not_of("0123456789") == std::string_view::npos;
  int value = 0;
  if (plain) {
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value <= 32767) return static_cast<std::int16_t>(value);
  }
  return toInt16(Variant(text));
}

void splitRecord(std::string_view record, std::vector<std::string_view>& fields) {
  fields.clear();
  while (true) {
    const auto bar = record.find('|');
    fields.push_back(record.substr(0, bar));
    if (bar == std::string_view::npos) return;
    record.remove_prefix(bar + 1);
  }
}

void SaveGridSetting(const ObjectRef& gridRef, std::string_view keyString) {
  Object& grid = live(gridRef);
  const std::string root = layoutKey(keyString);

  const std::string columnsKey = root + "\\Columns";
  ObjectRef columns = objectOf(grid.get("Columns"));
  const std::int16_t n = countOf(*columns);
  for (std::int16_t i = 1; i <= n && i > 0; ++i) {
    ObjectRef column = objectOf(getWith(grid, "Columns", Variant(i)));
    const std::string name = toText(column->get("Key"));
    std::string record = toText(column->get("Caption"));
    record.append("|").append(toText(column->get("Width")));
    record.append("|").append(toText(column->get("ColPosition")));
    record.append("|").append(toBool(column->get("Visible")) ? "True" : "False");
    (void)registry::SetRegistryValue(columnsKey, name, Variant(std::move(record)));
  }
  saveSortList(grid, "Groups", root + "\\Groups");
  saveSortList(grid, "SortKeys", root + "\\SortKeys");
  (void)registry::SetRegistryValue(root, "GroupByBox Visible", grid.get("GroupByBoxVisible"));
  (void)registry::SetRegistryValue(root, std::string(kViewValueName), grid.get("View"));
}

void RestoreGridSetting(const ObjectRef& gridRef, std::string_view keyString) noexcept {
  if (gridRef == nullptr) return;
  Object& grid = *gridRef;
  std::string root;
  if (!ignoreErrors([&] { root = layoutKey(keyString); })) return;
  ignoreErrors([&] { restoreColumns(grid, root + "\\Columns"); });
  ignoreErrors([&] { restoreSortList(grid, "Groups", root + "\\Groups"); });
  ignoreErrors([&] { restoreSortList(grid, "SortKeys", root + "\\SortKeys"); });
}

}  // namespace velmora::grid

// Saving a grid's layout to the settings store and restoring it.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <array>
#include <bit>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/ignore_errors.h"
#include "core/text_words.h"
#include "grid/grid_access.h"
#include "grid/grid_working.h"
#include "registry/edit_regestry.h"

namespace velmora::grid {
namespace {

// A mask with the high bit of every byte of `word` that is a "|": a record
// is split eight bytes at a time, without a branch per byte that a record's
// few bars at changing places would mispredict. The first byte in memory is
// the lowest.
static_assert(std::endian::native == std::endian::little);
constexpr std::uint64_t barBytes(std::uint64_t word) noexcept {
  constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7full;
  const std::uint64_t x = word ^ 0x7c7c7c7c7c7c7c7cull;  // a bar becomes a zero byte
  // The high bit of each byte of x that is not zero, without carries between bytes.
  const std::uint64_t nonzero = ((x & kLow7) + kLow7) | x;
  return ~nonzero & ~kLow7;
}

// Hands the "|"-separated fields of `record` to `take` in order, until
// `take` returns false.
template <class Take>
void forEachField(std::string_view record, Take&& take) {
  const char* const data = record.data();
  const std::size_t n = record.size();
  std::size_t start = 0;
  bool more = true;
  const auto cut = [&](std::uint64_t word, std::size_t at) {
    for (std::uint64_t bars = barBytes(word); more && bars != 0; bars &= bars - 1) {
      const std::size_t bar = at + static_cast<std::size_t>(std::countr_zero(bars)) / 8;
      more = take(std::string_view(data + start, bar - start));
      start = bar + 1;
    }
  };
  std::size_t at = 0;
  for (; more && at + 8 <= n; at += 8) cut(detail::wordAt(data + at), at);
  // The zero bytes past the end are no bars.
  if (more && at < n) cut(detail::partialWord(data + at, n - at), at);
  if (more) take(std::string_view(data + start, n - start));
}

// The first fields of `record`, collected in place: the scan stops at the
// last one wanted. The number found, at most N.
template <std::size_t N>
std::size_t firstFields(std::string_view record, std::array<std::string_view, N>& fields) {
  std::size_t count = 0;
  forEachField(record, [&](std::string_view text) {
    fields[count++] = text;
    return count < N;
  });
  return count;
}

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
// display position. A field that did not convert stays unset. The caption
// is a view of the stored record, which outlives the table.
struct Slot {
  std::int32_t value = -1;  // the stored value that claimed it, -1 for none
  std::int16_t width = 0;
  bool hasWidth = false;
  std::int8_t visible = -1;  // 0 or 1, -1 when it did not convert
  std::string_view caption;
};

// A stored Visible field: the saved forms directly, anything else through
// the runtime's conversion (which gives the same for those two).
bool visibleField(std::string_view text) {
  if (text == "True") return true;
  if (text == "False") return false;
  return toBool(Variant(text));
}

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

// The stored table's two rows, names and data, each `count` long from 0:
// the elements in their row-major order, read without an index check each.
struct StoredValues {
  Variant* names;
  Variant* data;
};
StoredValues rowsOf(SafeArray& table, std::int32_t count) {
  Variant* first = table.variants().data();
  return {first, first + count};
}

void restoreColumns(Object& grid, const std::string& key) {
  Variant table = registry::ReadAllValue(key);
  const std::int16_t n = toInt16(Variant(valueCount(table)));
  if (n <= 0) return;
  const StoredValues values = rowsOf(table.array(), valueCount(table));
  std::vector<Slot> slots(static_cast<std::size_t>(n) + 1);
  std::deque<std::string> texts;  // records stored as something other than text
  for (std::int32_t j = 0; j < n; ++j) {
    ignoreErrors([&] {
      const Variant& data = values.data[j];
      const std::string* stored = data.getIf<std::string>();
      // Only the first four fields are read.
      std::array<std::string_view, 4> fields;
      const std::size_t count =
          firstFields(stored != nullptr ? *stored : texts.emplace_back(toText(data)), fields);
      const auto fieldAt = [&](std::size_t i) {
        if (i >= count) throw AutomationError(err::kSubscriptOutOfRange);
        return fields[i];
      };
      const std::int16_t p = fieldToInt16(fieldAt(2));
      if (p < 1 || p > n) return;
      Slot& slot = slots[static_cast<std::size_t>(p)];
      slot = Slot{j, 0, false, -1, fieldAt(0)};
      ignoreErrors([&] {
        slot.width = fieldToInt16(fieldAt(1));
        slot.hasWidth = true;
      });
      ignoreErrors([&] { slot.visible = visibleField(fieldAt(3)) ? 1 : 0; });
    });
  }
  // The same four properties of every column, and Columns of the one grid:
  // each name is looked up once, not once a call, where the class allows.
  enum Member : std::size_t { kColPosition, kCaption, kWidth, kVisible };
  MemberCalls<4> columnCalls({"ColPosition", "Caption", "Width", "Visible"});
  MemberCalls<1> gridCalls({"Columns"});
  // The table is this routine's own: its variants are handed to the grid by
  // reference instead of as copies. Each name and record serves one slot
  // at most, so what a callee does to them is never seen again.
  const auto let = [&columnCalls](Member member, Variant& value) {
    columnCalls.invoke(member, CallKind::Let, Args(&value, 1));
  };
  gridCalls.use(grid);
  for (std::int16_t p = 1; p <= n && p > 0; ++p) {
    const Slot& slot = slots[static_cast<std::size_t>(p)];
    if (slot.value < 0) continue;
    ignoreErrors([&] {
      // The column is held by the returned variant while it is changed.
      const Variant found = gridCalls.invoke(0, CallKind::Get, Args(&values.names[slot.value], 1));
      columnCalls.use(*heldObject(found));
      ignoreErrors([&] {
        Variant position(p);
        let(kColPosition, position);
      });
      ignoreErrors([&] {
        // A caption is the front of its record: cut the record down to it.
        Variant& record = values.data[slot.value];
        if (std::string* text = record.getIf<std::string>()) {
          text->resize(slot.caption.size());
          let(kCaption, record);
        } else {
          Variant caption(slot.caption);
          let(kCaption, caption);
        }
      });
      ignoreErrors([&] {
        Variant width = slot.hasWidth && slot.width != 0
                            ? Variant(slot.width)
                            : columnCalls.invoke(kWidth, CallKind::Get, {});
        let(kWidth, width);
      });
      ignoreErrors([&] {
        Variant visible = slot.visible < 0 ? Variant() : Variant(slot.visible == 1);
        let(kVisible, visible);
      });
    });
  }
}

void restoreSortList(Object& grid, std::string_view member, const std::string& key) {
  const Variant table = registry::ReadAllValue(key);
  const std::int32_t n = valueCount(table);
  if (n <= 0) return;
  const SafeArray& values = table.array();
  // The list is asked for once: a grid without it fails every Add alone,
  // as it would asking each time.
  ObjectRef list;
  ignoreErrors([&] { list = objectOf(grid.get(member)); });
  MemberCalls<1> add({"Add"});
  ignoreErrors([&] { add.use(live(list)); });
  // Last stored first: a grid that places each element by its saved Index
  // then rebuilds the saved order.
  for (std::int32_t j = n - 1; j >= 0; --j) {
    ignoreErrors([&] {
      std::string scratch;
      std::array<std::string_view, 2> fields;
      const std::size_t count = firstFields(textOf(values.at({1, j}), scratch), fields);
      if (count < fields.size()) throw AutomationError(err::kSubscriptOutOfRange);
      Variant args[] = {Variant(fieldToInt16(fields[0])), Variant(fieldToInt16(fields[1])),
                        Variant(toInt16(values.at({0, j})))};
      live(list);
      add.invoke(0, CallKind::Method, args);
    });
  }
}

}  // namespace

std::int16_t fieldToInt16(std::string_view text) {
  // Records are short: a plain loop beats a library search call per byte.
  const std::size_t n = text.size();
  if (n != 0 && n <= 5) {
    const char* const p = text.data();
    unsigned value = 0;
    std::size_t i = 0;
    for (; i < n; ++i) {
      const unsigned digit = static_cast<unsigned char>(p[i]) - unsigned{'0'};
      if (digit > 9) break;
      value = value * 10 + digit;
    }
    if (i == n && value <= 32767) return static_cast<std::int16_t>(value);
  }
  return toInt16(Variant(text));
}

void splitRecord(std::string_view record, std::vector<std::string_view>& fields) {
  fields.clear();
  forEachField(record, [&fields](std::string_view field) {
    fields.push_back(field);
    return true;
  });
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

// Sorting a grid by one column, through its group or its sort keys.
//
// Where a grid member fails: the step it fails in ends and the routine goes
// on, but it changes at most the one group or sort key it was looking at.
// So a column whose IsGrouped cannot be read is taken as not grouped, and a
// new sort key is added only when every sort key was compared and none
// matched: a walk that failed half-way may have missed the matching key.
#include <commonvelmora/convert.h>

#include "core/ignore_errors.h"
#include "grid/grid_access.h"
#include "grid/grid_working.h"

namespace velmora::grid {
namespace {

bool changeGroup(std::int16_t sortOrder, Object& table, Object& column) {
  const Variant index = column.get("Index");
  auto groups = objectOf(table.get("Groups"))->newEnum();
  Variant group;
  while (groups->next(group)) {
    Object& g = *objectOf(group);
    if (sameNumber(g.get("ColIndex"), index)) {
      g.let("SortOrder", Variant(sortOrder));
      return true;
    }
  }
  return false;
}

enum class Walk { kMatched, kNoMatch };

Walk changeSortKey(std::int16_t sortOrder, Object& table, Object& column) {
  const Variant index = column.get("Index");
  const std::int16_t n = toInt16(objectOf(table.get("SortKeys"))->get("Count"));
  for (std::int16_t i = 1; i <= n && i > 0; ++i) {
    ObjectRef key = objectOf(table.get("SortKeys", {Variant(i)}));
    if (!sameNumber(key->get("ColIndex"), index)) continue;
    if (sortOrder == 0) {
      objectOf(table.get("SortKeys"))->call("Remove", {Variant(i)});
    } else {
      key->let("SortOrder", Variant(sortOrder));
    }
    return Walk::kMatched;
  }
  return Walk::kNoMatch;
}

}  // namespace

void ChangeSorting(std::int16_t sortOrder, const ObjectRef& table,
                   const ObjectRef& column) noexcept {
  if (table == nullptr || column == nullptr) return;
  bool grouped = false;
  ignoreErrors([&] {
    const Variant v = column->get("IsGrouped");
    grouped = !v.isNull() && toBool(v);
  });
  if (grouped) {
    ignoreErrors([&] { changeGroup(sortOrder, *table, *column); });
    return;
  }
  bool walkedAll = false;
  ignoreErrors([&] { walkedAll = changeSortKey(sortOrder, *table, *column) == Walk::kNoMatch; });
  if (!walkedAll || sortOrder == 0) return;
  ignoreErrors([&] {
    // Two arguments only: the grid places a new key by its own default.
    objectOf(table->get("SortKeys"))->call("Add", {column->get("Index"), Variant(sortOrder)});
  });
}

}  // namespace velmora::grid

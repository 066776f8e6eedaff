// The reference grid's private parts, shared by its data and its members.
#pragma once

#include <commonvelmora/reference_grid.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/flat_key_index.h"

namespace velmora {

// The runtime's "Invalid property value", for a position outside the grid.
inline constexpr std::int32_t kInvalidPropertyValue = 380;

// The column collection object that Columns() hands out.
class GridColumns : public Object {
 public:
  explicit GridColumns(ReferenceGrid* owner) : grid(owner) {}
  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  std::unique_ptr<Enumerator> newEnum() override;
  std::string typeName() const override { return "Columns"; }
  // The column that a position (= Index) or a Key names; 9 when none does.
  ObjectRef find(const Variant& which);
  // The grid's own collection, without taking a reference to it.
  static GridColumns& of(ReferenceGrid& grid);

  ReferenceGrid* grid;  // cleared when the grid is destroyed
};

struct ReferenceGrid::Impl {
  std::vector<std::shared_ptr<GridColumn>> columns;  // collection order: Index 1..n
  std::vector<GridColumn*> order;                    // display order: ColPosition 1..n
  FlatKeyIndex<GridColumn*> byKey;                   // folded Key to column
  std::vector<std::vector<Variant>> rows;            // one cell per column, by Index
  std::shared_ptr<GridColumns> columnsObject;
  std::shared_ptr<GridSortList> groups;
  std::shared_ptr<GridSortList> sortKeys;
};

inline GridColumns& GridColumns::of(ReferenceGrid& grid) { return *grid.impl_->columnsObject; }

}  // namespace velmora

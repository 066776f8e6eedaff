// Sorting by a column through its sort key or its group.
#include <commonvelmora/work.h>

#include "grid/failing_grid.h"
#include "grid/grid_test_support.h"
#include "grid/grid_working.h"

namespace velmora::grid::testing {
namespace {

ObjectRef columnRef(ReferenceGrid& grid, const char* key) {
  return grid.findColumn(key)->shared_from_this();
}

TEST(ChangeSorting, AddsChangesInPlaceAndRemovesTheColumnsSortKey) {
  auto grid = sampleGrid();
  grid->sortKeys().add(1, 1);
  ChangeSorting(2, grid, columnRef(*grid, "Qty"));
  ASSERT_EQ(grid->sortKeys().count(), 2);
  EXPECT_EQ(grid->sortKeys().item(2).colIndex, 2);
  ChangeSorting(-1, grid, columnRef(*grid, "Qty"));
  EXPECT_EQ(grid->sortKeys().count(), 2);
  EXPECT_EQ(grid->sortKeys().item(2).sortOrder, -1);
  ChangeSorting(0, grid, columnRef(*grid, "Qty"));
  EXPECT_EQ(grid->sortKeys().count(), 1);
  ChangeSorting(0, grid, columnRef(*grid, "Qty"));
  EXPECT_EQ(grid->sortKeys().count(), 1);
}

TEST(ChangeSorting, OnlyTheFirstOfTwoKeysOnOneColumnChanges) {
  auto grid = sampleGrid();
  grid->sortKeys().add(3, 1);
  grid->sortKeys().add(3, 1);
  ChangeSorting(0, grid, columnRef(*grid, "Name"));
  ASSERT_EQ(grid->sortKeys().count(), 1);
  EXPECT_EQ(grid->sortKeys().item(1).colIndex, 3);
}

TEST(ChangeSorting, AGroupedColumnChangesOnlyItsGroup) {
  auto grid = sampleGrid();
  grid->groups().add(1, 1);
  grid->sortKeys().add(1, 1);
  ObjectRef table = grid;
  ObjectRef column = columnRef(*grid, "Price");
  Work().ChangeSorting(0, table, column);
  EXPECT_EQ(grid->groups().item(1).sortOrder, 0);
  EXPECT_EQ(grid->sortKeys().item(1).sortOrder, 1);
}

TEST(ChangeSorting, FailuresAndUnusableObjectsChangeNothingAndNeverRaise) {
  auto grid = sampleGrid();
  grid->sortKeys().add(2, 1);
  ChangeSorting(1, nullptr, columnRef(*grid, "Qty"));
  ChangeSorting(1, grid, nullptr);
  // A column object that is no column: no IsGrouped, no Index.
  ChangeSorting(1, grid, grid);
  // The walk over the sort keys fails: nothing is added behind its back.
  auto failing = std::make_shared<FailingGrid>(grid, "SortKeys");
  ChangeSorting(3, failing, columnRef(*grid, "Name"));
  EXPECT_EQ(grid->sortKeys().count(), 1);
  EXPECT_EQ(grid->sortKeys().item(1).sortOrder, 1);
}

}  // namespace
}  // namespace velmora::grid::testing

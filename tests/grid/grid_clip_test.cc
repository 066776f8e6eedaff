// Copying a grid to the real (offscreen) clipboard, and sorting by a column.
#include <commonvelmora/work.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "grid/failing_grid.h"
#include "grid/grid_test_support.h"
#include "grid/grid_working.h"
#include "platform/clipboard.h"
#include "platform/gui_host.h"
#include "support/error_of.h"

namespace velmora::grid::testing {
namespace {

using test_support::errorOf;

class GridClip : public GridTest {};

TEST_F(GridClip, CopiesWithoutTheFormatsOfNumberColumnsAndPutsThemBackEvenAfterAFailure) {
  auto grid = loadGridDescription(
      "column Price format=0.00 sorttype=5\ncolumn Qty format=0.0 sorttype=1\ncolumn Name\n"
      "row 1.5 3 Ann\n");
  ObjectRef ref = grid;
  EXPECT_TRUE(Work().GridToClip(ref, true));
  EXPECT_EQ(defaultClipboard().text(), "Price\tQty\tName\r\n1.5\t3.0\tAnn\r\n");
  EXPECT_EQ(grid->findColumn("Price")->format, "0.00");
  EXPECT_TRUE(GridToClip(grid, false));
  EXPECT_EQ(defaultClipboard().text(), "1.5\t3.0\tAnn\r\n");
  EXPECT_FALSE(GridToClip(nullptr, true));

  // A failed copy is logged, and the formats still come back.
  EXPECT_TRUE(GridToClip(std::make_shared<FailingGrid>(grid, "GetClipString"), true));
  EXPECT_EQ(defaultClipboard().text(), "1.5\t3.0\tAnn\r\n");
  EXPECT_EQ(grid->findColumn("Price")->format, "0.00");
  EXPECT_THAT(todaysLog(),
              ::testing::HasSubstr(" Error: 5 Error Copy Data From Grid the grid refused\r\n"));
}

// A failed copy is logged as above; what the clipboard says off the GUI
// thread is its own.
TEST_F(GridClip, TheClipboardFailsCleanlyOffTheGuiThread) {
  ASSERT_EQ(gui::prepareGuiThread(), "");
  int number = 0;
  std::string why;
  std::thread([&] {
    number = errorOf([] { defaultClipboard().clear(); });
    why = test_support::errorDescriptionOf([] { defaultClipboard().setText("x"); });
  }).join();
  EXPECT_EQ(number, kCantOpenClipboard);
  EXPECT_THAT(why, ::testing::StartsWith("Can't open Clipboard: called from another"));
}

TEST(GuiHostDeathTest, WithoutADisplayNothingIsTriedAndTheClipboardSaysWhy) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        const bool refused = errorOf([] { defaultClipboard().setText("x"); }) == kCantOpenClipboard;
        std::exit(refused && !gui::prepareGuiThread().empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

ObjectRef columnRef(ReferenceGrid& grid, const char* key) {
  return grid.findColumn(key)->shared_from_this();
}
// The group and sort key lines of the grid's description.
std::string sorting(ReferenceGrid& grid) {
  const std::string all = describeGrid(grid);
  const std::size_t at = std::min(all.find("\ngroup "), all.find("\nsortkey "));
  return at == std::string::npos ? "" : all.substr(at + 1);
}

TEST(ChangeSorting, AddsChangesInPlaceAndRemovesTheColumnsFirstSortKey) {
  auto grid = sampleGrid();
  const ObjectRef qty = columnRef(*grid, "Qty");
  grid->sortKeys().add(1, 1);
  ChangeSorting(2, grid, qty);
  EXPECT_EQ(sorting(*grid), "sortkey Price order=1\nsortkey Qty order=2\n");
  ChangeSorting(-1, grid, qty);
  EXPECT_EQ(sorting(*grid), "sortkey Price order=1\nsortkey Qty order=-1\n");
  ChangeSorting(0, grid, qty);
  ChangeSorting(0, grid, qty);
  EXPECT_EQ(sorting(*grid), "sortkey Price order=1\n");
  grid->sortKeys().add(3, 1);
  grid->sortKeys().add(3, 1);
  ChangeSorting(0, grid, columnRef(*grid, "Name"));
  EXPECT_EQ(sorting(*grid), "sortkey Price order=1\nsortkey Name order=1\n");
}

TEST(ChangeSorting, AGroupedColumnChangesOnlyItsGroupAndFailuresChangeNothing) {
  auto grid = sampleGrid();
  grid->groups().add(1, 1);
  grid->sortKeys().add(1, 1);
  ObjectRef table = grid;
  ObjectRef column = columnRef(*grid, "Price");
  Work().ChangeSorting(0, table, column);
  EXPECT_EQ(sorting(*grid), "group Price order=0\nsortkey Price order=1\n");

  // Failures and unusable objects change nothing and never raise.
  ChangeSorting(1, nullptr, columnRef(*grid, "Qty"));
  ChangeSorting(1, grid, nullptr);
  ChangeSorting(1, grid, grid);  // a column that is no column: no IsGrouped, no Index
  // The walk over the sort keys fails: nothing is added behind its back.
  ChangeSorting(3, std::make_shared<FailingGrid>(grid, "SortKeys"), columnRef(*grid, "Name"));
  EXPECT_EQ(sorting(*grid), "group Price order=0\nsortkey Price order=1\n");
}

}  // namespace
}  // namespace velmora::grid::testing

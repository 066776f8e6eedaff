// The reference grid as the grid services see it: by member name only.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/reference_grid.h>
#include <commonvelmora/work.h>
#include <gtest/gtest.h>

#include "support/error_of.h"

namespace velmora {
namespace {

using test_support::errorOf;

std::shared_ptr<ReferenceGrid> threeColumns() {
  return loadGridDescription(
      "# sample\ncolumn Name caption=\"Full name\"\ncolumn Price width=900 format=0.00 sorttype=2\n"
      "column Qty visible=false\nrow \"Ann Lee\" 1.5 3\nrow Bob 12 4\n");
}

ObjectRef columnOf(Object& grid, Variant which) { return toObject(grid.get("Columns", {which})); }
// The error of adding column `colIndex` with `order` to `keys`, or 0.
int errorOfAdding(Object& keys, std::int16_t colIndex, std::int16_t order) {
  return errorOf([&] { keys.call("Add", {colIndex, order}); });
}

TEST(ReferenceGrid, ColumnsAreFoundInAnyCaseAndMovedOnScreenByColPosition) {
  auto grid = threeColumns();
  EXPECT_EQ(toInt32(toObject(grid->get("Columns"))->get("Count")), 3);
  EXPECT_EQ(toText(columnOf(*grid, std::int16_t{2})->get("Key")), "Price");
  EXPECT_EQ(toInt32(columnOf(*grid, "qTY")->get("Index")), 3);
  EXPECT_EQ(errorOf([&] { columnOf(*grid, "Nope"); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { columnOf(*grid, 4); }), err::kSubscriptOutOfRange);

  // ColPosition moves one column and shifts the others.
  columnOf(*grid, "Qty")->let("ColPosition", std::int16_t{1});
  EXPECT_EQ(toInt32(columnOf(*grid, "Qty")->get("ColPosition")), 1);
  EXPECT_EQ(toInt32(columnOf(*grid, "Name")->get("ColPosition")), 2);
  EXPECT_EQ(toInt32(columnOf(*grid, "Price")->get("ColPosition")), 3);
  // Index is the place in the collection, not on screen.
  EXPECT_EQ(toInt32(columnOf(*grid, "Qty")->get("Index")), 3);
  EXPECT_EQ(errorOf([&] { columnOf(*grid, "Qty")->let("ColPosition", 4); }), 380);
}

TEST(ReferenceGrid, AddWithIndexRebuildsTheSavedOrderFromAnyAddingOrder) {
  auto grid = threeColumns();
  ObjectRef sortKeys = toObject(grid->get("SortKeys"));
  sortKeys->call("Add", {std::int16_t{3}, std::int16_t{1}, std::int16_t{3}});
  sortKeys->call("Add", {std::int16_t{1}, std::int16_t{2}});  // no Index: after those with one
  sortKeys->call("Add", {std::int16_t{2}, std::int16_t{1}, std::int16_t{2}});
  for (int i : {1, 2, 3})  // Price, Qty, Name
    EXPECT_EQ(toInt16(toObject(grid->get("SortKeys", {i}))->get("ColIndex")), i % 3 + 1);
  sortKeys->call("Remove", {1});
  EXPECT_EQ(toInt32(toObject(grid->get("SortKeys", {1}))->get("Index")), 1);
  EXPECT_EQ(errorOfAdding(*sortKeys, 9, 1), err::kSubscriptOutOfRange);

  ObjectRef groups = toObject(grid->get("Groups"));
  groups->call("Add", {std::int16_t{2}, std::int16_t{1}, std::int16_t{1}});
  EXPECT_TRUE(toBool(columnOf(*grid, "Price")->get("IsGrouped")));
  EXPECT_FALSE(toBool(columnOf(*grid, "Name")->get("IsGrouped")));
  EXPECT_EQ(errorOfAdding(*groups, 2, 1), err::kDuplicateKey);
  int seen = 0;
  auto e = groups->newEnum();
  Variant item;
  while (e->next(item)) ++seen;
  EXPECT_EQ(seen, 1);
}

TEST(ReferenceGrid, ClipStringHasVisibleColumnsInDisplayOrderWithTheirCellFormats) {
  auto grid = threeColumns();
  Variant withHeadings = true;
  Variant args[] = {withHeadings};
  EXPECT_EQ(toText(grid->invoke("GetClipString", CallKind::Method, args)),
            "Full name\tPrice\r\nAnn Lee\t1.50\r\nBob\t12.00\r\n");
  columnOf(*grid, "Price")->let("ColPosition", 1);
  columnOf(*grid, "Price")->let("Format", "");
  columnOf(*grid, "Qty")->let("Visible", true);
  EXPECT_EQ(grid->GetClipString(false), "1.5\tAnn Lee\t3\r\n12\tBob\t4\r\n");

  EXPECT_EQ(formatCell(Variant(1234.5), "#,##0.00"), "1,234.50");
  EXPECT_EQ(formatCell(Variant(0.256), "0.#%"), "25.6%");
  EXPECT_EQ(formatCell(Variant(-0.001), "0.00"), "0.00");
  EXPECT_EQ(formatCell(Variant(dateFromParts(2024, 3, 7)), "yyyy-mm-dd"), "2024-03-07");
  EXPECT_EQ(formatCell(Variant("text"), "0.00"), "text");
  EXPECT_EQ(formatCell(Variant(5.0), "Currency"), "5");
}

TEST(ReferenceGrid, CreatedByProgIdAndDetachedColumnsRaise91) {
  initializeLibrary();
  ObjectRef grid = createObject(ReferenceGrid::kProgId);
  EXPECT_EQ(grid->typeName(), "ReferenceGrid");
  auto own = ReferenceGrid::create();
  ObjectRef column = own->addColumn("A", "A").shared_from_this();
  own.reset();
  EXPECT_EQ(toText(column->get("Key")), "A");
  EXPECT_EQ(errorOf([&] { column->get("IsGrouped"); }), err::kObjectNotSet);
}

TEST(ReferenceGrid, FilledAndDescribedByName) {
  auto grid = ReferenceGrid::create();
  Variant key = "Price", caption = "Unit price", cell = 1.5;
  Variant column[] = {key, caption};
  EXPECT_EQ(toText(toObject(grid->invoke("AddColumn", CallKind::Method, column))->get("Caption")),
            "Unit price");
  grid->invoke("AddRow", CallKind::Method, {&cell, 1});
  EXPECT_EQ(grid->GetClipString(true), "Unit price\r\n1.5\r\n");
  EXPECT_EQ(toText(grid->get("Description")), describeGrid(*grid));
}

TEST(GridDescription, DescribeReadsBackToTheSameLayoutAndBadLinesNameTheirLine) {
  const std::string text =
      "grid groupbybox=True view=2\n"
      "column Name caption=\"Full \\\"name\\\"\" width=1000 position=2 visible=True\n"
      "column Price caption=Price width=900 position=1 visible=False format=0.00 sorttype=2\n"
      "group Price order=1\n"
      "sortkey Name order=-1\n";
  EXPECT_EQ(describeGrid(*loadGridDescription(text)), text);

  const auto failure = [](std::string_view bad) {
    EXPECT_EQ(errorOf([&] { loadGridDescription(bad); }), err::kBadFileFormat) << bad;
    return test_support::errorDescriptionOf([&] { loadGridDescription(bad); });
  };
  EXPECT_EQ(failure("column A\ngroup B\n"), "line 2: no column 'B'");
  EXPECT_EQ(failure("column A width=wide"), "line 1: width=wide: Type mismatch");
  EXPECT_EQ(failure("column A caption=\"open"), "line 1: unterminated quote");
  EXPECT_EQ(failure("column A\nrow 1 2"), "line 2: too many cells");
  EXPECT_EQ(failure("colour A"), "line 1: unknown item 'colour'");
  EXPECT_EQ(failure("column A position=3"), "column 'A': position 3 outside 1 to 1");
  EXPECT_EQ(failure("column A\ncolumn a"), "line 2: column 'a' twice");
}

}  // namespace
}  // namespace velmora

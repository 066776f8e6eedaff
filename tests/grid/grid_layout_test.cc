// Saving and restoring grid layouts on a real store.
#include <commonvelmora/error.h>
#include <commonvelmora/work.h>

#include "grid/failing_grid.h"
#include "grid/grid_access.h"
#include "grid/grid_test_support.h"
#include "grid/grid_working.h"
#include "support/error_of.h"

namespace velmora::grid::testing {
namespace {

using test_support::errorOf;

class GridLayout : public GridTest {};

TEST_F(GridLayout, SaveWritesTheRecordsAndRestoreBringsTheLayoutBack) {
  auto saved = sampleGrid();
  saved->moveColumn(*saved->findColumn("Name"), 1);
  saved->findColumn("Qty")->visible = false;
  saved->groups().add(1, 1);
  saved->sortKeys().add(3, -1);
  saved->sortKeys().add(2, 1);
  saved->groupByBoxVisible = true;
  SaveGridSetting(saved, "App\\Orders");

  const std::string root = layoutKey("App\\Orders");
  EXPECT_EQ(stored(root + "\\Columns", "Price"), "Price|900|2|True");
  EXPECT_EQ(stored(root + "\\Columns", "Qty"), "Qty|600|3|False");
  EXPECT_EQ(stored(root + "\\Groups", "1"), "1|1");
  EXPECT_EQ(stored(root + "\\SortKeys", "2"), "2|1");
  EXPECT_EQ(stored(root, "GroupByBox Visible"), "-1");  // read back as a number

  auto restored = sampleGrid();
  RestoreGridSetting(restored, "App\\Orders");
  EXPECT_EQ(describeGrid(*restored),
            describeGrid(*saved).replace(0, 27, "grid groupbybox=False view=0"));
}

TEST_F(GridLayout, SavingTwiceRewritesGroupsAndSortKeysButKeepsDroppedColumns) {
  auto grid = sampleGrid();
  grid->sortKeys().add(1, 1);
  grid->sortKeys().add(2, 1);
  SaveGridSetting(grid, "K");
  auto smaller = loadGridDescription("column Qty\nsortkey Qty order=2\n");
  SaveGridSetting(smaller, "K");
  EXPECT_EQ(stored(layoutKey("K") + "\\Columns", "Price"), "Price|900|1|True");
  EXPECT_EQ(registry::ReadAllValue(layoutKey("K") + "\\SortKeys").array().ubound(2), 0);
  EXPECT_EQ(stored(layoutKey("K") + "\\SortKeys", "1"), "1|2");
}

TEST_F(GridLayout, SaveLetsTheFirstFailureThrough) {
  EXPECT_EQ(errorOf([&] { SaveGridSetting(nullptr, "K"); }), err::kObjectNotSet);
  // A column collection is no grid: it has no Columns of its own. Through
  // Work, whose member lets the error through as well.
  auto plain = loadGridDescription("column A\n");
  ObjectRef columnsOnly = plain->columns();
  EXPECT_EQ(errorOf([&] { Work().SaveGridSetting(columnsOnly, "K"); }), err::kNoSuchMember);
}

TEST_F(GridLayout, RestoreAppliesWhatConvertsAndSkipsTheRest) {
  const std::string columns = layoutKey("Bad") + "\\Columns";
  store(columns, "Price", "Cost|0|3|True");      // width 0 keeps the width
  store(columns, "Qty", "Count|70000|1|False");  // width beyond 16 bits keeps it too
  store(columns, "Name", "Who|1500|x|True");     // position no number: nothing
  store(columns, "Gone", "Old|100|2|True");      // no such column
  store(columns, "Short", "Only|5");             // too few fields
  auto grid = sampleGrid();
  RestoreGridSetting(grid, "Bad");
  EXPECT_EQ(describeGrid(*grid),
            "grid groupbybox=False view=0\n"
            "column Price caption=Cost width=900 position=3 visible=True format=0.00 sorttype=2\n"
            "column Qty caption=Count width=600 position=1 visible=False\n"
            "column Name caption=\"Full name\" width=2000 position=2 visible=True\n");
}

TEST_F(GridLayout, AClientColumnAmongTheGridsOwnIsReachedByNameAndLosesOnlyTheStepItRefuses) {
  auto saved = sampleGrid();
  for (const char* key : {"Price", "Qty", "Name"}) {
    GridColumn& column = *saved->findColumn(key);
    column.caption = std::string("New ") + key;
    column.width += 5;
    column.visible = false;
  }
  saved->moveColumn(*saved->findColumn("Name"), 1);
  saved->moveColumn(*saved->findColumn("Qty"), 2);
  SaveGridSetting(saved, "Mixed");
  // Qty, restored second, is a plain object that knows no member ids and
  // refuses Width; Name before it and Price after it are the grid's own.
  auto grid = sampleGrid();
  RestoreGridSetting(std::make_shared<FailingGrid>(grid, "Width", "Qty"), "Mixed");
  EXPECT_EQ(describeGrid(*grid),
            "grid groupbybox=False view=0\n"
            "column Price caption=\"New Price\" width=905 position=3 visible=False format=0.00 "
            "sorttype=2\n"
            "column Qty caption=\"New Qty\" width=600 position=2 visible=False\n"
            "column Name caption=\"New Name\" width=2005 position=1 visible=False\n");
}

TEST_F(GridLayout, TheLaterRecordOfOnePositionWinsAndOutOfRangePlacesNothing) {
  const std::string columns = layoutKey("Dup") + "\\Columns";
  store(columns, "Price", "First|100|1|True");
  store(columns, "Qty", "Second|200|1|True");
  store(columns, "Name", "Far|300|9|True");
  auto grid = sampleGrid();
  RestoreGridSetting(grid, "Dup");
  EXPECT_EQ(describeGrid(*grid),
            "grid groupbybox=False view=0\n"
            "column Price caption=Price width=900 position=2 visible=True format=0.00 sorttype=2\n"
            "column Qty caption=Second width=200 position=1 visible=True\n"
            "column Name caption=\"Full name\" width=2000 position=3 visible=True\n");
}

TEST_F(GridLayout, ACaptionWithAHexStartReadsAsABadNumberAndCostsTheColumnsAlone) {
  auto grid = sampleGrid();
  grid->sortKeys().add(2, 1);
  grid->findColumn("Price")->caption = "&hFF";
  SaveGridSetting(grid, "Hex");
  auto hex = sampleGrid();
  hex->findColumn("Qty")->caption = "mine";
  RestoreGridSetting(hex, "Hex");
  EXPECT_EQ(hex->findColumn("Qty")->caption, "mine");  // no column restored
  EXPECT_EQ(hex->sortKeys().count(), 1);               // sort keys still are
}

TEST_F(GridLayout, KeyStringsAreAppendedUnchanged) {
  auto grid = sampleGrid();
  grid->findColumn("Qty")->caption = "Кол-во";
  SaveGridSetting(grid, "Журнал \\ 2024");
  EXPECT_EQ(stored(layoutKey("Журнал \\ 2024") + "\\Columns", "Qty"), "Кол-во|600|2|True");
  // A trailing separator makes an empty level below it, which the store
  // refuses: the save writes no columns but raises nothing for it.
  SaveGridSetting(grid, "Trailing\\");
  EXPECT_FALSE(registry::ReadAllValue(layoutKey("Trailing") + "\\Columns").isArray());
}

TEST(SplitRecord, BarsAtEveryPlaceOfTwoWordsAndTheTail) {
  // Every record of 19 bytes with one or two bars, against a plain scan; the
  // other bytes are "}", one bit off a bar.
  std::vector<std::string_view> fields;
  for (std::size_t a = 0; a < 19; ++a) {
    for (std::size_t b = a; b < 19; ++b) {
      std::string record(19, '}');
      record[a] = record[b] = '|';
      std::vector<std::string_view> expected;
      std::size_t start = 0;
      for (std::size_t i = 0; i < record.size(); ++i) {
        if (record[i] != '|') continue;
        expected.push_back(std::string_view(record).substr(start, i - start));
        start = i + 1;
      }
      expected.push_back(std::string_view(record).substr(start));
      splitRecord(record, fields);
      ASSERT_EQ(fields, expected) << record;
    }
  }
  splitRecord("", fields);
  EXPECT_EQ(fields, std::vector<std::string_view>{""});
}

}  // namespace
}  // namespace velmora::grid::testing

// The column chooser's and the caption dialog's logic, without a window.
#include <commonvelmora/reference_grid.h>

#include <string>
#include <vector>

#include "grid/failing_grid.h"
#include "grid/frm_caption.h"
#include "grid/frm_columns.h"
#include "grid/grid_test_support.h"

namespace velmora::grid::testing {
namespace {

using Item = gui::ColumnsForm::Item;

// 1280 x 720 pixels at 15 twips per pixel. The chooser's first place is
// centred on it, on whole pixels.
constexpr ScreenTwips kScreen{19200, 10800, 15, 15};
constexpr gui::TwipsRect kCentred{7935, 3780, 3315, 3225};

class GridForms : public GridTest {};

TEST_F(GridForms, ListsEveryColumnButTheServiceOnesWithoutTouchingTheGrid) {
  auto grid = loadGridDescription(
      "column Price\ncolumn Service visible=false\ncolumn SERVICE_ID\ncolumn service2\n"
      "column MySERVICE caption=Mine visible=false\ncolumn Qty caption=\"Quantity\"\n");
  // The wrapper counts every assignment of Visible the filling would make.
  auto counting = std::make_shared<FailingGrid>(grid, "");
  frmColumns form;
  form.prepare(counting, "", kScreen);
  EXPECT_EQ(form.caption(), "Скрыть/Показать колонку");
  EXPECT_EQ(form.items(),
            (std::vector<Item>{{"Price", 1, true}, {"Mine", 5, false}, {"Quantity", 6, true}}));
  EXPECT_FALSE(form.filling());
  EXPECT_EQ(counting->visibleAssignments, 0);

  // A tick reaches the grid at once, by the number attached to the item.
  form.lstColumn_ItemCheck(1, true);
  form.lstColumn_ItemCheck(2, false);
  EXPECT_TRUE(grid->findColumn("MySERVICE")->visible);
  EXPECT_FALSE(grid->findColumn("Qty")->visible);
  form.lstColumn_ItemCheck(7, true);  // no such item: nothing

  // Closing releases the grid; a refill of a later call starts afresh.
  form.Form_QueryUnload(form.windowRect());
  EXPECT_EQ(form.table(), nullptr);
  form.prepare(loadGridDescription("column SERVICE\n"), "", kScreen);
  EXPECT_TRUE(form.items().empty());
}

TEST_F(GridForms, AColumnThatFailsCostsOnlyWhatItCannotAnswer) {
  const auto sample = [] { return loadGridDescription("column Price\ncolumn Qty\n"); };
  const struct {
    const char *failing;
    std::vector<Item> items;
  } cases[] = {
      {"Caption", {{"Price", 1, true}, {"Qty", 2, true}}},  // its key stands in
      {"Key", {{"Price", 1, true}, {"Qty", 2, true}}},      // listed all the same
      {"Visible", {{"Price", 1, true}, {"Qty", 2, false}}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.failing);
    frmColumns form;
    form.prepare(std::make_shared<FailingGrid>(sample(), c.failing, "Qty"), "", kScreen);
    EXPECT_EQ(form.items(), c.items);
    EXPECT_FALSE(form.filling());
  }
  frmColumns form;
  form.prepare(std::make_shared<FailingGrid>(sample(), "Columns"), "", kScreen);
  EXPECT_TRUE(form.items().empty());
  EXPECT_FALSE(form.filling());

  // A grid that refuses the assignment keeps the column; the box stays ticked
  // as the user left it.
  auto grid = loadGridDescription("column Price visible=false\n");
  form.prepare(std::make_shared<FailingGrid>(grid, "Visible", "Price"), "", kScreen);
  form.lstColumn_ItemCheck(0, true);
  EXPECT_TRUE(form.items()[0].selected);
  EXPECT_FALSE(grid->findColumn("Price")->visible);
}

TEST_F(GridForms, StoredGeometryIsCheckedAgainstTheScreenMeasureByMeasure) {
  const std::string key = "Software\\App\\Columns Window";
  const struct {
    const char *name;
    std::vector<std::pair<const char *, const char *>> stored;
    gui::TwipsRect expected;
  } cases[] = {
      {"nothing stored", {}, kCentred},
      {"the bounds pass",
       {{"Top", "10800"}, {"Left", "19200"}, {"Height", "450"}, {"Width", "450"}},
       {19200, 10800, 450, 450}},
      {"below the screen, a width of 20 pixels",
       {{"Top", "10801"}, {"Left", "3000"}, {"Height", "4500"}, {"Width", "300"}},
       {3000, kCentred.top, kCentred.width, 4500}},
      {"negative, not a number",
       {{"Top", "1500"}, {"Left", "-15"}, {"Height", "tall"}, {"Width", "&h1770"}},
       {kCentred.left, 1500, 6000, kCentred.height}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    (void)registry::DeleteRegistryKey(key);
    for (const auto &[name, data] : c.stored) store(key, name, data);
    frmColumns form;
    form.prepare(nullptr, "Software\\App", kScreen);
    EXPECT_EQ(form.windowRect(), c.expected);
  }
  // Missing measures were stored as the window's own.
  (void)registry::DeleteRegistryKey(key);
  frmColumns form;
  form.prepare(nullptr, "Software\\App\\", kScreen);
  EXPECT_EQ(form.geometryKey(), key);
  EXPECT_EQ(stored(key, "Width"), "3315");

  // Where the window was closed comes back on the next opening.
  form.Form_QueryUnload({450, 600, 5000, 4000});
  frmColumns again;
  again.prepare(nullptr, "Software\\App", kScreen);
  EXPECT_EQ(again.windowRect(), (gui::TwipsRect{450, 600, 5000, 4000}));

  // Without a key the store is not touched at all.
  (void)registry::DeleteRegistryKey(key);
  frmColumns unkept;
  unkept.prepare(nullptr, "", kScreen);
  unkept.Form_QueryUnload({450, 600, 5000, 4000});
  EXPECT_TRUE(registry::ReadAllValue(key).isEmpty());
}

TEST_F(GridForms, OkIsEnabledOnlyForANewNonEmptyCaption) {
  frmCaption form;
  form.open("Price");
  EXPECT_EQ(form.text(), "Price");
  EXPECT_TRUE(form.shown());
  const struct {
    const char *typed;
    bool enabled;
  } steps[] = {{"Price", false}, {"price", true},  {"", false},     {" Price", true},
               {"Cost", true},   {"Price", false}, {"Price ", true}};
  for (const auto &s : steps) {
    form.txtCaption_Change(s.typed);
    EXPECT_EQ(form.okEnabled(), s.enabled) << '"' << s.typed << '"';
  }
  std::string confirmed;
  form.txtCaption_Change("Price");
  form.btnOk_Click();  // disabled: refused
  EXPECT_TRUE(form.shown());
  form.txtCaption_Change("Cost");
  form.btnOk_Click();
  EXPECT_FALSE(form.shown());
  EXPECT_TRUE(form.close(confirmed));
  EXPECT_EQ(confirmed, "Cost");

  // Cancel, and a closing by no button at all, leave the column alone.
  form.open("Cost");
  form.txtCaption_Change("Other");
  form.btnCancel_Click();
  EXPECT_FALSE(form.close(confirmed));
  form.open("Cost");
  EXPECT_FALSE(form.close(confirmed));
}

}  // namespace
}  // namespace velmora::grid::testing

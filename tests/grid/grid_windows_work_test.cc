// The Work members that open the grid windows: on the GUI thread, and only there.
#include <QtTest/QTest>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>

#include <commonvelmora/reference_grid.h>
#include <commonvelmora/work.h>

#include <thread>

#include "grid/grid_access.h"
#include "grid/grid_test_support.h"
#include "support/gui.h"

namespace velmora::grid::testing {
namespace {

using test_support::whenShown;

class GridWindowsThroughWork : public GridTest {
 protected:
  // This thread owns the GUI, so a worker is off it.
  void SetUp() override {
    GridTest::SetUp();
    test_support::prepareTestGui();
  }
  ObjectRef column(std::int16_t i) { return objectOf(getWith(*grid, "Columns", Variant(i))); }

  std::shared_ptr<ReferenceGrid> grid = sampleGrid();
  ObjectRef table = grid;
  Work work;
};

TEST_F(GridWindowsThroughWork, OffTheGuiThreadNothingOpensAndNothingChanges) {
  ObjectRef price = column(1);
  ObjectRef nothing;
  std::thread worker([&] {
    work.SetGridColumnsVisible(table, "Software\\Desk");
    work.ChangeColumnCaption(price);
    work.ChangeColumnCaption(nothing);
  });
  worker.join();
  EXPECT_EQ(describeGrid(*grid), describeGrid(*sampleGrid()));
  EXPECT_TRUE(registry::ReadAllValue("Software\\Desk\\Columns Window").isEmpty());
  EXPECT_EQ(table.use_count(), 2);  // not held by the thread's chooser
}

TEST_F(GridWindowsThroughWork, TheThreadsWindowsChangeTheGridAndKeepTheChoosersPlace) {
  whenShown([](QWidget& w) {
    auto* list = w.findChild<QListWidget*>("lstColumn");
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Space);  // hides Qty
    w.move(30, 40);
    QTest::keyClick(&w, Qt::Key_Escape);
  });
  work.SetGridColumnsVisible(table, "Software\\Desk");
  EXPECT_FALSE(grid->findColumn("Qty")->visible);
  EXPECT_EQ(stored("Software\\Desk\\Columns Window", "Left"), "450");
  EXPECT_EQ(table.use_count(), 2);

  ObjectRef name = column(3);
  whenShown([](QWidget& w) {
    auto* text = w.findChild<QLineEdit*>("txtCaption");
    EXPECT_EQ(text->text(), QString("Full name"));
    QTest::keyClick(text, Qt::Key_End);
    QTest::keyClicks(text, " (legal)");
    QTest::keyClick(text, Qt::Key_Return);
  });
  work.ChangeColumnCaption(name);
  EXPECT_EQ(grid->findColumn("Name")->caption, "Full name (legal)");
}

}  // namespace
}  // namespace velmora::grid::testing

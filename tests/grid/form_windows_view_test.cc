// The column chooser and the caption dialog on real Qt widgets, driven with
// Qt Test and opened by the Work members, which open them on the GUI thread
// and only there.
#include <QtGui/QImage>
#include <QtTest/QTest>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>

#include <commonvelmora/reference_grid.h>
#include <commonvelmora/work.h>

#include <thread>

#include "grid/forms_state.h"
#include "grid/grid_access.h"
#include "grid/grid_test_support.h"
#include "platform/qt/qt_window.h"
#include "platform/screen.h"
#include "support/gui.h"

namespace velmora::grid::testing {
namespace {

using test_support::imagePath;
using test_support::whenShown;

// This thread owns the GUI, so a worker is off it.
class FormWindowView : public GridTest {
 protected:
  void SetUp() override {
    GridTest::SetUp();
    test_support::prepareTestGui();
  }
  ObjectRef column(std::int16_t i) { return objectOf(getWith(*grid, "Columns", Variant(i))); }

  std::shared_ptr<ReferenceGrid> grid = sampleGrid();
  ObjectRef table = grid;
  Work work;
};

TEST_F(FormWindowView, OffTheGuiThreadNothingOpensAndNothingChanges) {
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

TEST_F(FormWindowView, AColumnTickShowsTheColumnAtOnceAndTheClosingKeepsWhereTheWindowWas) {
  grid = loadGridDescription(
      "column Price\ncolumn ServiceId\ncolumn Qty visible=false\n"
      "column Name caption=\"Full name\"\n");
  table = grid;
  QWidget* seen = nullptr;
  QRect outer;
  whenShown([&](QWidget& w) {
    seen = &w;
    EXPECT_EQ(w.windowTitle(), QString("Скрыть/Показать колонку"));
    auto* list = w.findChild<QListWidget*>("lstColumn");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), QString("Qty"));
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    gui::qt::saveImage(w, imagePath("columns_chooser.png"));
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Space);  // the user ticks Qty
    EXPECT_TRUE(grid->findColumn("Qty")->visible);
    w.resize(300, 400);
    EXPECT_EQ(list->geometry(), QRect(0, 0, 300, 400));
    w.move(45, 60);
    outer = w.frameGeometry();
    QTest::keyClick(&w, Qt::Key_Escape);
  });
  work.SetGridColumnsVisible(table, "Software\\Desk");
  const frmColumns& form = formsState().columns;
  EXPECT_EQ(form.table(), nullptr);
  EXPECT_EQ(table.use_count(), 2);
  // The outer window, frame included, in twips.
  const gui::ScreenMetrics screen = gui::defaultScreen().metrics();
  EXPECT_EQ(
      form.windowRect(),
      (gui::TwipsRect{
          675, 900, static_cast<float>(outer.width()) * static_cast<float>(screen.twipsPerPixelX),
          static_cast<float>(outer.height()) * static_cast<float>(screen.twipsPerPixelY)}));

  // The thread's one window again, on a grid with nothing to list; closed
  // by its frame.
  ObjectRef services = loadGridDescription("column SERVICE\n");
  whenShown([&](QWidget& w) {
    EXPECT_EQ(&w, seen);
    EXPECT_EQ(w.findChild<QListWidget*>("lstColumn")->count(), 0);
    EXPECT_EQ(w.pos(), QPoint(45, 60));
    w.close();
  });
  work.SetGridColumnsVisible(services, "");
  EXPECT_EQ(form.table(), nullptr);
}

TEST_F(FormWindowView, CaptionOkWaitsForANewCaptionAndEnterConfirmsIt) {
  ObjectRef name = column(3);
  whenShown([](QWidget& w) {
    EXPECT_EQ(w.windowTitle(), QString("Change Caption"));
    EXPECT_EQ(w.size(), QSize(194, 73));
    auto* text = w.findChild<QLineEdit*>("txtCaption");
    auto* ok = w.findChild<QPushButton*>("btnOk");
    ASSERT_TRUE(text != nullptr && ok != nullptr);
    EXPECT_EQ(ok->text(), QString("Ok"));
    EXPECT_EQ(w.findChild<QPushButton*>("btnCancel")->text(), QString("Cancel"));
    EXPECT_EQ(text->text(), QString("Full name"));  // the caption, not the key
    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClick(text, Qt::Key_Return);  // Ok is disabled: the dialog stays
    EXPECT_TRUE(w.isVisible());
    QTest::keyClick(text, Qt::Key_Home);
    QTest::keyClick(text, Qt::Key_Delete);
    QTest::keyClicks(text, "f");  // a change of letter case alone counts
    EXPECT_TRUE(ok->isEnabled());
    gui::qt::saveImage(w, imagePath("caption_dialog.png"));
    QTest::keyClick(text, Qt::Key_Return);
  });
  work.ChangeColumnCaption(name);
  EXPECT_EQ(grid->findColumn("Name")->caption, "full name");

  // Escape, the Cancel button and the frame all leave the column alone,
  // whatever was typed; the same dialog is reused with the new caption.
  const std::function<void(QWidget&)> closings[] = {
      [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); },
      [](QWidget& w) { QTest::mouseClick(w.findChild<QPushButton*>("btnCancel"), Qt::LeftButton); },
      [](QWidget& w) { w.close(); },
  };
  for (const auto& closing : closings) {
    whenShown([&](QWidget& w) {
      auto* text = w.findChild<QLineEdit*>("txtCaption");
      EXPECT_EQ(text->text(), QString("full name"));
      QTest::keyClicks(text, " each");
      closing(w);
    });
    work.ChangeColumnCaption(name);
    EXPECT_EQ(grid->findColumn("Name")->caption, "full name");
    EXPECT_FALSE(formsState().caption.shown());
  }
}

}  // namespace
}  // namespace velmora::grid::testing

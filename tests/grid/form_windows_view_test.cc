// The column chooser and the caption dialog on real Qt widgets, driven with Qt Test.
#include <QtGui/QImage>
#include <QtTest/QTest>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>

#include <commonvelmora/reference_grid.h>

#include "grid/frm_caption.h"
#include "grid/frm_columns.h"
#include "grid/grid_test_support.h"
#include "platform/qt/qt_window.h"
#include "platform/screen.h"
#include "support/gui.h"

namespace velmora::grid::testing {
namespace {

using test_support::imagePath;
using test_support::whenShown;

class FormWindowView : public GridTest {
 protected:
  void SetUp() override {
    GridTest::SetUp();
    test_support::prepareTestGui();
    const gui::ScreenMetrics m = gui::defaultScreen().metrics();
    screen = {static_cast<float>(m.width), static_cast<float>(m.height),
              static_cast<float>(m.twipsPerPixelX), static_cast<float>(m.twipsPerPixelY)};
  }
  ScreenTwips screen;
};

TEST_F(FormWindowView, AColumnTickShowsTheColumnAtOnceAndTheClosingKeepsWhereTheWindowWas) {
  auto grid = loadGridDescription(
      "column Price\ncolumn ServiceId\ncolumn Qty visible=false\n"
      "column Name caption=\"Full name\"\n");
  frmColumns form;
  form.prepare(grid, "Software\\Desk", screen);
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
    EXPECT_EQ(list->item(2)->text(), QString("Full name"));
    EXPECT_EQ(list->geometry(), QRect(0, 0, 221, 215));  // the client area, at design
    gui::qt::saveImage(w, imagePath("columns_chooser.png"));
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Space);  // the user ticks Qty
    EXPECT_TRUE(grid->findColumn("Qty")->visible);
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Space);  // and clears Price
    EXPECT_FALSE(grid->findColumn("Price")->visible);
    w.resize(300, 400);
    EXPECT_EQ(list->geometry(), QRect(0, 0, 300, 400));
    w.move(45, 60);
    outer = w.frameGeometry();
    QTest::keyClick(&w, Qt::Key_Escape);
  });
  gui::showColumnsForm(form);
  EXPECT_EQ(form.table(), nullptr);
  // The outer window, frame included, in twips.
  EXPECT_EQ(form.windowRect(),
            (gui::TwipsRect{675, 900, static_cast<float>(outer.width()) * screen.twipsPerPixelX,
                            static_cast<float>(outer.height()) * screen.twipsPerPixelY}));
  EXPECT_EQ(stored("Software\\Desk\\Columns Window", "Top"), "900");

  // The thread's one window again, on a grid with nothing to list; closed
  // by its frame.
  form.prepare(loadGridDescription("column SERVICE\n"), "", screen);
  whenShown([&](QWidget& w) {
    EXPECT_EQ(&w, seen);
    EXPECT_EQ(w.findChild<QListWidget*>("lstColumn")->count(), 0);
    EXPECT_EQ(w.pos(), QPoint(45, 60));
    w.close();
  });
  gui::showColumnsForm(form);
  EXPECT_EQ(form.table(), nullptr);
}

TEST_F(FormWindowView, CaptionOkWaitsForANewCaptionAndEnterConfirmsIt) {
  frmCaption form;
  form.open("Price");
  whenShown([](QWidget& w) {
    EXPECT_EQ(w.windowTitle(), QString("Change Caption"));
    EXPECT_EQ(w.size(), QSize(194, 73));
    auto* text = w.findChild<QLineEdit*>("txtCaption");
    auto* ok = w.findChild<QPushButton*>("btnOk");
    ASSERT_TRUE(text != nullptr && ok != nullptr);
    EXPECT_EQ(ok->text(), QString("Ok"));
    EXPECT_EQ(w.findChild<QPushButton*>("btnCancel")->text(), QString("Cancel"));
    EXPECT_EQ(text->text(), QString("Price"));
    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClick(text, Qt::Key_Return);  // Ok is disabled: the dialog stays
    EXPECT_TRUE(w.isVisible());
    QTest::keyClick(text, Qt::Key_Home);
    QTest::keyClick(text, Qt::Key_Delete);
    QTest::keyClicks(text, "p");  // a change of letter case alone counts
    EXPECT_TRUE(ok->isEnabled());
    gui::qt::saveImage(w, imagePath("caption_dialog.png"));
    QTest::keyClick(text, Qt::Key_Return);
  });
  gui::showCaptionForm(form);
  std::string confirmed;
  EXPECT_TRUE(form.close(confirmed));
  EXPECT_EQ(confirmed, "price");

  // Escape, the Cancel button and the frame all leave the column alone,
  // whatever was typed; the same dialog is reused with the new caption.
  const std::function<void(QWidget&)> closings[] = {
      [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); },
      [](QWidget& w) { QTest::mouseClick(w.findChild<QPushButton*>("btnCancel"), Qt::LeftButton); },
      [](QWidget& w) { w.close(); },
  };
  for (const auto& closing : closings) {
    form.open("price");
    whenShown([&](QWidget& w) {
      auto* text = w.findChild<QLineEdit*>("txtCaption");
      EXPECT_EQ(text->text(), QString("price"));
      QTest::keyClicks(text, " each");
      EXPECT_TRUE(w.findChild<QPushButton*>("btnOk")->isEnabled());
      closing(w);
    });
    gui::showCaptionForm(form);
    EXPECT_FALSE(form.close(confirmed));
    EXPECT_FALSE(form.shown());
  }
}

}  // namespace
}  // namespace velmora::grid::testing

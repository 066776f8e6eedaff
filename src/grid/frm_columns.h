// frmColumns: the column chooser. A check-box list of the grid's columns;
// ticking or clearing a box shows or hides that column at once. Columns
// keyed "SERVICE..." (any letter case) are the application's own and are
// never listed.
//
// The form holds the window's whole state in twips; the window system
// (platform/form_windows.h) renders it and calls the handlers below. One
// form per thread, kept between calls, so the window reopens where it was.
//
// Geometry is kept under the caller's key K in "K\Columns Window" (one "\"
// added when K does not end with one; no root in front): "Top", "Left",
// "Height", "Width", outer window measures in twips, written as single
// values in the store's form for numbers. A stored measure that is off the
// screen, too small (under 30 pixels), or does not read as a number gives
// way to where the window is now; the other measures are still used.
//
// Nothing raises: every step is attempted on its own and skipped if it
// fails, so a client's grid that fails, or a store that cannot be read,
// costs at most that step.
#pragma once

#include <commonvelmora/object.h>
#include <commonvelmora/variant.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/form_windows.h"

namespace velmora::grid {

// The screen as the chooser's geometry checks see it.
struct ScreenTwips {
  float width = 0;
  float height = 0;
  float twipsPerPixelX = 15;
  float twipsPerPixelY = 15;
};

class frmColumns final : public gui::ColumnsForm {
 public:
  static constexpr std::string_view kTitle = "Скрыть/Показать колонку";
  static constexpr std::string_view kWindowKey = "Columns Window";
  // The client area at design; the outer window starts that size.
  static constexpr float kClientWidth = 3315;
  static constexpr float kClientHeight = 3225;

  // Shows the chooser on `C_Table` modally and returns once it has closed,
  // the table released. On a thread that may not show windows (no display,
  // not the GUI thread) nothing is done: the store is not read and the grid
  // not held. The result stays empty. Never raises.
  Variant frmActivate(const ObjectRef& C_Table, std::string Reg_Key) noexcept;

  // What frmActivate does before it shows the window: keeps the table and
  // key, places the window centred on the screen the first time, loads the
  // stored geometry and fills the list.
  void prepare(const ObjectRef& C_Table, std::string Reg_Key, const ScreenTwips& screen);

  void FillColumnList();
  void LoadWindowPosition();
  void SaveWindowPosition();

  // --- gui::ColumnsForm ---
  std::string_view caption() const override { return caption_; }
  const std::vector<Item>& items() const override { return items_; }
  gui::TwipsRect windowRect() const override { return window_; }
  gui::TwipsRect listRect() const override { return list_; }
  void Form_Resize(gui::ClientPixels client) override;
  void lstColumn_ItemCheck(int item, bool selected) override;
  void Form_QueryUnload(gui::TwipsRect window) override;

  // --- what the tests look at ---
  bool filling() const { return filling_; }
  const ObjectRef& table() const { return table_; }
  // The key the geometry is kept under, "" when it is not kept.
  std::string geometryKey() const;

 private:
  void addItem(std::string text, std::int32_t number, bool selected);

  std::string caption_;
  ObjectRef table_;
  std::string registryKey_;
  bool filling_ = false;
  bool placed_ = false;  // the window has had a place on the screen
  ScreenTwips screen_;
  std::vector<Item> items_;
  gui::TwipsRect window_{0, 0, kClientWidth, kClientHeight};
  gui::TwipsRect list_{0, 0, kClientWidth, kClientHeight};
};

}  // namespace velmora::grid

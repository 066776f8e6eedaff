// The column chooser's logic: filling the list, passing ticks on to the
// grid, and the window's geometry kept in the store.
#include "grid/frm_columns.h"

#include <commonvelmora/convert.h>

#include <cmath>
#include <utility>

#include "core/ignore_errors.h"
#include "core/unicode_fold.h"
#include "grid/grid_access.h"
#include "platform/screen.h"
#include "registry/edit_regestry.h"

namespace velmora::grid {
namespace {

// The application's own columns: the key starts with SERVICE, letter case
// ignored, matched from the first character.
bool isServiceKey(std::string_view key) { return foldCase(key).starts_with("service"); }

float wholePixels(float twips, float twipsPerPixel) {
  return twipsPerPixel > 0 ? std::floor(twips / twipsPerPixel) * twipsPerPixel : twips;
}

// The smallest measure a stored geometry may give, in pixels.
constexpr float kMinimumPixels = 30;

}  // namespace

std::string frmColumns::geometryKey() const {
  if (registryKey_.empty()) return std::string();
  std::string key = registryKey_;
  if (!key.ends_with('\\')) key += '\\';
  return key.append(kWindowKey);
}

void frmColumns::prepare(const ObjectRef& C_Table, std::string Reg_Key, const ScreenTwips& screen) {
  caption_ = kTitle;
  table_ = C_Table;
  registryKey_ = std::move(Reg_Key);
  screen_ = screen;
  if (!placed_) {
    // No owner window is given, so the first opening centres on the
    // screen, on whole pixels as a window system places a window.
    window_.left = wholePixels((screen.width - window_.width) / 2, screen.twipsPerPixelX);
    window_.top = wholePixels((screen.height - window_.height) / 2, screen.twipsPerPixelY);
    placed_ = true;
  }
  LoadWindowPosition();
  FillColumnList();
}

Variant frmColumns::frmActivate(const ObjectRef& C_Table, std::string Reg_Key) noexcept {
  // The screen is known only where a window can be shown: without it there
  // is nothing to place, fill or keep.
  ScreenTwips screen;
  if (!ignoreErrors([&] {
        const gui::ScreenMetrics m = gui::defaultScreen().metrics();
        screen =
            ScreenTwips{static_cast<float>(m.width), static_cast<float>(m.height),
                        static_cast<float>(m.twipsPerPixelX), static_cast<float>(m.twipsPerPixelY)};
      })) {
    return Variant();
  }
  ignoreErrors([&] {
    prepare(C_Table, std::move(Reg_Key), screen);
    gui::showColumnsForm(*this);
  });
  // A window that could not be shown never closed: the grid is let go all
  // the same.
  table_.reset();
  return Variant();
}

void frmColumns::addItem(std::string text, std::int32_t number, bool selected) {
  items_.push_back(Item{std::move(text), number, false});
  // The list reports a check set from code as it reports the user's.
  if (selected) lstColumn_ItemCheck(static_cast<int>(items_.size()) - 1, true);
}

void frmColumns::FillColumnList() {
  items_.clear();
  if (table_ == nullptr) return;
  filling_ = true;
  std::int16_t count = 0;
  ignoreErrors([&] { count = toInt16(objectOf(table_->get("Columns"))->get("Count")); });
  for (std::int16_t i = 1; i <= count && i > 0; ++i) {
    // A column that cannot be reached is left out; one whose key cannot be
    // read is listed, as nothing says it is a service column; one without a
    // readable caption shows its key, and one whose visibility cannot be
    // read an empty box, which the user may tick to show it.
    ignoreErrors([&] {
      const ObjectRef column = objectOf(getWith(*table_, "Columns", Variant(i)));
      std::string key;
      if (ignoreErrors([&] { key = toText(column->get("Key")); }) && isServiceKey(key)) return;
      std::string text = key;
      ignoreErrors([&] { text = toText(column->get("Caption")); });
      bool visible = false;
      ignoreErrors([&] { visible = toBool(column->get("Visible")); });
      addItem(std::move(text), i, visible);
    });
  }
  filling_ = false;
}

void frmColumns::lstColumn_ItemCheck(int item, bool selected) {
  if (item < 0 || static_cast<std::size_t>(item) >= items_.size()) return;
  Item& changed = items_[static_cast<std::size_t>(item)];
  changed.selected = selected;
  if (filling_) return;
  // A grid that refuses leaves the box as the user set it.
  ignoreErrors([&] {
    objectOf(getWith(live(table_), "Columns", Variant(changed.itemData)))
        ->let("Visible", Variant(selected));
  });
}

void frmColumns::Form_Resize(gui::ClientPixels client) {
  // The list covers the client area exactly, with no margin.
  list_ = gui::TwipsRect{static_cast<float>(client.left) * screen_.twipsPerPixelX,
                         static_cast<float>(client.top) * screen_.twipsPerPixelY,
                         static_cast<float>(client.right - client.left) * screen_.twipsPerPixelX,
                         static_cast<float>(client.bottom - client.top) * screen_.twipsPerPixelY};
}

void frmColumns::Form_QueryUnload(gui::TwipsRect window) {
  table_.reset();
  window_ = window;
  SaveWindowPosition();
}

void frmColumns::SaveWindowPosition() {
  const std::string key = geometryKey();
  if (key.empty()) return;
  for (const auto& entry :
       {std::pair{"Top", window_.top}, std::pair{"Left", window_.left},
        std::pair{"Height", window_.height}, std::pair{"Width", window_.width}}) {
    // Not a structured binding: clang 14 (the fuzz build) cannot capture one.
    ignoreErrors(
        [&] { (void)registry::SetRegistryValue(key, entry.first, Variant(entry.second)); });
  }
}

void frmColumns::LoadWindowPosition() {
  const std::string key = geometryKey();
  if (key.empty()) return;
  // A missing measure is stored as the window's current one; one that does
  // not read as a number gives way to it.
  auto read = [&](const char* name, float current) {
    float measure = current;
    ignoreErrors([&] {
      std::int32_t code = 0;
      measure = static_cast<float>(
          toInt32(registry::ReadRegistryValue(key, name, code, Variant(current))));
    });
    return measure;
  };
  float top = read("Top", window_.top);
  float left = read("Left", window_.left);
  float height = read("Height", window_.height);
  float width = read("Width", window_.width);
  if (top < 0 || top > screen_.height) top = window_.top;
  if (left < 0 || left > screen_.width) left = window_.left;
  // Both minimums take the vertical factor, as the window always has.
  const float minimum = kMinimumPixels * screen_.twipsPerPixelY;
  if (height < minimum) height = window_.height;
  if (width < minimum) width = window_.width;
  window_ = gui::TwipsRect{left, top, width, height};
}

}  // namespace velmora::grid

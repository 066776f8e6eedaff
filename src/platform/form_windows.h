// The grid services' two small windows, as the window system sees them.
//
// A form (the column chooser, the caption dialog) keeps its logic and state
// itself, in twips; the window system only renders what the form holds and
// reports what the user does, under the form's handler names. The form
// decides, the window follows: after every handler the window shows the
// form's state again (and closes when the form says it is no longer shown).
//
// Each thread keeps one window of each kind, built at its first showing and
// reused by the later ones, as it keeps one form of each kind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::gui {

// A window's or a control's place and size in twips (1440 per inch),
// single-precision as the window system gives them.
struct TwipsRect {
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;
  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// A client rectangle in pixels, as the window system reports it.
struct ClientPixels {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// What every dialog with a fixed design gives its window: the title, the
// client area (the window less the window system's frame), the text it
// shows, and whether it is still up.
class DialogForm {
 public:
  virtual std::string_view caption() const = 0;
  virtual float clientWidth() const = 0;
  virtual float clientHeight() const = 0;
  virtual const std::string& text() const = 0;
  // False once the form has closed.
  virtual bool shown() const = 0;

 protected:
  ~DialogForm() = default;
};

// The column chooser: one check-box list covering the client area.
class ColumnsForm {
 public:
  struct Item {
    std::string text;
    std::int32_t itemData = 0;  // the number attached to the item
    bool selected = false;      // its check box
    friend bool operator==(const Item&, const Item&) = default;
  };

  virtual std::string_view caption() const = 0;
  virtual const std::vector<Item>& items() const = 0;
  // The outer window where it is to be shown.
  virtual TwipsRect windowRect() const = 0;
  // The list, within the client area.
  virtual TwipsRect listRect() const = 0;

  virtual void Form_Resize(ClientPixels client) = 0;
  // The user set the check of item `item` (0-based) to `selected`.
  virtual void lstColumn_ItemCheck(int item, bool selected) = 0;
  // Any closing; `window` is the outer window where it was.
  virtual void Form_QueryUnload(TwipsRect window) = 0;

 protected:
  ~ColumnsForm() = default;
};

// The caption dialog: a text box and the buttons Ok and Cancel.
// text() is what the text box holds; shown() turns false once a button has
// closed the dialog.
class CaptionForm : public DialogForm {
 public:
  // A control's design: its place and size in the client area, and text.
  struct Control {
    TwipsRect rect;
    std::string_view text;
  };

  virtual Control txtCaption() const = 0;
  virtual Control btnOk() const = 0;
  virtual Control btnCancel() const = 0;
  // Whether Ok may be pressed.
  virtual bool okEnabled() const = 0;

  // After every change of the text box, with the text it now holds.
  virtual void txtCaption_Change(std::string text) = 0;
  virtual void btnOk_Click() = 0;
  virtual void btnCancel_Click() = 0;

 protected:
  ~CaptionForm() = default;
};

// Show the form's window modally and return once it has closed: the column
// chooser at the form's window rectangle, the caption dialog centred on the
// screen. Raise AutomationError kCantShowWindow (window.h) without touching
// the form when the calling thread may not show windows.
void showColumnsForm(ColumnsForm& form);
void showCaptionForm(CaptionForm& form);

}  // namespace velmora::gui

// The message window as the window system sees it.
//
// The form (message/frm_message.h) holds the layout in twips and decides;
// the window renders what the form holds and reports what the user does
// under the form's handler names. After every handler the window shows the
// form's state again and closes once the form says it is no longer shown.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/form_windows.h"
#include "platform/window.h"

namespace velmora::gui {

// One command of a popup menu: its identifier and the text shown.
struct MenuTool {
  std::string_view id;
  std::string_view caption;
};

// text() is the message; shown() turns false once the form has closed.
class MessageForm : public DialogForm {
 public:
  struct CommandButton {
    TwipsRect rect;
    std::string_view text;
    bool visible = false;
    bool enabled = false;
  };
  static constexpr int kButtons = 3;  // btnCommand(0) to btnCommand(2)

  // The index of the picture shown (msgIcon_Enum), -1 for none.
  virtual int icon() const = 0;
  virtual TwipsRect iconRect() const = 0;
  virtual TwipsRect labelRect() const = 0;
  virtual CommandButton button(int index) const = 0;
  // The button Enter presses, and the one that is to have the focus (-1:
  // the window system's choice).
  virtual int defaultButton() const = 0;
  virtual int focusButton() const = 0;

  virtual void Form_Activate() = 0;
  virtual void btnCommand_Click(int Index) = 0;
  // A key released anywhere in the window, with its key code (27 Escape).
  virtual void Form_KeyUp(std::int32_t KeyCode) = 0;
  // Mouse button released (1 left, 2 right, 4 middle) over the background,
  // a picture or the text.
  virtual void Form_MouseUp(std::int32_t Button) = 0;
  virtual void imIcon_MouseUp(int Index, std::int32_t Button) = 0;
  virtual void txtMessage_MouseUp(std::int32_t Button) = 0;
  // A command chosen from a popup menu, by its identifier.
  virtual void MsgMenu_ToolClick(std::string_view id) = 0;

 protected:
  ~MessageForm() = default;
};

class MessageWindow : public Window {
 public:
  // The height in twips the label needs for `text` wrapped at `width` twips.
  virtual float labelHeight(std::string_view text, float width) = 0;
  // What the window system's frame adds to the client area, in twips (0
  // where it is not known before the window is shown).
  virtual float frameWidth() const = 0;
  virtual float frameHeight() const = 0;
  // Shows the form's state again.
  virtual void refresh() = 0;
  // Lets the window events that are waiting run once.
  virtual void processEvents() = 0;
  // Opens a popup menu with `tools` at the mouse position; the choice comes
  // back through MsgMenu_ToolClick.
  virtual void popupMenu(std::string_view menuId, std::span<const MenuTool> tools) = 0;
};

// Builds the window of `form`, hidden. Raises AutomationError
// kCantShowWindow when the calling thread may not use windows.
std::unique_ptr<MessageWindow> makeMessageWindow(MessageForm& form);

}  // namespace velmora::gui

// frmMessage: the suite's modal message window. An icon, the message text,
// and up to three buttons ("Ok", "Cancel", "Help"); Escape cancels, and a
// right click on the text offers to copy it.
//
// The form holds the layout in twips and all decisions; the window system
// (platform/message_window.h) renders it and calls the handlers below. A new
// form is made for every message, shown once, modally.
//
// The form logs only through the delegate component (MessageLog): the text
// of an information, critical or warning message before it is shown, and
// the failure of a window that could not be shown.
#pragma once

#include <commonvelmora/object.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/message_window.h"
#include "platform/screen.h"

namespace velmora::message {

// The delegate component's two log members, as the window calls them.
// Each raises when the call fails (no component, no such member).
class MessageLog {
 public:
  virtual void StoreMessageToLog(const std::string& text) = 0;
  virtual void StoreErrorToLog(std::int32_t number, const std::string& text) = 0;

 protected:
  ~MessageLog() = default;
};

class frmMessage final : public gui::MessageForm {
 public:
  static constexpr std::string_view kTitle = "Velmora Manager";
  static constexpr float kClientWidth = 6300;
  static constexpr float kClientHeight = 1635;
  // The label wraps at this width; the design gave it 5415, and the window
  // widens by the difference when a long text makes it grow.
  static constexpr float kLabelWidth = 5535;
  static constexpr float kLabelDesignWidth = 5415;
  static constexpr std::string_view kCopyMenu = "ID_CopyMenu";
  static constexpr std::string_view kCopyTool = "ID_Copy";
  static constexpr std::string_view kCopyCaption = "Копировать текст сообщения";
  static constexpr std::string_view kFailureText = "Error display Message Window.";

  explicit frmMessage(MessageLog& log);
  ~frmMessage();

  // Builds the window, shows it modally and returns the button code when it
  // has closed: 1 Ok, 2 Cancel or Escape (or a failure that was logged), 0
  // closed otherwise. `OwnerForm` is accepted and not used. Raises only
  // when the failure could not be logged either.
  std::int32_t MsgActivate(const std::string& msgText, std::int32_t CurrentIcon,
                           std::int16_t CurrentButtons, std::int32_t DefButton,
                           const ObjectRef& OwnerForm, const std::string& Err_HelpFile,
                           const std::int32_t& Err_HelpContext, const std::int32_t& ParentHWND);

  // Opens the copy menu when there is a text to copy.
  void DoAskCopyLblCaption();

  // The layout for a text whose label needs `neededHeight` twips, on a
  // screen `screen`, with a window frame of `frame` twips: pictures,
  // label, window size, buttons and their places, default button, help.
  void arrange(const std::string& msgText, std::int32_t CurrentIcon, std::int16_t CurrentButtons,
               std::int32_t DefButton, const std::string& Err_HelpFile,
               std::int32_t Err_HelpContext, float neededHeight, const gui::ScreenMetrics& screen,
               float frameWidth = 0, float frameHeight = 0);

  // Where the window's top left corner goes, in screen pixels: centred on
  // `parent` when there is one that can hold the window, else on the screen.
  struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
  };
  Point placement(std::optional<gui::PixelRect> parent, const gui::ScreenMetrics& screen) const;

  // --- gui::MessageForm ---
  std::string_view caption() const override { return kTitle; }
  float clientWidth() const override { return windowWidth_ - frameWidth_; }
  float clientHeight() const override { return windowHeight_ - frameHeight_; }
  int icon() const override { return icon_; }
  gui::TwipsRect iconRect() const override { return {120, 120, 480, 480}; }
  gui::TwipsRect labelRect() const override { return label_; }
  const std::string& text() const override { return text_; }
  CommandButton button(int index) const override;
  int defaultButton() const override { return default_; }
  int focusButton() const override { return focus_; }
  bool shown() const override { return shown_; }
  void Form_Activate() override;
  void btnCommand_Click(int Index) override;
  void Form_KeyUp(std::int32_t KeyCode) override;
  void Form_MouseUp(std::int32_t Button) override;
  void imIcon_MouseUp(int Index, std::int32_t Button) override;
  void txtMessage_MouseUp(std::int32_t Button) override;
  void MsgMenu_ToolClick(std::string_view id) override;

  // --- what the tests look at ---
  float windowWidth() const { return windowWidth_; }
  float windowHeight() const { return windowHeight_; }
  std::int32_t result() const { return result_; }
  bool menuActive() const { return menuActive_; }  // the menu's property 1009

 private:
  struct ButtonState {
    gui::TwipsRect rect;
    bool visible = false;
    bool enabled = false;
  };
  void show(const std::string& msgText, std::int32_t CurrentIcon, std::int16_t CurrentButtons,
            std::int32_t DefButton, const std::string& Err_HelpFile, std::int32_t Err_HelpContext,
            std::int32_t ParentHWND);
  void closeWith(std::int32_t result);

  MessageLog& log_;
  std::unique_ptr<gui::MessageWindow> window_;
  std::string text_;
  int icon_ = -1;
  gui::TwipsRect label_{810, 120, kLabelDesignWidth, 885};
  std::array<ButtonState, kButtons> buttons_;
  float windowWidth_ = kClientWidth;
  float windowHeight_ = kClientHeight;
  float frameWidth_ = 0;
  float frameHeight_ = 0;
  int default_ = 0;
  int focus_ = -1;
  std::int32_t defButton_ = 0;
  std::optional<std::string> helpFile_;
  std::int32_t helpContext_ = 0;
  std::int32_t result_ = 0;
  bool shown_ = false;
  bool menuActive_ = false;
};

}  // namespace velmora::message

// The message window's logic: layout, button placement, logging, sound,
// placement on the screen, the modal run and its result.
#include "message/frm_message.h"

#include <commonvelmora/enums.h>
#include <commonvelmora/error.h>

#include <cmath>

#include "core/caught_error.h"
#include "core/ignore_errors.h"
#include "platform/clipboard.h"
#include "platform/help_viewer.h"
#include "platform/mouse_pointer.h"
#include "platform/sound_player.h"

namespace velmora::message {
namespace {

// Halves go to the even neighbour, as the runtime rounds.
double whole(double value) { return std::nearbyint(value); }

constexpr std::array<std::string_view, 4> kSounds = {"SystemAsterisk", "SystemHand",
                                                     "SystemQuestion", "SystemExclamation"};
constexpr std::array<std::string_view, frmMessage::kButtons> kButtonTexts = {"Ok", "Cancel",
                                                                             "Help"};
constexpr std::array<gui::TwipsRect, frmMessage::kButtons> kButtonDesign = {
    gui::TwipsRect{3480, 1200, 1335, 375}, gui::TwipsRect{4920, 1200, 1335, 375},
    gui::TwipsRect{2040, 1200, 1335, 375}};
constexpr std::size_t kHelp = 2;
constexpr std::array<gui::MenuTool, 1> kCopyMenuTools = {
    gui::MenuTool{frmMessage::kCopyTool, frmMessage::kCopyCaption}};

// The room under the label: its top margin, the buttons and the margins
// around them.
constexpr float kBelowLabel = 1100;
constexpr float kLabelToButtons = 270;
constexpr std::int32_t kRightButton = 2;  // mouse button code

// Takes the pointer override back however the modal run ends.
struct PointerOverride {
  PointerOverride() { gui::defaultMousePointer().override(gui::PointerShape::Arrow); }
  ~PointerOverride() { gui::defaultMousePointer().restore(); }
  PointerOverride(const PointerOverride&) = delete;
  PointerOverride& operator=(const PointerOverride&) = delete;
};

}  // namespace

frmMessage::frmMessage(MessageLog& log) : log_(log) {
  for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i].rect = kButtonDesign[i];
}

frmMessage::~frmMessage() = default;

gui::MessageForm::CommandButton frmMessage::button(int index) const {
  if (index < 0 || index >= kButtons) return {};
  const ButtonState& b = buttons_[static_cast<std::size_t>(index)];
  return {b.rect, kButtonTexts[static_cast<std::size_t>(index)], b.visible, b.enabled};
}

void frmMessage::arrange(const std::string& msgText, std::int32_t CurrentIcon,
                         std::int16_t CurrentButtons, std::int32_t DefButton,
                         const std::string& Err_HelpFile, std::int32_t Err_HelpContext,
                         float neededHeight, const gui::ScreenMetrics& screen, float frameWidth,
                         float frameHeight) {
  frameWidth_ = frameWidth;
  frameHeight_ = frameHeight;
  windowWidth_ = kClientWidth + frameWidth;
  windowHeight_ = kClientHeight + frameHeight;
  icon_ = CurrentIcon >= 0 && CurrentIcon < static_cast<std::int32_t>(kSounds.size()) ? CurrentIcon
                                                                                      : -1;
  text_ = msgText;
  // The label takes the height its text needs, and keeps it: a height set
  // later clips the text instead of growing the label.
  label_ = gui::TwipsRect{810, 120, kLabelWidth, neededHeight};
  for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i].rect = kButtonDesign[i];
  if (neededHeight > 900) {
    const double half = whole(whole(screen.height) / 2);
    if (neededHeight > half - kBelowLabel) {
      windowHeight_ = static_cast<float>(half);
      label_.height = static_cast<float>(whole(windowHeight_ - kBelowLabel));
    } else {
      windowHeight_ = neededHeight + kBelowLabel;
    }
    for (ButtonState& b : buttons_) b.rect.top = label_.height + kLabelToButtons;
    if (label_.width > kLabelDesignWidth) {
      windowWidth_ += static_cast<float>(whole(label_.width - kLabelDesignWidth));
    }
  }
  // "Help" answers to both bits, so it takes part whenever a button does.
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const bool asked = (CurrentButtons & static_cast<int>(i + 1)) != 0;
    buttons_[i].visible = asked;
    buttons_[i].enabled = asked;
  }
  // Right to left, ten pixels apart; a button not asked for keeps its place
  // and takes no slot, while "Help" takes one before the help rule hides it.
  const float gap = static_cast<float>(10 * screen.twipsPerPixelX);
  float x = windowWidth_ - (gap + 200);
  for (auto b = buttons_.rbegin(); b != buttons_.rend(); ++b) {
    if (!b->enabled) continue;
    b->rect.left = x - b->rect.width;
    x = b->rect.left - gap;
  }
  defButton_ = DefButton;
  default_ = DefButton == msgCancel ? 1 : 0;
  if (Err_HelpFile.empty() || Err_HelpContext == -1) {
    buttons_[kHelp].visible = false;
    helpFile_.reset();
  } else {
    helpFile_ = Err_HelpFile;
    helpContext_ = Err_HelpContext;
    buttons_[kHelp].visible = true;
  }
}

frmMessage::Point frmMessage::placement(std::optional<gui::PixelRect> parent,
                                        const gui::ScreenMetrics& screen) const {
  const gui::PixelRect whole_screen{
      0, 0, static_cast<std::int32_t>(whole(screen.width / screen.twipsPerPixelX)),
      static_cast<std::int32_t>(whole(screen.height / screen.twipsPerPixelY))};
  gui::PixelRect r = parent.value_or(whole_screen);
  // The parent's right and bottom edges, not its size, decide whether the
  // window fits it.
  if (screen.twipsPerPixelX * r.right < windowWidth_ ||
      screen.twipsPerPixelY * r.bottom < windowHeight_) {
    r = whole_screen;
  }
  const double x = r.left + ((r.right - r.left) - windowWidth_ / screen.twipsPerPixelX) / 2;
  const double y = r.top + ((r.bottom - r.top) - windowHeight_ / screen.twipsPerPixelY) / 2;
  return Point{static_cast<std::int32_t>(whole(x)), static_cast<std::int32_t>(whole(y))};
}

std::int32_t frmMessage::MsgActivate(const std::string& msgText, std::int32_t CurrentIcon,
                                     std::int16_t CurrentButtons, std::int32_t DefButton,
                                     const ObjectRef& /*OwnerForm*/,
                                     const std::string& Err_HelpFile,
                                     const std::int32_t& Err_HelpContext,
                                     const std::int32_t& ParentHWND) {
  result_ = 0;
  try {
    show(msgText, CurrentIcon, CurrentButtons, DefButton, Err_HelpFile, Err_HelpContext,
         ParentHWND);
  } catch (...) {
    const CaughtError error = currentError();
    shown_ = false;
    window_.reset();
    result_ = msgCancel;
    log_.StoreErrorToLog(error.number, std::string(kFailureText) + "\r\n" + error.description);
    return result_;
  }
  window_.reset();
  if (ParentHWND > 0) gui::defaultScreen().bringToForeground(ParentHWND);
  return result_;
}

void frmMessage::show(const std::string& msgText, std::int32_t CurrentIcon,
                      std::int16_t CurrentButtons, std::int32_t DefButton,
                      const std::string& Err_HelpFile, std::int32_t Err_HelpContext,
                      std::int32_t ParentHWND) {
  window_ = gui::makeMessageWindow(*this);
  gui::Screen& screen = gui::defaultScreen();
  const gui::ScreenMetrics metrics = screen.metrics();
  arrange(msgText, CurrentIcon, CurrentButtons, DefButton, Err_HelpFile, Err_HelpContext,
          window_->labelHeight(msgText, kLabelWidth), metrics, window_->frameWidth(),
          window_->frameHeight());
  shown_ = true;
  window_->refresh();
  // A question is the user's to answer, not an event worth a log entry.
  if (CurrentIcon == msgInfo || CurrentIcon == msgCritical || CurrentIcon == msgWarning) {
    log_.StoreMessageToLog(msgText);
  }
  if (icon_ < 0) throw AutomationError(err::kSubscriptOutOfRange);
  gui::defaultSoundPlayer().play(kSounds[static_cast<std::size_t>(icon_)]);
  window_->processEvents();
  {
    PointerOverride arrow;
    const std::optional<gui::PixelRect> parent =
        ParentHWND > 0 ? screen.windowRect(ParentHWND) : std::nullopt;
    const Point at = placement(parent, metrics);
    window_->moveTopmost(at.x, at.y);
    window_->showModal();
  }
  shown_ = false;
  if (helpFile_) gui::defaultHelpViewer().close(*helpFile_);
}

void frmMessage::closeWith(std::int32_t result) {
  result_ = result;
  shown_ = false;
}

void frmMessage::Form_Activate() {
  menuActive_ = true;
  focus_ = defButton_ == msgOK ? 0 : defButton_ == msgCancel ? 1 : -1;
}

void frmMessage::btnCommand_Click(int Index) {
  menuActive_ = false;
  if (Index == 0) closeWith(msgOK);
  if (Index == 1) closeWith(msgCancel);
  // Help leaves the window open; a help file that cannot be opened shows
  // nothing.
  if (Index == static_cast<int>(kHelp) && helpFile_)
    gui::defaultHelpViewer().showTopic(*helpFile_, helpContext_);
}

void frmMessage::Form_KeyUp(std::int32_t KeyCode) {
  constexpr std::int32_t kEscape = 27;
  if (KeyCode == kEscape) closeWith(msgCancel);
}

void frmMessage::Form_MouseUp(std::int32_t Button) {
  if (Button == kRightButton) ignoreErrors([&] { DoAskCopyLblCaption(); });
}

void frmMessage::imIcon_MouseUp(int /*Index*/, std::int32_t Button) { Form_MouseUp(Button); }

void frmMessage::txtMessage_MouseUp(std::int32_t Button) { Form_MouseUp(Button); }

void frmMessage::DoAskCopyLblCaption() {
  ignoreErrors([&] {
    if (!text_.empty() && window_) window_->popupMenu(kCopyMenu, kCopyMenuTools);
  });
}

void frmMessage::MsgMenu_ToolClick(std::string_view id) {
  // The whole text, also what the label cuts off.
  if (id != kCopyTool || text_.empty()) return;
  ignoreErrors([&] {
    Clipboard& clipboard = defaultClipboard();
    clipboard.clear();
    clipboard.setText(text_);
  });
}

}  // namespace velmora::message

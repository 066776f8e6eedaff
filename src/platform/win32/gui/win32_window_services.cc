// The Windows build has no windows of its own yet (win32_gui_host.cc): the
// window services answer as on Linux without a display, so the windows'
// models meet the display failure they already handle before any of the
// rest is needed.
#include <commonvelmora/error.h>

#include "platform/form_windows.h"
#include "platform/help_viewer.h"
#include "platform/message_window.h"
#include "platform/mouse_pointer.h"
#include "platform/screen.h"
#include "platform/sound_player.h"
#include "platform/window.h"

namespace velmora::gui {
namespace {

[[noreturn]] void noWindows() {
  throw AutomationError(kCantShowWindow,
                        "Can't show the window: no windows in the Windows build yet");
}

class NoScreen final : public Screen {
 public:
  ScreenMetrics metrics() override { noWindows(); }
  std::optional<PixelRect> windowRect(std::int64_t) noexcept override { return std::nullopt; }
  void bringToForeground(std::int64_t) noexcept override {}
};

class NoPointer final : public MousePointer {
 public:
  void override(PointerShape) noexcept override {}
  void restore() noexcept override {}
};

class NoSound final : public SoundPlayer {
 public:
  void play(std::string_view) noexcept override {}
};

class NoHelp final : public HelpViewer {
 public:
  bool showTopic(const std::string&, std::int32_t) noexcept override { return false; }
  void close(const std::string&) noexcept override {}
};

}  // namespace

void requireGuiThread() { noWindows(); }
void showColumnsForm(ColumnsForm&) { noWindows(); }
void showCaptionForm(CaptionForm&) { noWindows(); }
void captureNextWindow(std::string) {}
std::unique_ptr<MessageWindow> makeMessageWindow(MessageForm&) { noWindows(); }

Screen& defaultScreen() {
  static NoScreen* const screen = new NoScreen();
  return *screen;
}
MousePointer& defaultMousePointer() {
  static NoPointer* const pointer = new NoPointer();
  return *pointer;
}
SoundPlayer& defaultSoundPlayer() {
  static NoSound* const player = new NoSound();
  return *player;
}
HelpViewer& defaultHelpViewer() {
  static NoHelp* const viewer = new NoHelp();
  return *viewer;
}

}  // namespace velmora::gui

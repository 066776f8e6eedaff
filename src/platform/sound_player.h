// Event sounds by the system's names ("SystemAsterisk", "SystemHand",
// "SystemQuestion", "SystemExclamation"), played asynchronously.
//
// On Linux the names map to the freedesktop sound theme's
// "dialog-information", "dialog-error", "dialog-question" and
// "dialog-warning", played through libcanberra; an unknown name plays the
// theme's "bell", as the system plays its default sound for a name it does
// not know. No sound server, no sound theme or no sound card is no error:
// nothing is heard.
#pragma once

#include <string>
#include <string_view>

namespace velmora::gui {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Starts the sound and returns at once. Never raises.
  virtual void play(std::string_view systemSoundName) noexcept = 0;
};

// The freedesktop event sound that stands for a system sound name.
std::string eventSoundFor(std::string_view systemSoundName);

// The sound player of the platform the library runs on (safe to use from
// any thread).
SoundPlayer& defaultSoundPlayer();

}  // namespace velmora::gui

// Event sounds through libcanberra, which finds the sound in the desktop's
// sound theme and plays it on whatever sound system is there.
#include <canberra.h>

#include <mutex>

#include "platform/sound_player.h"

namespace velmora::gui {
namespace {

class CanberraSoundPlayer final : public SoundPlayer {
 public:
  void play(std::string_view systemSoundName) noexcept override {
    try {
      const std::string id = eventSoundFor(systemSoundName);
      std::lock_guard<std::mutex> lock(mutex_);
      if (!tried_) {
        tried_ = true;
        if (ca_context_create(&context_) != CA_SUCCESS) context_ = nullptr;
      }
      if (context_ == nullptr) return;
      // Asynchronous; a missing server or theme only makes the result an
      // error code, which is no concern of the window that asked.
      ca_context_play(context_, 0, CA_PROP_EVENT_ID, id.c_str(), CA_PROP_APPLICATION_NAME,
                      "CommonVelmora", static_cast<const char*>(nullptr));
    } catch (...) {
    }
  }

 private:
  std::mutex mutex_;
  bool tried_ = false;
  ca_context* context_ = nullptr;  // kept for the process's life
};

}  // namespace

SoundPlayer& defaultSoundPlayer() {
  static CanberraSoundPlayer* const player = new CanberraSoundPlayer();  // never destroyed
  return *player;
}

}  // namespace velmora::gui

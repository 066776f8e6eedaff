#include "platform/sound_player.h"

namespace velmora::gui {

std::string eventSoundFor(std::string_view systemSoundName) {
  if (systemSoundName == "SystemAsterisk") return "dialog-information";
  if (systemSoundName == "SystemHand") return "dialog-error";
  if (systemSoundName == "SystemQuestion") return "dialog-question";
  if (systemSoundName == "SystemExclamation") return "dialog-warning";
  return "bell";
}

}  // namespace velmora::gui

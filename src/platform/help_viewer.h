// Help topics: a help file opened at a context number, and closed again by
// the window that opened it.
//
// On Linux the file goes to the desktop's handler (`xdg-open`, or the
// program named by VELMORA_HELP_OPENER), with the context as the topic: an
// HTML file is opened at the anchor of that number ("file.html#42"), other
// files as they are. Closing ends the handler processes this viewer started
// for the file; a handler that passed the file on to a program already
// running (a browser tab) is out of its reach.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::gui {

class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  // Opens `file` at topic `context`. False when the file does not exist or
  // no handler could be started; nothing is shown then. Never raises.
  virtual bool showTopic(const std::string& file, std::int32_t context) noexcept = 0;
  // Ends what showTopic started for `file`. Never raises.
  virtual void close(const std::string& file) noexcept = 0;
};

// The help viewer of the platform the library runs on.
HelpViewer& defaultHelpViewer();

}  // namespace velmora::gui

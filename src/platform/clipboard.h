// The system clipboard, as plain text.
//
// Every operation raises AutomationError 521 ("Can't open Clipboard") with
// the reason in its description when the clipboard cannot be reached: no
// display, or a call from a thread that does not own the process's GUI (see
// gui_host.h). Callers that must not fail catch it, as the grid copy does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The runtime's number for a clipboard that cannot be opened.
inline constexpr std::int32_t kCantOpenClipboard = 521;

class Clipboard {
 public:
  virtual ~Clipboard();
  // Empties the clipboard.
  virtual void clear() = 0;
  // Replaces the clipboard's content with `text` (UTF-8) as plain text.
  virtual void setText(std::string_view text) = 0;
  // The clipboard's plain text, "" when it holds none.
  virtual std::string text() = 0;
};

// The process-wide clipboard of the platform the library runs on.
Clipboard& defaultClipboard();

}  // namespace velmora

// The system clipboard as Unicode text. The clipboard is one per session
// and another program may hold it for a moment, so opening it is tried a few
// times before the copy fails.
#include <windows.h>

#include <commonvelmora/error.h>

#include <cstring>

#include "platform/clipboard.h"
#include "platform/win32/text/wide_text.h"

namespace velmora {
namespace {

constexpr int kOpenAttempts = 5;
constexpr DWORD kOpenRetryMs = 20;

// The clipboard held open for the scope of one operation.
class OpenedClipboard {
 public:
  OpenedClipboard() {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
      if (::OpenClipboard(nullptr)) return;
      ::Sleep(kOpenRetryMs);
    }
    throw AutomationError(kCantOpenClipboard, "Can't open Clipboard");
  }
  ~OpenedClipboard() { ::CloseClipboard(); }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

[[noreturn]] void cannotWrite() {
  throw AutomationError(kCantOpenClipboard, "Can't open Clipboard: the text was not taken");
}

class Win32Clipboard final : public Clipboard {
 public:
  void clear() override {
    OpenedClipboard open;
    ::EmptyClipboard();
  }

  void setText(std::string_view text) override {
    const std::wstring wide = win32::wideFromUtf8(text);
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) cannotWrite();
    void* target = ::GlobalLock(memory);
    if (target == nullptr) {
      ::GlobalFree(memory);
      cannotWrite();
    }
    std::memcpy(target, wide.c_str(), bytes);
    ::GlobalUnlock(memory);
    OpenedClipboard open;
    ::EmptyClipboard();
    // Once taken, the memory belongs to the clipboard.
    if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
      ::GlobalFree(memory);
      cannotWrite();
    }
  }

  std::string text() override {
    OpenedClipboard open;
    HANDLE memory = ::GetClipboardData(CF_UNICODETEXT);
    if (memory == nullptr) return std::string();
    const auto* data = static_cast<const wchar_t*>(::GlobalLock(memory));
    if (data == nullptr) return std::string();
    std::string text = win32::utf8FromWide(data);
    ::GlobalUnlock(memory);
    return text;
  }
};

}  // namespace

Clipboard& defaultClipboard() {
  static Win32Clipboard* const clipboard = new Win32Clipboard();  // never destroyed
  return *clipboard;
}

}  // namespace velmora

// The clipboard through Qt's, on the thread that owns the GUI.
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>

#include <commonvelmora/error.h>

#include "platform/clipboard.h"
#include "platform/gui_host.h"

namespace velmora {
namespace {

QClipboard& reachClipboard() {
  const std::string why = gui::prepareGuiThread();
  if (!why.empty()) throw AutomationError(kCantOpenClipboard, "Can't open Clipboard: " + why);
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) throw AutomationError(kCantOpenClipboard, "Can't open Clipboard");
  return *clipboard;
}

class QtClipboard final : public Clipboard {
 public:
  void clear() override { reachClipboard().clear(); }
  void setText(std::string_view text) override {
    reachClipboard().setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  }
  std::string text() override { return reachClipboard().text().toStdString(); }
};

}  // namespace

Clipboard& defaultClipboard() {
  static QtClipboard* const clipboard = new QtClipboard();  // never destroyed
  return *clipboard;
}

}  // namespace velmora

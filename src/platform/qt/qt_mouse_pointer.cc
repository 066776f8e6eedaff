// The screen-wide pointer as Qt's application override cursor, whose stack
// gives the nesting of mouse_pointer.h.
#include <QtGui/QCursor>
#include <QtGui/QGuiApplication>

#include "platform/gui_host.h"
#include "platform/mouse_pointer.h"

namespace velmora::gui {
namespace {

class QtMousePointer final : public MousePointer {
 public:
  void override(PointerShape shape) noexcept override {
    try {
      if (!prepareGuiThread().empty()) return;
      QGuiApplication::setOverrideCursor(
          QCursor(shape == PointerShape::Busy ? Qt::WaitCursor : Qt::ArrowCursor));
      ++pushed_;
    } catch (...) {
    }
  }

  void restore() noexcept override {
    try {
      // Only what we pushed is taken back: the host's own overrides stay.
      if (pushed_ == 0 || !prepareGuiThread().empty()) return;
      QGuiApplication::restoreOverrideCursor();
      --pushed_;
    } catch (...) {
    }
  }

 private:
  int pushed_ = 0;  // touched only on the GUI thread
};

}  // namespace

MousePointer& defaultMousePointer() {
  static QtMousePointer* const pointer = new QtMousePointer();  // never destroyed
  return *pointer;
}

}  // namespace velmora::gui

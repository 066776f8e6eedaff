// The screen-wide mouse pointer: a shape shown over every window of the
// process until it is taken back, whatever the widgets below ask for.
//
// Overrides nest: each override() is undone by one restore(), which brings
// back the pointer that was shown before it (the host application's own
// override included). Both need the GUI thread and do nothing without it.
#pragma once

namespace velmora::gui {

enum class PointerShape {
  Arrow,  // the default arrow
  Busy,   // the hourglass of work in progress
};

class MousePointer {
 public:
  virtual ~MousePointer() = default;
  virtual void override(PointerShape shape) noexcept = 0;
  virtual void restore() noexcept = 0;
};

// The pointer of the platform the library runs on.
MousePointer& defaultMousePointer();

}  // namespace velmora::gui

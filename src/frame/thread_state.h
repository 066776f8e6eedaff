// The per-thread state that all Work objects of a thread share.
//
// The library follows the apartment model: each client thread has its own
// state, created empty on its first use and kept for the thread's life.
// Nothing in it is shared between threads, so nothing is locked.
//
// The state is kept in parts, one per subsystem, so that a subsystem sees
// only the fields it uses and builds and tests without the others:
//
//   part                 header                    fields
//   frame::ThreadState   frame/thread_state.h      app number, delegate
//   logging::LogState    logging/log_state.h       log prefix, folder, cap
//   grid::FormsState     grid/forms_state.h        column chooser, caption dialog
//
// A subsystem that needs per-thread state adds its part the same way: a
// struct and an accessor `Part& partName()` in <subsystem>/<name>_state.h,
// defined in the .cc beside it as a function-local `thread_local`, and a row
// in the table above. The frame's members reach every part through those
// accessors; a part never includes another subsystem's part. Windows a part
// holds (a column chooser, a caption dialog) are released on their own
// thread when the thread ends, because each part dies with its thread.
#pragma once

#include <commonvelmora/object.h>

#include <cstdint>

namespace velmora::frame {

struct ThreadState {
  std::int32_t appNumber = 0;  // App_Key set by the client; only stored
  ObjectRef delegate;          // the delegate component, once created
};

// This thread's frame part.
ThreadState& threadState();

}  // namespace velmora::frame

#include "frame/thread_state.h"

namespace velmora::frame {

ThreadState& threadState() {
  // Created empty on first use and destroyed with the thread, which
  // releases the delegate component there.
  thread_local ThreadState state;
  return state;
}

}  // namespace velmora::frame

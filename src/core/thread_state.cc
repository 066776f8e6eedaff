#include "core/thread_state.h"

namespace velmora {

ThreadState& threadState() {
  // One block per thread, created empty on first use and destroyed with the
  // thread (which releases its delegate component and windows there).
  thread_local ThreadState state;
  return state;
}

}  // namespace velmora

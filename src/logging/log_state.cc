#include "logging/log_state.h"

namespace velmora::logging {

LogState& logState() {
  thread_local LogState state;
  return state;
}

}  // namespace velmora::logging

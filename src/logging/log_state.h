// The logging part of the calling thread's state.
//
// Per-thread state follows the apartment model: each client thread has its
// own, created empty on first use and kept for the thread's life, so nothing
// here is shared or locked. Each subsystem keeps only the part it reads and
// writes, next to its code; the frame's Work members that own a field (the
// prefix and the size cap here) write it through this accessor. See
// frame/thread_state.h for the list of parts.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::logging {

struct LogState {
  std::string filePrefix;       // first part of log file names; "" = default
  std::string folder;           // folder found by the last log name built
  std::int32_t maxLogFile = 0;  // size cap in bytes; < 1 means the default
};

// This thread's logging part.
LogState& logState();

}  // namespace velmora::logging

// The per-thread state block that all Work objects of a thread share.
//
// The library follows the apartment model: each client thread has its own
// block, created empty on its first use and kept for the thread's life.
// Nothing here is shared between threads, so nothing is locked. It lives in
// the core, below the subsystems, because the logging routines read and write
// the log fields while the frame owns the block's meaning.
#pragma once

#include <commonvelmora/object.h>

#include <cstdint>
#include <string>

namespace velmora {

struct ThreadState {
  std::int32_t appNumber = 0;   // App_Key set by the client; only stored
  std::string logFilePrefix;    // first part of log file names; "" = default
  std::string logFolder;        // folder found by the last log name built
  std::int32_t maxLogFile = 0;  // log size cap in bytes; < 1 means 1,048,576
  ObjectRef delegate;           // the delegate component, once created
  ObjectRef columnChooser;      // the thread's column chooser window
  ObjectRef captionDialog;      // the thread's caption dialog
};

// This thread's block.
ThreadState& threadState();

}  // namespace velmora

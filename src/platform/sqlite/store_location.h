// Where the user's settings store lives and how it is prepared on first use.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace velmora::sqlite {

// The store file of the user running the process: $VELMORA_REGISTRY when set
// and not empty, else $XDG_CONFIG_HOME/CommonVelmora/registry.sqlite3 (when
// XDG_CONFIG_HOME is an absolute path), else
// ~/.config/CommonVelmora/registry.sqlite3. "" when there is no home folder.
std::string userStorePath();

// How long an operation waits while another process holds the store:
// $VELMORA_REGISTRY_BUSY_MS milliseconds when set to a number, else 5 seconds.
// Settings are small and writes take microseconds, so a wait that long means
// something is stuck, and the caller gets kBusy rather than a hang.
std::chrono::milliseconds storeBusyTimeout();

// Makes the store file ready for opening: creates the missing folders of its
// path (mode 0700: settings are private) and the file itself (mode 0600).
// Returns kAccessDenied when the file or folder may not be written (a store
// whose owner-write bit is cleared counts as read-only even for root, so a
// user can protect it), kCantOpen for other failures.
std::int32_t prepareStoreFile(const std::string& path);

// Creates a new, empty, private file "<path>.bak-N" for the first N from 1
// that is not taken, and returns its name ("" when none can be made). An
// existing copy is never touched.
std::string createBackupFile(const std::string& path);

// Removes `path`; quietly does nothing when it cannot.
void removeFile(const std::string& path);

}  // namespace velmora::sqlite

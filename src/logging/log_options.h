// LogOptions: the per-user log folder, the dated log file names and the
// library's own two log writers (no delegate component here; the Work members
// offer entries to the delegate first).
#pragma once

#include <commonvelmora/variant.h>

#include <cstdint>
#include <string>

namespace velmora::logging {

// Finds and creates the log folder and stores it in the thread's LogFolder.
bool GetLogFolder();
// Full path of the log file for `logDate` (empty variant: today), or "".
std::string BuildLogFileName(const Variant& logDate);
bool StoreMessageToLog(const std::string& messageText);
bool StoreErrorToLog(std::int32_t errNumber, const std::string& errDescription);
// Fills %0, %1, ... in a template; errors reach the caller.
std::string GetStringDescription(const std::string& template_, const Variant& arguments);

}  // namespace velmora::logging

// LogOptions: the per-user log folder, the dated log file names, the
// library's own two log writers and message template filling. The Work
// members of the same names offer names and entries to the delegate
// component first and come here when it declines.
//
// Log files are UTF-8 text with "\r\n" line ends, one file per day named
// <prefix><yyyy_mm_dd>.log in the log folder. Texts are written as given,
// byte for byte: NUL bytes and invalid UTF-8 in a message reach the file
// unchanged, so nothing a client logs is lost or altered on the way.
//
// All state is the calling thread's (logState(), in logging/log_state.h): the prefix, the folder
// last found and the size cap. Nothing is shared between threads.
#pragma once

#include <commonvelmora/variant.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::logging {

// The prefix a name gets while the thread's prefix is "".
inline constexpr std::string_view kDefaultLogFilePrefix = "Quorent";
// The size cap in bytes that applies while the thread's cap is below 1.
inline constexpr std::int32_t kDefaultMaxLogFile = 1048576;

// Finds the log folder, creating it (and the profile's "Velmora Manager"
// folder) when missing, and stores it in the thread's LogFolder. False when
// a folder cannot be created; LogFolder then keeps its previous value.
bool GetLogFolder();

// Full path of the log file for `logDate` (empty variant: today), or "" when
// the log folder cannot be established. The time of day is ignored. A value
// that does not convert to a date (null, a text naming no date, an array, an
// object) names no file and gives "". Sets the thread's prefix to the default
// when it is "".
std::string BuildLogFileName(const Variant& logDate);

// The thread's log file slot (the library's one numbered log file): opens
// today's file for appending unless the slot already holds a file, applying
// the size cap first. False when no file could be opened.
bool OpenLogFile();
// Closes whatever the slot holds. Always true.
bool CloseLogFile();

// Append one entry to today's file: "<time stamp> <text>" and
// "<time stamp> Error: <number> <description>", each ended by "\r\n". The
// time stamp is the current local time in the regional short date and long
// time (date only at midnight). True when the entry was written; failures
// are results, never exceptions.
bool StoreMessageToLog(std::string_view messageText);
bool StoreErrorToLog(std::int32_t errNumber, std::string_view errDescription);

// Fills %0, %1, ... in `template_` with the text of each argument: a missing
// `arguments` returns the template unchanged, a single value fills the first
// "%0", an array's elements 0..n fill the first "%0".."%n" in turn. Errors
// (AutomationError) reach the caller: 94 for null, 13 for an object without
// a text or an array with no elements, 9 when element 0 does not exist, 6
// when the upper bound does not fit a 16-bit counter.
std::string GetStringDescription(std::string_view template_, const Variant& arguments);

}  // namespace velmora::logging

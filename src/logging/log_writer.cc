// The library's own log writers and the size cap.
//
// The log file slot: the library writes every entry through one per-thread
// slot that holds at most one open log file, our form of the fixed file
// number that the writers share. An entry opens today's file into the slot,
// appends its whole text with a single write and empties the slot again, so
// a file is held open only while one entry is written, an entry never finds
// another log file open, and several processes appending to the same day's
// file never interleave inside an entry. An entry is whole or absent: one
// that the disk has no room for is cut off again (see AppendFile::append), so
// no torn line is left for the next entry to run into.
#include <commonvelmora/convert.h>

#include <charconv>
#include <exception>
#include <memory>

#include "logging/log_options.h"
#include "logging/log_state.h"
#include "platform/file_system.h"
#include "platform/locale.h"

namespace velmora::logging {

namespace {

thread_local std::unique_ptr<AppendFile> tLogFileSlot;

// Writes "<time stamp><separator><parts...>\r\n" to the open slot as one
// block. False when the slot is empty, the line cannot be formed or written.
template <class... Parts>
bool writeEntry(const Parts&... parts) {
  if (!tLogFileSlot) return false;
  try {
    const std::string stamp = dateToText(currentLocalDate());
    std::string line;
    line.reserve(stamp.size() + (std::string_view(parts).size() + ...) + 2);
    line += stamp;
    (line.append(std::string_view(parts)), ...);
    line += "\r\n";
    return tLogFileSlot->append(line);
  } catch (const std::exception&) {
    return false;
  }
}

template <class... Parts>
bool storeEntry(const Parts&... parts) {
  if (!OpenLogFile()) return false;
  const bool written = writeEntry(parts...);
  CloseLogFile();
  return written;
}

}  // namespace

bool OpenLogFile() {
  if (tLogFileSlot) return true;
  LogState& state = logState();
  try {
    const std::string name = BuildLogFileName(Variant());
    if (state.maxLogFile < 1) state.maxLogFile = kDefaultMaxLogFile;
    FileSystem& fs = defaultFileSystem();
    if (name.empty()) return false;
    // At the cap the file starts afresh; a failed deletion leaves the entry
    // to be appended to the old file.
    if (fs.fileSize(name) >= state.maxLogFile) fs.deleteFile(name);
    tLogFileSlot = fs.openAppend(name);
  } catch (const std::exception&) {
    return false;
  }
  return tLogFileSlot != nullptr;
}

bool CloseLogFile() {
  tLogFileSlot.reset();
  return true;
}

bool StoreMessageToLog(std::string_view messageText) { return storeEntry(" ", messageText); }

bool StoreErrorToLog(std::int32_t errNumber, std::string_view errDescription) {
  char number[16];
  const auto end = std::to_chars(number, number + sizeof number, errNumber).ptr;
  return storeEntry(" Error: ", std::string_view(number, static_cast<std::size_t>(end - number)),
                    " ", errDescription);
}

}  // namespace velmora::logging

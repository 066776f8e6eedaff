// The log folder and the dated log file names.
//
// The folder is looked up and created anew for every name built, so a log
// folder deleted while a client runs comes back with the next entry.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <cmath>
#include <exception>

#include "logging/log_folder_rule.h"
#include "logging/log_options.h"
#include "logging/log_state.h"
#include "platform/file_system.h"
#include "platform/locale.h"
#include "platform/path_names.h"

namespace velmora::logging {

namespace {

// Creates `folder` unless it is already there. One level at most, as the
// script runtime's CreateFolder does: a missing parent means the profile is
// not what it should be, and no folders are made up on the user's disk.
bool ensureFolder(FileSystem& fs, const std::string& folder) {
  return makeFolder(fs, folder, FolderParents::kMustExist);
}

// The log folder to use, created when missing; "" when it cannot be had.
std::string establishLogFolder() {
  FileSystem& fs = defaultFileSystem();
  const char separator = fs.separator();
  const std::string temp = fs.tempFolder();
  if (temp.empty()) {
    // No temporary folder: the logs go beside the library's own file.
    const std::string own = fs.libraryFolder();
    if (own.empty()) return "";
    std::string folder = appendPathPart(own, "LogFiles", separator);
    return ensureFolder(fs, folder) ? folder : "";
  }
  LogFolderPlan plan = planLogFolder(temp, separator);
  if (!plan.profileFolder.empty() && !ensureFolder(fs, plan.profileFolder)) return "";
  return ensureFolder(fs, plan.logFolder) ? std::move(plan.logFolder) : "";
}

// The date a log file name is built for, or false when `logDate` names none.
// The empty variant stands for today.
bool logFileDate(const Variant& logDate, Date& out) {
  if (logDate.isEmpty()) {
    out = Date{std::floor(currentLocalDate().serial)};
    return true;
  }
  if (logDate.isArray() || logDate.isObject()) return false;  // never a day
  try {
    out = toDate(logDate);
    return true;
  } catch (const AutomationError&) {
    return false;
  }
}

}  // namespace

bool GetLogFolder() {
  try {
    std::string folder = establishLogFolder();
    if (folder.empty()) return false;
    logState().folder = std::move(folder);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string BuildLogFileName(const Variant& logDate) {
  LogState& state = logState();
  Date day;
  const bool named = logFileDate(logDate, day);
  if (state.filePrefix.empty()) state.filePrefix = kDefaultLogFilePrefix;
  if (!named) return "";
  std::string name = state.filePrefix;
  name += formatDate(day, "yyyy_mm_dd");
  name += ".log";
  if (!GetLogFolder()) return "";
  return appendPathPart(state.folder, name, defaultFileSystem().separator());
}

}  // namespace velmora::logging

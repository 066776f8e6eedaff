// Where the log folder lies for a given temporary folder. Pure text rules,
// parameterised by the separator, so Windows-style and POSIX-style folders
// follow (and are tested against) the same code.
#pragma once

#include <string>
#include <string_view>

namespace velmora::logging {

// True when `parent` (the temporary folder's parent) is a per-user profile
// folder: upper-cased, it ends with "LOCAL" or "ROAMING", with or without a
// trailing separator. A plain suffix test, so ".local" and "AppData\Local"
// count while "Local Settings" does not. Only ASCII letters are folded.
bool isProfileFolder(std::string_view parent, char separator);

struct LogFolderPlan {
  // "<parent>/Velmora Manager" when the parent is a profile folder, else "".
  std::string profileFolder;
  // "<profileFolder>/LogFiles", or "<temp>/LogFiles" beside no profile.
  std::string logFolder;
};

LogFolderPlan planLogFolder(std::string_view tempFolder, char separator);

}  // namespace velmora::logging

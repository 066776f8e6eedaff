#include "logging/log_folder_rule.h"

#include <commonvelmora/ascii_case.h>

#include "platform/path_names.h"

namespace velmora::logging {

bool isProfileFolder(std::string_view parent, char separator) {
  for (std::string_view name : {std::string_view("local"), std::string_view("roaming")}) {
    if (detail::endsWithIgnoringAsciiCase(parent, name)) return true;
    if (!parent.empty() && parent.back() == separator &&
        detail::endsWithIgnoringAsciiCase(parent.substr(0, parent.size() - 1), name)) {
      return true;
    }
  }
  return false;
}

LogFolderPlan planLogFolder(std::string_view tempFolder, char separator) {
  LogFolderPlan plan;
  const std::string parent = parentFolderName(tempFolder, separator);
  if (isProfileFolder(parent, separator)) {
    plan.profileFolder = appendPathPart(parent, "Velmora Manager", separator);
    plan.logFolder = appendPathPart(plan.profileFolder, "LogFiles", separator);
  } else {
    plan.logFolder = appendPathPart(tempFolder, "LogFiles", separator);
  }
  return plan;
}

}  // namespace velmora::logging

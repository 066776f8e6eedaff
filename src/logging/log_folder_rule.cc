#include "logging/log_folder_rule.h"

#include "platform/path_names.h"

namespace velmora::logging {

namespace {

bool endsWithUpperCased(std::string_view text, std::string_view upperSuffix) {
  if (text.size() < upperSuffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - upperSuffix.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char c = tail[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upperSuffix[i]) return false;
  }
  return true;
}

}  // namespace

bool isProfileFolder(std::string_view parent, char separator) {
  for (std::string_view name : {std::string_view("LOCAL"), std::string_view("ROAMING")}) {
    if (endsWithUpperCased(parent, name)) return true;
    if (!parent.empty() && parent.back() == separator &&
        endsWithUpperCased(parent.substr(0, parent.size() - 1), name)) {
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

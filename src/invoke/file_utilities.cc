// CheckExistsFile and DeleteFile: names and patterns resolved to the
// ordinary files they select, through the platform's FileSystem.
#include <string>
#include <string_view>
#include <vector>

#include "invoke/extended_procedures.h"
#include "platform/file_system.h"

namespace velmora::invoke {
namespace {

bool hasWildcards(std::string_view part) { return part.find_first_of("*?") != part.npos; }

// The paths of the ordinary files that `fileName` selects. A plain name is
// looked at directly; a pattern lists the folder of its last part.
std::vector<std::string> selectedFiles(FileSystem& fs, const std::string& fileName) {
  const std::size_t cut = fileName.rfind(fs.separator());
  const std::size_t lastAt = cut == std::string::npos ? 0 : cut + 1;
  const std::string_view last = std::string_view(fileName).substr(lastAt);
  if (last.empty()) return {};  // a folder's name with a trailing separator
  if (!hasWildcards(last)) {
    if (fs.isOrdinaryFile(fileName)) return {fileName};
    return {};
  }
  // The folder keeps the caller's spelling; only the root keeps its separator.
  const std::string folder = cut == std::string::npos ? std::string(".")
                             : cut == 0               ? fileName.substr(0, 1)
                                                      : fileName.substr(0, cut);
  const std::string_view prefix = std::string_view(fileName).substr(0, lastAt);
  std::vector<std::string> selected;
  for (const std::string& name : fs.ordinaryFiles(folder)) {
    if (matchesFilePattern(name, last)) selected.push_back(std::string(prefix).append(name));
  }
  return selected;
}

}  // namespace

bool CheckExistsFile(const std::string& fileName, FileSystem& fs) noexcept {
  if (fileName.empty()) return false;
  try {
    return !selectedFiles(fs, fileName).empty();
  } catch (...) {  // out of memory
    return false;
  }
}

bool DeleteFile(const std::string& fileName, FileSystem& fs) noexcept {
  if (fileName.empty()) return false;
  try {
    const std::vector<std::string> files = selectedFiles(fs, fileName);
    if (files.empty()) return false;
    // Every file is tried, so that one that cannot go does not keep the
    // others; any one left makes the call a failure.
    bool allDeleted = true;
    for (const std::string& file : files) allDeleted = fs.deleteFile(file) && allDeleted;
    return allDeleted && !CheckExistsFile(fileName, fs);
  } catch (...) {  // out of memory
    return false;
  }
}

bool CheckExistsFile(const std::string& fileName) noexcept {
  return CheckExistsFile(fileName, defaultFileSystem());
}

bool DeleteFile(const std::string& fileName) noexcept {
  return DeleteFile(fileName, defaultFileSystem());
}

}  // namespace velmora::invoke

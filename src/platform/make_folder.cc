// Folder creation that holds when several processes create the same folders
// at once.
#include <cerrno>

#include "platform/file_system.h"
#include "platform/path_names.h"

namespace velmora {

bool makeFolder(FileSystem& fs, const std::string& path, FolderParents parents) {
  if (fs.folderExists(path)) return true;
  if (parents == FolderParents::kCreate) {
    const std::string parent = parentFolderName(path, fs.separator());
    if (!parent.empty() && !makeFolder(fs, parent, parents)) return false;
  }
  if (fs.createFolder(path)) return true;
  // Another process may have made it between the look and the creation.
  const int reason = errno;
  if (fs.folderExists(path)) return true;
  errno = reason;  // the look may have changed it; callers want the creation's
  return false;
}

}  // namespace velmora

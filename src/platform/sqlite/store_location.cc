#include "platform/sqlite/store_location.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string_view>

#include "platform/file_system.h"
#include "platform/path_names.h"
#include "platform/registry_store.h"

namespace velmora::sqlite {
namespace {

std::string_view environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

std::string homeFolder() {
  if (const std::string_view home = environment("HOME"); !home.empty()) return std::string(home);
  // A daemon without HOME still has a password entry.
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

}  // namespace

std::string userStorePath() {
  if (const std::string_view own = environment("VELMORA_REGISTRY"); !own.empty()) {
    return std::string(own);
  }
  std::string config(environment("XDG_CONFIG_HOME"));
  if (config.empty() || config.front() != '/') {
    const std::string home = homeFolder();
    if (home.empty()) return {};
    config = home + "/.config";
  }
  return config + "/CommonVelmora/registry.sqlite3";
}

std::chrono::milliseconds storeBusyTimeout() {
  const std::string_view text = environment("VELMORA_REGISTRY_BUSY_MS");
  long ms = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), ms);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || ms < 0) {
    return std::chrono::milliseconds(5000);
  }
  return std::chrono::milliseconds(ms);
}

std::int32_t prepareStoreFile(const std::string& path) {
  if (path.empty()) return regcode::kCantOpen;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return regcode::kCantOpen;
    return (info.st_mode & S_IWUSR) != 0 ? regcode::kSuccess : regcode::kAccessDenied;
  }
  const std::string folder = parentFolderName(path, '/');
  if (!folder.empty() && !makeFolder(defaultFileSystem(), folder, FolderParents::kCreate)) {
    return errno == EACCES ? regcode::kAccessDenied : regcode::kCantOpen;
  }
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    return errno == EACCES || errno == EROFS ? regcode::kAccessDenied : regcode::kCantOpen;
  }
  close(fd);
  return regcode::kSuccess;
}

std::string createBackupFile(const std::string& path) {
  for (int n = 1; n < 10000; ++n) {
    std::string name = path + ".bak-" + std::to_string(n);
    const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

}  // namespace velmora::sqlite

// The file system on POSIX systems.
//
// Decisions that the interface leaves to the platform:
// - The user's temporary folder is $TMPDIR when set and not empty, else
//   ~/.local/tmp (the home folder from $HOME, else the password database).
//   Its parent ~/.local then makes the log folder a profile folder.
// - Folders are created with mode 0700 and files with 0600 (both reduced by
//   the umask): log texts can carry account and error details, and only the
//   user's own processes write them.
// - An append is one write(2) on a descriptor opened with O_APPEND, so the
//   kernel places the whole block at the end of the file atomically with
//   respect to other appenders of the same file. Regular files take a block
//   in full; should the kernel write less (a signal), the rest is written
//   after it. When the rest cannot be written (a full disk, a quota), the
//   file is cut back to where the block began, unless another writer has
//   appended since.
// - Ordinary files are regular files, or symbolic links to one, whose names
//   do not begin with a dot: a dot marks a hidden file here. Devices, pipes
//   and sockets stand for the system files of other platforms and never
//   count.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_names.h"

namespace velmora {

AppendFile::~AppendFile() = default;
FileSystem::~FileSystem() = default;

namespace {

class PosixAppendFile final : public AppendFile {
 public:
  explicit PosixAppendFile(int fd) : fd_(fd) {}
  ~PosixAppendFile() override { ::close(fd_); }
  PosixAppendFile(const PosixAppendFile&) = delete;
  PosixAppendFile& operator=(const PosixAppendFile&) = delete;

  bool append(std::string_view block) override {
    const char* data = block.data();
    std::size_t left = block.size();
    bool firstPart = true;
    off_t start = -1;  // where the block began; -1 while unknown
    while (left > 0) {
      const ssize_t written = ::write(fd_, data, left);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        cutBack(start, static_cast<off_t>(block.size() - left));
        return false;
      }
      if (firstPart) {
        // With O_APPEND the offset now stands right after the part written.
        firstPart = false;
        const off_t end = ::lseek(fd_, 0, SEEK_CUR);
        start = end >= written ? end - written : -1;
      }
      data += written;
      left -= static_cast<std::size_t>(written);
    }
    return true;
  }

 private:
  // Takes the `length` bytes written from `start` off the end of the file
  // again, when they are still its end.
  void cutBack(off_t start, off_t length) {
    struct stat st {};
    if (start < 0 || length == 0 || ::fstat(fd_, &st) != 0 || st.st_size != start + length) return;
    while (::ftruncate(fd_, start) != 0 && errno == EINTR) {
    }
  }

  int fd_;
};

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "";
}

bool isHiddenName(std::string_view name) { return !name.empty() && name.front() == '.'; }

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// An address inside the library, for dladdr to name the file it came from.
const char kAddressInLibrary = 0;

class PosixFileSystem final : public FileSystem {
 public:
  char separator() const override { return '/'; }

  std::string tempFolder() override {
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp != '\0') return tmp;
    const std::string home = homeFolder();
    if (home.empty()) return "";
    // Like a Windows profile's temporary folder, ours always exists: a fresh
    // account has no ~/.local yet, and without it no log folder could be made.
    std::string local = appendPathPart(home, ".local", '/');
    std::string temp = appendPathPart(local, "tmp", '/');
    // The home folder itself is never made: a missing one (HOME=/nonexistent
    // of a service account) is no place for files.
    const bool made = makeFolder(*this, local, FolderParents::kMustExist) &&
                      makeFolder(*this, temp, FolderParents::kMustExist);
    return made ? temp : "";
  }

  std::string libraryFolder() override {
    Dl_info info{};
    std::string file;
    if (::dladdr(&kAddressInLibrary, &info) != 0 && info.dli_fname != nullptr &&
        info.dli_fname[0] == '/') {
      file = info.dli_fname;
    } else {
      // Linked into the program itself: the program's own file.
      char buffer[4096];
      const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
      if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return "";
      file.assign(buffer, static_cast<std::size_t>(n));
    }
    return parentFolderName(file, '/');
  }

  bool folderExists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool createFolder(const std::string& path) override { return ::mkdir(path.c_str(), 0700) == 0; }

  std::int64_t fileSize(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<std::int64_t>(st.st_size);
  }

  bool deleteFile(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

  std::vector<std::string> ordinaryFiles(const std::string& folder) override {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (isHiddenName(name)) continue;  // also "." and ".."
      // The entry's own type saves a stat for most entries; links and file
      // systems that do not say need one.
      const bool regular =
          entry->d_type == DT_REG || ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                                      isRegularFile(appendPathPart(folder, name, '/')));
      if (regular) names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
  }

  bool isOrdinaryFile(const std::string& path) override {
    const std::size_t slash = path.rfind('/');
    const std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    return !isHiddenName(name) && isRegularFile(path);
  }

  std::unique_ptr<AppendFile> openAppend(const std::string& path) override {
    int fd;
    do {
      fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixAppendFile>(fd);
  }
};

}  // namespace

FileSystem& defaultFileSystem() {
  static PosixFileSystem* fileSystem = new PosixFileSystem;  // never destroyed: used at exit
  return *fileSystem;
}

}  // namespace velmora

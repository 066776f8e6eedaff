// A small file system of its own for the tests of a full disk: a tmpfs of a
// few pages mounted over a folder of the test and gone with the object.
// Mounting takes a privilege that many machines do not give; the tests skip
// there with the reason.
#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace velmora::testing {

class SmallDisk {
 public:
  // Mounts a tmpfs of `bytes` over `folder`, which must exist.
  SmallDisk(const std::filesystem::path& folder, std::size_t bytes) : folder_(folder) {
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    mounted_ =
        ::mount("cvsmalldisk", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    if (!mounted_) {
      why_ = "a full disk is not tested here: mounting a small tmpfs failed (" +
             std::string(std::strerror(errno)) + "; it needs root or CAP_SYS_ADMIN)";
    }
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return mounted_; }
  // The skip message when not mounted.
  const std::string& why() const { return why_; }

  // Takes every free page of the disk with the file `name`.
  void fill(const std::string& name) const {
    const int fd = ::open((folder_ / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::string page(4096, '#');
    while (fd >= 0 && ::write(fd, page.data(), page.size()) > 0) {
    }
    if (fd >= 0) ::close(fd);
  }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
  std::string why_;
};

}  // namespace velmora::testing

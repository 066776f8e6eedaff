// Help files opened with the desktop's handler, each in a process group of
// its own so that closing can end the handler and whatever it started.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/help_viewer.h"

extern char** environ;

namespace velmora::gui {
namespace {

bool isHtml(const std::filesystem::path& file) {
  std::string ext = file.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".html" || ext == ".htm";
}

// file:// URL of an absolute path, every byte outside the unreserved set and
// "/" percent-encoded.
std::string fileUrl(const std::string& absolute) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char ch : absolute) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) != 0 || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      url += ch;
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

// Waits up to `patience` for the child to end; true when it was reaped.
bool reap(pid_t pid, std::chrono::milliseconds patience) {
  const auto until = std::chrono::steady_clock::now() + patience;
  for (;;) {
    const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
    if (r == pid || r < 0) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

class PosixHelpViewer final : public HelpViewer {
 public:
  bool showTopic(const std::string& file, std::int32_t context) noexcept override {
    try {
      std::error_code ec;
      if (file.empty() || !std::filesystem::is_regular_file(file, ec)) return false;
      const std::string absolute = std::filesystem::absolute(file, ec).string();
      const std::string target =
          isHtml(absolute) ? fileUrl(absolute) + "#" + std::to_string(context) : absolute;
      const char* opener = std::getenv("VELMORA_HELP_OPENER");
      std::string program = (opener != nullptr && *opener != '\0') ? opener : "xdg-open";

      posix_spawnattr_t attr;
      if (::posix_spawnattr_init(&attr) != 0) return false;
      ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
      ::posix_spawnattr_setpgroup(&attr, 0);
      std::vector<char*> argv{program.data(), const_cast<char*>(target.c_str()), nullptr};
      pid_t pid = 0;
      const int rc = ::posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
      ::posix_spawnattr_destroy(&attr);
      if (rc != 0) return false;
      std::lock_guard<std::mutex> lock(mutex_);
      started_.emplace_back(file, pid);
      return true;
    } catch (...) {
      return false;
    }
  }

  void close(const std::string& file) noexcept override {
    try {
      std::vector<pid_t> ending;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = started_.begin(); it != started_.end();) {
          if (it->first == file) {
            ending.push_back(it->second);
            it = started_.erase(it);
          } else {
            ++it;
          }
        }
      }
      for (const pid_t pid : ending) {
        // The group outlives an opener that has already handed over to the
        // viewer it started, as long as that viewer runs.
        ::kill(-pid, SIGTERM);
        if (!reap(pid, std::chrono::milliseconds(200))) {
          ::kill(-pid, SIGKILL);
          ::waitpid(pid, nullptr, 0);
        }
      }
    } catch (...) {
    }
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::string, pid_t>> started_;
};

}  // namespace

HelpViewer& defaultHelpViewer() {
  static PosixHelpViewer* const viewer = new PosixHelpViewer();  // never destroyed
  return *viewer;
}

}  // namespace velmora::gui

// Runs the real velmora binary (VELMORA_TOOL) as a child process with pipes
// to its standard input and output, for the command-line tool's tests.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace velmora::tool::testing {

// VELMORA_TOOL, or else the tool of the same build tree as this test program
// (<build>/tests/tools_tests and <build>/tools/velmora/velmora).
inline std::string toolBinary() {
  if (const char* tool = std::getenv("VELMORA_TOOL"); tool != nullptr && *tool != '\0') {
    return tool;
  }
  const auto self = std::filesystem::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path() / "tools" / "velmora" / "velmora").string();
}

class ToolProcess {
 public:
  explicit ToolProcess(const std::vector<std::string>& args) {
    const std::string toolPath = toolBinary();
    const char* tool = toolPath.c_str();
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      ::posix_spawn_file_actions_addclose(&actions, fd);
    }
    std::vector<std::string> all{tool};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, tool, &actions, nullptr, argv.data(), environ) != 0) {
      throw std::runtime_error("spawn failed");
    }
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
  }
  ~ToolProcess() {
    closeInput();
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(out_);
    ::close(err_);
  }
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  void writeLine(const std::string& line) {
    const std::string text = line + "\n";
    ASSERT_EQ(::write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void closeInput() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
  }

  // The next line of standard output, waiting for it; "<none>" when the tool
  // closed its output or wrote nothing for a long while (a hang guard only).
  std::string readLine() {
    while (true) {
      const std::size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
      }
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 30000) <= 0) return "<none>";
      char buffer[4096];
      const ssize_t n = ::read(out_, buffer, sizeof buffer);
      if (n <= 0) return "<none>";
      pending_.append(buffer, static_cast<std::size_t>(n));
    }
  }

  // Closes the input, collects what remains and returns the exit status.
  int finish(std::string* out = nullptr, std::string* err = nullptr) {
    closeInput();
    std::string rest = pending_ + drain(out_);
    pending_.clear();
    const std::string errText = drain(err_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    if (out != nullptr) *out = rest;
    if (err != nullptr) *err = errText;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  static std::string drain(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
      text.append(buffer, static_cast<std::size_t>(n));
    return text;
  }

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  std::string pending_;
};

struct RunResult {
  int status;
  std::string out;
  std::string err;
};

inline RunResult runTool(const std::vector<std::string>& args, const std::string& input = "") {
  ToolProcess tool(args);
  if (!input.empty()) tool.writeLine(input);
  RunResult r;
  r.status = tool.finish(&r.out, &r.err);
  return r;
}

}  // namespace velmora::tool::testing

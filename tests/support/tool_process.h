// Runs the velmora tool of this build (VELMORA_TOOL, set for every test
// program) as a child process: once through the shell, as a user would type
// it, or with pipes to its standard input, output and error for the tests
// that talk to it line by line.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/scratch.h"

namespace velmora::test_support {

class ToolProcess {
 public:
  // The tool (or `program`) with `args` as its arguments.
  explicit ToolProcess(std::vector<std::string> args,
                       const char* program = std::getenv("VELMORA_TOOL")) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
    if ((pid_ = ::fork()) == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::dup2(err[1], 2);
      for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    for (int fd : {in[0], out[1], err[1]}) ::close(fd);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
  }
  ~ToolProcess() {
    closeInput();
    if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
    for (int fd : {out_, err_}) ::close(fd);
  }
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  void writeLine(const std::string& line) {
    const std::string text = line + "\n";
    ASSERT_EQ(::write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

  // The next line of standard output, waiting for it; "<none>" when the tool
  // closed its output or wrote nothing for a long while (a hang guard only).
  std::string readLine() {
    std::size_t end = 0;
    while ((end = pending_.find('\n')) == std::string::npos) {
      pollfd p{out_, POLLIN, 0};
      char buffer[4096];
      const ssize_t n = ::poll(&p, 1, 30000) > 0 ? ::read(out_, buffer, sizeof buffer) : 0;
      if (n <= 0) return "<none>";
      pending_.append(buffer, static_cast<std::size_t>(n));
    }
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    return line;
  }

  // Closes the input, collects what remains and returns the exit status (-1
  // when the tool did not exit normally).
  int finish(std::string* out = nullptr, std::string* err = nullptr) {
    closeInput();
    const std::string rest = pending_ + drain(out_), errText = drain(err_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    if (out != nullptr) *out = rest;
    if (err != nullptr) *err = errText;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  void closeInput() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
  }
  static std::string drain(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<std::size_t>(n));
    return text;
  }

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  std::string pending_;
};

struct ToolRun {
  int status = -1;  // exit status, -1 when the tool did not exit normally
  std::string out;  // standard output (and standard error with mergeErrors)
};

// One run through the shell; `arguments` are already shell-quoted. Standard
// error is dropped, or mixed into `out` when `mergeErrors` is set.
inline ToolRun runVelmora(const std::string& arguments, bool mergeErrors = false) {
  ToolProcess tool(
      {"-c", "exec \"$VELMORA_TOOL\" " + arguments + (mergeErrors ? " 2>&1" : " 2>/dev/null")},
      "/bin/sh");
  ToolRun run;
  run.status = tool.finish(&run.out);
  return run;
}

// For the tests that run the tool: its settings store and its temporary
// files (the log folder among them) in a scratch folder the child inherits.
class ToolTest : public ::testing::Test {
 protected:
  ScratchFolder scratch_{"cvtool"};
  ScopedEnv store_{"VELMORA_REGISTRY", (scratch_ / "registry.sqlite3").string()};
  ScopedEnv tmp_{"TMPDIR", scratch_.path().string()};
};

}  // namespace velmora::test_support

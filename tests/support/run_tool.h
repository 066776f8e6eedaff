// Runs the velmora tool of this build (VELMORA_TOOL, set for every test
// program) through the shell, as a user would type it.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace velmora::test_support {

struct ToolRun {
  int status = -1;  // exit status, -1 when the tool did not exit normally
  std::string out;  // standard output (and standard error with mergeErrors)
};

// `arguments` are already shell-quoted. Standard error is dropped, or mixed
// into `out` when `mergeErrors` is set.
inline ToolRun runVelmora(const std::string& arguments, bool mergeErrors = false) {
  const std::string command = std::string("'") + std::getenv("VELMORA_TOOL") + "' " + arguments +
                              (mergeErrors ? " 2>&1" : " 2>/dev/null");
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace velmora::test_support

// Child processes for the tests of several writers at once: each child runs
// a body in a fork of the test program and exits 0 when the body returns
// true, 1 when it returns false.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace velmora::test_support {

template <class Body>
pid_t forkRunning(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body() ? 0 : 1);
  return pid;
}

// body(0) .. body(n - 1), each in a child of its own, all running at once.
template <class Body>
std::vector<pid_t> forkChildren(int n, Body body) {
  std::vector<pid_t> children;
  for (int p = 0; p < n; ++p) children.push_back(forkRunning([&body, p] { return body(p); }));
  return children;
}

// Waits for `pid`; true when it exited normally with status 0.
inline bool exitedCleanly(pid_t pid) {
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// Waits for every child; the number that did not exit cleanly.
inline int failuresOf(const std::vector<pid_t>& children) {
  int failed = 0;
  for (const pid_t pid : children) failed += exitedCleanly(pid) ? 0 : 1;
  return failed;
}

}  // namespace velmora::test_support

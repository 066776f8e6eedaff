// The few checks the Windows test programs need (GoogleTest is not built
// for MinGW): each failure is printed with its line, and the program ends
// with the line "N passed, N failed" and a failing status after a failure.
#pragma once

#include <cstdio>
#include <string>

namespace velmora::wintest {

struct Tally {
  int passed = 0;
  int failed = 0;
};

inline Tally tally;

inline void record(bool ok, const char* what, const char* file, int line) {
  if (ok) {
    ++tally.passed;
  } else {
    ++tally.failed;
    std::printf("FAILED %s:%d: %s\n", file, line, what);
  }
}

inline void recordEqual(const std::string& actual, const std::string& expected, const char* what,
                        const char* file, int line) {
  record(actual == expected, what, file, line);
  if (actual != expected) {
    std::printf("  actual:   [%s]\n  expected: [%s]\n", actual.c_str(), expected.c_str());
  }
}

// Prints the closing line; the program's exit status.
inline int summary() {
  std::printf("%d passed, %d failed\n", tally.passed, tally.failed);
  std::fflush(stdout);
  return tally.failed == 0 ? 0 : 1;
}

}  // namespace velmora::wintest

#define WCHECK(condition) ::velmora::wintest::record((condition), #condition, __FILE__, __LINE__)
#define WCHECK_EQ(actual, expected) \
  ::velmora::wintest::recordEqual((actual), (expected), #actual, __FILE__, __LINE__)

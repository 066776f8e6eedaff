// Linked into every test program: before any test runs, HOME points to a
// private folder of the build tree, so nothing a test does (default settings
// store, default log folder) touches the developer's own files, and
// VELMORA_TOOL names the velmora binary of the same build for the tests that
// drive the command-line tool. A VELMORA_TOOL already set is kept.
#include <cstdlib>
#include <filesystem>

namespace {

const bool kEnvironmentReady = [] {
  std::filesystem::create_directories(VELMORA_TEST_HOME);
  ::setenv("HOME", VELMORA_TEST_HOME, 1);
  ::setenv("VELMORA_TOOL", VELMORA_TOOL_PATH, 0);
  return true;
}();

}  // namespace

// Entries per second of the library's message writer, side by side with
//   - the floor: a bare loop doing the same folder checks, size check and
//     open / one write / close per entry, with a ready-made line;
//   - spdlog's basic file sink flushing every entry (its default pattern).
// All three append to files in one fresh temporary folder.
#include <benchmark/benchmark.h>
#include <commonvelmora/convert.h>
#include <fcntl.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "logging/log_options.h"
#include "logging/log_state.h"

namespace {

namespace fs = std::filesystem;

const std::string kMessage = "Order 4711 accepted by the exchange gateway; 100 lots at 98.25";

// A scratch temporary folder for the whole run, removed at exit.
const fs::path& scratch() {
  static const fs::path folder = [] {
    std::string pattern = (fs::temp_directory_path() / "cvbench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    ::setenv("TMPDIR", pattern.c_str(), 1);
    std::atexit([] { fs::remove_all(scratch()); });
    return fs::path(pattern);
  }();
  return folder;
}

void BM_StoreMessageToLog(benchmark::State& state) {
  scratch();
  velmora::logging::logState().maxLogFile = INT32_MAX;  // no restarts inside the run
  fs::remove(velmora::logging::BuildLogFileName(velmora::Variant()));
  for (auto _ : state) {
    if (!velmora::logging::StoreMessageToLog(kMessage)) state.SkipWithError("not written");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StoreMessageToLog);

void BM_FloorOpenWriteClose(benchmark::State& state) {
  const std::string folder = (scratch() / "LogFiles").string();
  const std::string file = folder + "/Floor.log";
  const std::string line = "12/6/2026 2:05:09 AM " + kMessage + "\r\n";
  fs::remove(file);
  for (auto _ : state) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 && ::mkdir(folder.c_str(), 0700) != 0) std::abort();
    if (::stat(file.c_str(), &st) == 0 && st.st_size >= INT32_MAX) ::unlink(file.c_str());
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
      state.SkipWithError("not written");
    }
    ::close(fd);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FloorOpenWriteClose);

void BM_SpdlogBasicFileSinkFlushEach(benchmark::State& state) {
  const std::string file = (scratch() / "spdlog.log").string();
  fs::remove(file);
  auto sink = std::make_shared<spdlog::sinks::basic_file_sink_st>(file);
  spdlog::logger logger("bench", sink);
  logger.flush_on(spdlog::level::trace);
  for (auto _ : state) logger.info(kMessage);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SpdlogBasicFileSinkFlushEach);

}  // namespace

BENCHMARK_MAIN();

// What the Work facade costs on top of the routine it forwards to: a member
// called from C++, the same member by name as a script client calls it, and
// the bare routine as the anchor.
#include <benchmark/benchmark.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/work.h>
#include <stdlib.h>

#include <filesystem>
#include <vector>

#include "frame/thread_state.h"
#include "logging/log_options.h"

namespace {

using velmora::Args;
using velmora::CallKind;
using velmora::Variant;
using velmora::Work;

void BM_AppNumber_StateBlockAnchor(benchmark::State& state) {
  for (auto _ : state) {
    velmora::frame::threadState().appNumber = 1001;
    benchmark::DoNotOptimize(velmora::frame::threadState().appNumber);
  }
}
BENCHMARK(BM_AppNumber_StateBlockAnchor);

void BM_AppNumber_Cpp(benchmark::State& state) {
  Work work;
  for (auto _ : state) {
    work.AppNumber(velmora::akDealingDesk);
    benchmark::DoNotOptimize(work.AppNumber());
  }
}
BENCHMARK(BM_AppNumber_Cpp);

void BM_AppNumber_ByName(benchmark::State& state) {
  Work work;
  std::vector<Variant> value{Variant(std::int32_t{1001})};
  for (auto _ : state) {
    work.invoke("AppNumber", CallKind::Let, value);
    benchmark::DoNotOptimize(work.invoke("AppNumber", CallKind::Method | CallKind::Get, {}));
  }
}
BENCHMARK(BM_AppNumber_ByName);

// Log entries into a scratch folder: the facade adds the delegate look-up
// (no component registered) to the library's own writer.
class ScratchLog {
 public:
  ScratchLog() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cvbench-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    ::setenv("TMPDIR", folder_.c_str(), 1);
  }
  ~ScratchLog() {
    ::unsetenv("TMPDIR");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

 private:
  std::filesystem::path folder_;
};

void BM_StoreMessage_WriterAnchor(benchmark::State& state) {
  ScratchLog log;
  for (auto _ : state) benchmark::DoNotOptimize(velmora::logging::StoreMessageToLog("entry"));
}
BENCHMARK(BM_StoreMessage_WriterAnchor);

void BM_StoreMessage_Work(benchmark::State& state) {
  ScratchLog log;
  Work work;
  for (auto _ : state) benchmark::DoNotOptimize(work.StoreMessageToLog("entry"));
}
BENCHMARK(BM_StoreMessage_Work);

void BM_StoreMessage_WorkByName(benchmark::State& state) {
  ScratchLog log;
  Work work;
  std::vector<Variant> text{Variant("entry")};
  for (auto _ : state) {
    benchmark::DoNotOptimize(work.invoke("StoreMessageToLog", CallKind::Method, text));
  }
}
BENCHMARK(BM_StoreMessage_WorkByName);

}  // namespace

BENCHMARK_MAIN();

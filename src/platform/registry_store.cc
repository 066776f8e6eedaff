#include "platform/registry_store.h"

#include <atomic>
#include <mutex>
#include <set>
#include <string>

namespace velmora {

RegistryKey::~RegistryKey() = default;
RegistryStore::~RegistryStore() = default;

std::string_view resultCodeText(std::int32_t code) {
  switch (code) {
    case regcode::kSuccess:
      return "success";
    case regcode::kNotFound:
      return "not found";
    case regcode::kAccessDenied:
      return "access denied";
    case regcode::kNotEnoughMemory:
      return "not enough memory";
    case regcode::kInvalidParameter:
      return "invalid key path or name";
    case regcode::kDiskFull:
      return "disk full";
    case regcode::kBusy:
      return "the settings store is busy";
    case regcode::kMoreData:
      return "more data than the buffer holds";
    case regcode::kNoMoreItems:
      return "no more items";
    case regcode::kBadDatabase:
      return "the settings file is not a settings store";
    case regcode::kCantOpen:
      return "the settings file cannot be opened";
    case regcode::kRegistryCorrupt:
      return "the settings file is damaged";
    case regcode::kRegistryIoFailed:
      return "reading or writing the settings file failed";
    case regcode::kKeyDeleted:
      return "the key was deleted";
    case regcode::kNewerStore:
      return "the settings file was written by a newer version of the library";
    default:
      return "error";
  }
}

namespace {

std::atomic<StoreReportSink> reportSink{nullptr};

}  // namespace

void setStoreReportSink(StoreReportSink sink) { reportSink.store(sink); }

void reportStoreOnce(std::int32_t code, std::string_view text) {
  const StoreReportSink sink = reportSink.load();
  if (sink == nullptr) return;
  // Every thread has its own connection and meets the same file: the first
  // one to report it speaks for all. Never destroyed, so a thread ending
  // after the process began its exit may still report.
  static auto* guard = new std::mutex;
  static auto* reported = new std::set<std::string, std::less<>>;
  {
    std::lock_guard lock(*guard);
    if (reported->contains(text)) return;
    reported->emplace(text);
  }
  sink(code, text);
}

}  // namespace velmora

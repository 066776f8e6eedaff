// The process-wide regional settings.
//
// Conversions on every thread read the settings on every call, while they are
// replaced only at start-up (the user's settings) and by tests. Reads are a
// single acquire load of a pointer; a replacement publishes a new immutable
// copy and keeps every earlier copy alive for the life of the process, so a
// reference handed out by regionalSettings() never dangles. Settings equal to
// a copy already kept reuse it, so switching back and forth (as tests and the
// fuzz target do) keeps one copy of each distinct set.
#include <commonvelmora/convert.h>

#include <atomic>
#include <deque>
#include <mutex>

namespace velmora {
namespace {

struct SettingsHistory {
  std::mutex mutex;
  std::deque<RegionalSettings> copies;  // never shrinks: references stay valid
};

SettingsHistory& history() {
  static SettingsHistory* h = new SettingsHistory;  // never destroyed
  return *h;
}

// Null until the first replacement; the defaults are then the header's US
// English values, built on first use so no static initialisation order matters.
std::atomic<const RegionalSettings*> current{nullptr};

const RegionalSettings& defaults() {
  static const RegionalSettings d{};
  return d;
}

}  // namespace

const RegionalSettings& regionalSettings() {
  const RegionalSettings* p = current.load(std::memory_order_acquire);
  return p != nullptr ? *p : defaults();
}

void setRegionalSettings(RegionalSettings settings) {
  SettingsHistory& h = history();
  std::lock_guard lock(h.mutex);
  for (const RegionalSettings& kept : h.copies) {
    if (kept == settings) {
      current.store(&kept, std::memory_order_release);
      return;
    }
  }
  h.copies.push_back(std::move(settings));
  current.store(&h.copies.back(), std::memory_order_release);
}

}  // namespace velmora

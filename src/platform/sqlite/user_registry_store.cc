// This thread's connection to the user's store.
//
// Each thread has its own connection (SQLite connections are not shared), to
// the store file configured at the moment of the call: when VELMORA_REGISTRY
// changes, the next operation opens the new file and closes the old one.
// A child process made by fork() never touches a connection it inherited
// (using it there could damage the file); it opens its own.
#include <pthread.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/registry_store.h"
#include "platform/sqlite/sqlite_registry_store.h"
#include "platform/sqlite/store_location.h"

namespace velmora {
namespace {

std::atomic<unsigned> forkGeneration{0};

void afterForkInChild() { forkGeneration.fetch_add(1, std::memory_order_relaxed); }

struct ThreadConnection {
  std::unique_ptr<sqlite::SqliteRegistryStore> store;
  unsigned generation = 0;

  ~ThreadConnection() {
    // An inherited connection belongs to the parent: leave it alone.
    if (generation != forkGeneration.load(std::memory_order_relaxed)) (void)store.release();
  }
};

}  // namespace

RegistryStore& userRegistryStore() {
  static std::once_flag watchForks;
  std::call_once(watchForks, [] { pthread_atfork(nullptr, nullptr, &afterForkInChild); });
  thread_local ThreadConnection current;
  const unsigned generation = forkGeneration.load(std::memory_order_relaxed);
  if (current.store && current.generation != generation) (void)current.store.release();
  std::string path = sqlite::userStorePath();
  if (!current.store || current.store->path() != path) {
    current.store =
        std::make_unique<sqlite::SqliteRegistryStore>(std::move(path), sqlite::storeBusyTimeout());
    current.generation = generation;
  }
  return *current.store;
}

}  // namespace velmora

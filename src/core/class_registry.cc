#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

#include "core/unicode_fold.h"

namespace velmora {

// Registration normally happens at start-up, but creation may happen on any
// client thread, so the table is guarded. Factories run outside the lock: a
// factory may itself create objects through the registry.
struct ClassRegistry::Impl {
  mutable std::mutex mutex;
  std::unordered_map<std::string, Factory> factories;  // by folded ProgID
  std::atomic<std::uint64_t> generation{0};
};

ClassRegistry::ClassRegistry() : impl_(new Impl) {}

ClassRegistry& ClassRegistry::instance() {
  // Never destroyed: objects released during static destruction may still
  // look classes up.
  static ClassRegistry* const registry = new ClassRegistry;
  return *registry;
}

void ClassRegistry::add(std::string_view progId, Factory factory) {
  std::string key = foldCase(progId);
  std::lock_guard lock(impl_->mutex);
  impl_->factories[std::move(key)] = std::move(factory);
  impl_->generation.fetch_add(1, std::memory_order_release);
}

bool ClassRegistry::remove(std::string_view progId) {
  const std::string key = foldCase(progId);
  std::lock_guard lock(impl_->mutex);
  const bool removed = impl_->factories.erase(key) != 0;
  if (removed) impl_->generation.fetch_add(1, std::memory_order_release);
  return removed;
}

bool ClassRegistry::contains(std::string_view progId) const {
  const std::string key = foldCase(progId);
  std::lock_guard lock(impl_->mutex);
  return impl_->factories.count(key) != 0;
}

ClassRegistry::Factory ClassRegistry::factoryFor(std::string_view progId) const {
  const std::string key = foldCase(progId);
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->factories.find(key);
  return it != impl_->factories.end() ? it->second : Factory();
}

std::uint64_t ClassRegistry::generation() const {
  return impl_->generation.load(std::memory_order_acquire);
}

ObjectRef ClassRegistry::create(std::string_view progId) const {
  const Factory factory = factoryFor(progId);
  if (!factory) throw AutomationError(err::kCantCreateObject);
  ObjectRef object = factory();
  if (!object) throw AutomationError(err::kCantCreateObject);
  return object;
}

ObjectRef createObject(std::string_view progId) { return ClassRegistry::instance().create(progId); }

}  // namespace velmora

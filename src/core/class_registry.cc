#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>

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
}

bool ClassRegistry::remove(std::string_view progId) {
  const std::string key = foldCase(progId);
  std::lock_guard lock(impl_->mutex);
  return impl_->factories.erase(key) != 0;
}

bool ClassRegistry::contains(std::string_view progId) const {
  const std::string key = foldCase(progId);
  std::lock_guard lock(impl_->mutex);
  return impl_->factories.count(key) != 0;
}

ObjectRef ClassRegistry::create(std::string_view progId) const {
  const std::string key = foldCase(progId);
  Factory factory;
  {
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->factories.find(key);
    if (it != impl_->factories.end()) factory = it->second;
  }
  if (!factory) throw AutomationError(err::kCantCreateObject);
  ObjectRef object = factory();
  if (!object) throw AutomationError(err::kCantCreateObject);
  return object;
}

ObjectRef createObject(std::string_view progId) { return ClassRegistry::instance().create(progId); }

}  // namespace velmora

#include "core/factory_cache.h"

namespace velmora {

FactoryCache& FactoryCache::local() {
  thread_local FactoryCache cache;
  return cache;
}

ClassRegistry::Factory FactoryCache::find(std::string_view progId) {
  const ClassRegistry& registry = ClassRegistry::instance();
  // Read before looking up: a change made during the look-up shows as a new
  // generation at the next call, which then starts afresh.
  const std::uint64_t generation = registry.generation();
  if (generation != generation_) {
    slots_.clear();
    next_ = 0;
    generation_ = generation;
  }
  for (const Slot& s : slots_) {
    if (s.progId == progId) return s.factory;
  }
  ClassRegistry::Factory factory = registry.factoryFor(progId);
  Slot fresh{std::string(progId), factory};
  if (slots_.size() < kCapacity) {
    slots_.push_back(std::move(fresh));
  } else {
    slots_[next_] = std::move(fresh);
    next_ = (next_ + 1) % kCapacity;
  }
  return factory;
}

}  // namespace velmora

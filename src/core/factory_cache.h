// The factories of the classes a thread re-creates from persisted bytes.
//
// The objects of a tree share a handful of classes, and looking each one up
// in the ClassRegistry costs a case fold and a lock per object. A thread's
// recent answers are kept instead, keyed by the ProgID exactly as spelled,
// and all forgotten as soon as the registry changes.
#pragma once

#include <commonvelmora/class_registry.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class FactoryCache {
 public:
  // The calling thread's cache.
  static FactoryCache& local();

  // The factory registered for `progId`; an empty one when there is none.
  // A copy, so that a factory that reads persisted objects itself (and so
  // fills the cache) never runs from a slot being replaced.
  ClassRegistry::Factory find(std::string_view progId);

 private:
  // A tree names few classes; beyond this the oldest answers make room.
  static constexpr std::size_t kCapacity = 8;

  struct Slot {
    std::string progId;
    ClassRegistry::Factory factory;
  };
  std::vector<Slot> slots_;
  std::size_t next_ = 0;  // the slot replaced next once full
  std::uint64_t generation_ = 0;
};

}  // namespace velmora

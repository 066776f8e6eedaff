// ProgID to factory: the library's stand-in for the runtime's "create object
// from ProgID". The library registers its own classes; clients register theirs
// (for instance a delegate component under "Tarnlink.SQLConnect"). Only
// registered classes can ever be re-created from persisted bytes.
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/object.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

class VELMORA_EXPORT ClassRegistry {
 public:
  using Factory = std::function<ObjectRef()>;

  // The process-wide registry, holding the library's own classes.
  static ClassRegistry& instance();

  // Registers (or replaces) a factory. ProgIDs compare without regard to case.
  void add(std::string_view progId, Factory factory);
  // Removes a registration; true when there was one.
  bool remove(std::string_view progId);
  bool contains(std::string_view progId) const;
  // The factory registered for `progId`; an empty one when there is none.
  Factory factoryFor(std::string_view progId) const;
  // Changes whenever a registration is added, replaced or removed, so that a
  // caller may keep factories it looked up and knows when to look again.
  std::uint64_t generation() const;

  // Creates an object; raises AutomationError 429 ("ActiveX component can't
  // create object") for an unknown ProgID or a factory that returns nothing.
  ObjectRef create(std::string_view progId) const;

 private:
  ClassRegistry();
  struct Impl;
  Impl* impl_;
};

// Shorthand for ClassRegistry::instance().create(progId).
VELMORA_EXPORT ObjectRef createObject(std::string_view progId);

}  // namespace velmora

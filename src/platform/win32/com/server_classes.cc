#include "platform/win32/com/server_classes.h"

#include <commonvelmora/class_registry.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/reference_grid.h>
#include <commonvelmora/work.h>

#include "platform/win32/com/object_bridge.h"
#include "platform/win32/com/system_classes.h"
#include "platform/win32/com/work_server.h"

namespace velmora::com {
namespace {

// The property classes and the reference grid are reached by name: their dispatch interface is the
// library's generic one over Object::invoke.
template <const std::string_view& progId>
IUnknown* createByName() {
  initializeLibrary();
  return dispatchFromObject(createObject(progId));
}

// A Work made for a client of the server finds the suite's delegate
// component where the suite registers it: with the system.
IUnknown* createWork() {
  initializeLibrary();
  createThroughSystem(ids::kDelegateProgId);
  return newWorkServer();
}

const ServerClass kClasses[] = {
    {ids::kWorkProgId, ids::kWorkClassId, &createWork},
    {ids::kKZPropertyProgId, ids::kKZPropertyClassId, &createByName<ids::kKZPropertyProgId>},
    {ids::kKZPropertiesProgId, ids::kKZPropertiesClassId, &createByName<ids::kKZPropertiesProgId>},
    {ReferenceGrid::kProgId, ids::kReferenceGridClassId, &createByName<ReferenceGrid::kProgId>},
};

}  // namespace

std::span<const ServerClass> serverClasses() { return kClasses; }

}  // namespace velmora::com

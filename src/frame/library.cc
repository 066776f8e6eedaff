// The library's one-time initialisation: what registering the component and
// loading it into a process does on the automation platform.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/work.h>

#include <memory>
#include <mutex>

#include "platform/locale.h"
#include "properties/register_classes.h"

namespace velmora {

void initializeLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    ClassRegistry::instance().add(ids::kWorkProgId, [] { return std::make_shared<Work>(); });
    properties::registerPropertyClasses();
    // The user's regional settings (short date, long time, decimal
    // separator) for every conversion and log time stamp of the process.
    setRegionalSettings(readUserRegionalSettings());
  });
}

}  // namespace velmora

// The library's one-time initialisation: what registering the component and
// loading it into a process does on the automation platform.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/reference_grid.h>
#include <commonvelmora/work.h>

#include <memory>
#include <mutex>

#include "logging/log_options.h"
#include "platform/locale.h"
#include "platform/registry_store.h"
#include "properties/register_classes.h"
#include "serialize/register_picture.h"

namespace velmora {
namespace {

// A settings file the store cannot use, or has upgraded, is told once in the
// library's own log, where a user's support finds it.
void logStoreReport(std::int32_t code, std::string_view text) {
  try {
    if (code == regcode::kSuccess) {
      (void)logging::StoreMessageToLog(text);
    } else {
      (void)logging::StoreErrorToLog(code, text);
    }
  } catch (...) {
    // The store answers its code whether or not the log could be written.
  }
}

}  // namespace

void initializeLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    ClassRegistry::instance().add(ids::kWorkProgId, [] { return std::make_shared<Work>(); });
    properties::registerPropertyClasses();
    serialize::registerPictureClass();
    ClassRegistry::instance().add(ReferenceGrid::kProgId,
                                  [] { return ObjectRef(ReferenceGrid::create()); });
    setStoreReportSink(&logStoreReport);
    // The user's regional settings (short date, long time, decimal
    // separator) for every conversion and log time stamp of the process.
    setRegionalSettings(readUserRegionalSettings());
  });
}

}  // namespace velmora

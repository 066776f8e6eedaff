// Work members whose subsystems come later: the grid services and the late-bound
// calls. Each has its final signature and
// error discipline already; the issue that builds its subsystem puts the
// forwarding call in. Until then each returns its neutral result.
#include <commonvelmora/work.h>

#include "frame/disciplines.h"

namespace velmora {

using frame::ignoreErrors;
using frame::passErrors;
using frame::trapAndLogErrors;

// --- Grid layout services ---

void Work::ChangeColumnCaption(ObjectRef&) {
  passErrors([] {});
}

void Work::SetGridColumnsVisible(ObjectRef&, std::string) {
  ignoreErrors([] {});
}

// --- Late-bound calls: a failure is logged with the member's prefix ---

bool Work::ExecProperty(ObjectRef&, std::string PropName, Variant, SafeArray&) {
  return trapAndLogErrors(false, "Error Call Execute Property [", PropName, [] { return false; });
}

bool Work::ReturnProperty(ObjectRef&, std::string PropName, Variant&, SafeArray&) {
  return trapAndLogErrors(false, "Error Call Return Property [", PropName, [] { return false; });
}

bool Work::ReturnPropertyObj(ObjectRef&, std::string PropName, ObjectRef&, SafeArray&) {
  return trapAndLogErrors(false, "Error Call Return Object Property [", PropName,
                          [] { return false; });
}

bool Work::ExecMetod(ObjectRef&, std::string MetodName, SafeArray&) {
  return trapAndLogErrors(false, "Error Call Execute Method [", MetodName, [] { return false; });
}

bool Work::ExecMetodLet(ObjectRef&, std::string MetodName, Variant&, SafeArray&) {
  return trapAndLogErrors(false, "Error Call ExecuteLet Method [", MetodName, [] { return false; });
}

bool Work::ExecMetodSet(ObjectRef&, std::string MetodName, ObjectRef&, SafeArray&) {
  return trapAndLogErrors(false, "Error Call ExecuteSet Method [", MetodName, [] { return false; });
}

}  // namespace velmora

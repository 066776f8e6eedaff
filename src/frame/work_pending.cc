// Work members whose subsystems come later: the grid windows. Each has its
// final signature and error discipline already; the issue that builds its
// window puts the forwarding call in. Until then each returns its neutral
// result.
#include <commonvelmora/work.h>

#include "frame/disciplines.h"

namespace velmora {

using frame::ignoreErrors;
using frame::passErrors;

void Work::ChangeColumnCaption(ObjectRef&) {
  passErrors([] {});
}

void Work::SetGridColumnsVisible(ObjectRef&, std::string) {
  ignoreErrors([] {});
}

}  // namespace velmora

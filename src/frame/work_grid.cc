// Work members of the grid services that forward to GridWorking. Saving
// lets the routine's first failure through; the others never raise, and a
// client's grid that fails is the routines' own affair. The two windows are
// the calling thread's own and block it until the user closes them.
#include <commonvelmora/work.h>

#include "frame/disciplines.h"
#include "grid/grid_working.h"

#include <utility>

namespace velmora {

using frame::ignoreErrors;
using frame::passErrors;

void Work::ChangeSorting(std::int16_t SortOrder, ObjectRef& CurrentTable,
                         ObjectRef& CurrentColumn) {
  passErrors([&] { grid::ChangeSorting(SortOrder, CurrentTable, CurrentColumn); });
}

void Work::SaveGridSetting(ObjectRef& SaveGrid, std::string Key_String) {
  passErrors([&] { grid::SaveGridSetting(SaveGrid, Key_String); });
}

void Work::RestoreGridSetting(ObjectRef& RestoreGrid, std::string Key_String) {
  passErrors([&] { grid::RestoreGridSetting(RestoreGrid, Key_String); });
}

bool Work::GridToClip(ObjectRef& Grid, bool WithHeadings) {
  return passErrors([&] { return grid::GridToClip(Grid, WithHeadings); });
}

void Work::ChangeColumnCaption(ObjectRef& CurrentColumn) {
  passErrors([&] { grid::ChangeColumnCaption(CurrentColumn); });
}

void Work::SetGridColumnsVisible(ObjectRef& CurrentTable, std::string CurrentRegKey) {
  ignoreErrors([&] { grid::SetGridColumnsVisible(CurrentTable, std::move(CurrentRegKey)); });
}

}  // namespace velmora

// Work members of the grid services that forward to GridWorking. Saving
// lets the routine's first failure through; the others never raise, and a
// client's grid that fails is the routines' own affair.
#include <commonvelmora/work.h>

#include "frame/disciplines.h"
#include "grid/grid_working.h"

namespace velmora {

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

}  // namespace velmora
